# 64-bit Windows (the plug-in's second build).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELKIN_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MinGWToolchain.cmake)
