# Cross-compiling for Windows with Debian's MinGW-w64 (posix thread model,
# which GoogleTest needs for std::mutex). The toolchain files set
# VELKIN_MINGW_TRIPLE and include this.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${VELKIN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELKIN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${VELKIN_MINGW_TRIPLE}-windres)
set(CMAKE_OBJDUMP      ${VELKIN_MINGW_TRIPLE}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${VELKIN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
