# Shared by the project's scripts: installs what the build needs, builds both
# DLLs and runs Windows programs under Wine. Source it; do not run it.
set -euo pipefail

VELKIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VELKIN_BUILD=${VELKIN_BUILD:-$VELKIN_ROOT/build}
VELKIN_ARCHS=(i686 x86_64)
export WINEPREFIX=$VELKIN_BUILD/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=ja_JP.UTF-8

VELKIN_PACKAGES=(
  cmake make python3 googletest universal-ctags
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine32:i386 wine64 xvfb xauth locales zip unzip
)

velkin_log() { printf '== %s\n' "$*" >&2; }

# Installs the Debian packages, the i386 architecture and the Japanese locale
# when they are missing; quick when everything is there.
velkin_setup() {
  local missing=() package
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    velkin_log "adding the i386 architecture"
    dpkg --add-architecture i386
    missing+=(update)
  fi
  for package in "${VELKIN_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    velkin_log "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq </dev/null
    local packages=("${VELKIN_PACKAGES[@]}")
    apt-get install -y -qq "${packages[@]}" </dev/null >/dev/null
  fi
  if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    velkin_log "generating the ja_JP.UTF-8 locale"
    sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
  fi
}

# Configures a build of the sources in SOURCE for one architecture in BUILD,
# unless it is configured already; further arguments go to cmake.
#   velkin_configure SOURCE BUILD i686|x86_64 [-DNAME=VALUE...]
velkin_configure() {
  local source=$1 dir=$2 arch=$3
  shift 3
  [ -f "$dir/CMakeCache.txt" ] && return 0
  cmake -S "$source" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$source/cmake/toolchain-mingw-$arch.cmake" "$@" >/dev/null
}

# Configures and builds one architecture (i686 or x86_64): everything, or the
# targets named after it.
velkin_build_arch() {
  local arch=$1 dir=$VELKIN_BUILD/$1 target targets=()
  shift
  for target in "$@"; do targets+=(--target "$target"); done
  velkin_configure "$VELKIN_ROOT" "$dir" "$arch" -DVELKIN_WINE_ROOT="$VELKIN_BUILD"
  cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
}

velkin_build() {
  local arch
  for arch in "${VELKIN_ARCHS[@]}"; do
    velkin_log "building $arch"
    velkin_build_arch "$arch"
  done
}

# Starts an X display and a persistent wineserver for the rest of the script;
# both end when the script exits.
velkin_wine_start() {
  "$VELKIN_ROOT/scripts/wine-run.sh" "$VELKIN_BUILD" --prepare
  if [ -z "${DISPLAY:-}" ]; then
    local display
    for display in $(seq 90 120); do
      [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] || break
    done
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    VELKIN_XVFB_PID=$!
    export DISPLAY=":$display"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
  fi
  trap velkin_wine_stop EXIT
  # Keeps one server for the whole run; a server already running is used as it is.
  wineserver -p 2>/dev/null || true
  # Start Wine's own background services now, detached from our output:
  # started by the first test instead, they would hold CTest's pipes open.
  wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
}

velkin_wine_stop() {
  wineserver -k 2>/dev/null || true
  if [ -n "${VELKIN_XVFB_PID:-}" ]; then kill "$VELKIN_XVFB_PID" 2>/dev/null || true; fi
}

# For the benchmark scripts: installs, builds both architectures, starts Wine,
# and sets BENCH_REPORTS (the folder for reports) and BENCH_TAGS (the tags file
# to read: the one named, or the generated one of 1,000,000 tags, 164 MB,
# written once to $VELKIN_BUILD/bench/generated.tags and reused afterwards).
#   velkin_bench_prepare [TAGS_FILE]
velkin_bench_prepare() {
  BENCH_REPORTS=$VELKIN_BUILD/bench
  mkdir -p "$BENCH_REPORTS"
  if [ $# -gt 0 ]; then BENCH_TAGS=$(realpath "$1"); else BENCH_TAGS=$BENCH_REPORTS/generated.tags; fi
  velkin_setup
  velkin_build
  velkin_wine_start
  # Wine sees the Unix root as drive Z:.
  if [ $# -eq 0 ]; then
    wine "$VELKIN_BUILD/i686/bin/scan_benchmark.exe" --generate "Z:$BENCH_TAGS" | tr -d '\r'
  fi
}
