# 32-bit Windows (the plug-in's primary build).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VELKIN_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MinGWToolchain.cmake)
