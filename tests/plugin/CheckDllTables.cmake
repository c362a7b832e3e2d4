# Checks the plug-in DLL's PE tables with the toolchain's objdump, natively:
#   cmake -DOBJDUMP=... -DDLL=... -DARCH=i686|x86_64 -P CheckDllTables.cmake
# The editor finds the seven entry points by their undecorated names, and the
# DLL may import only from the Windows system libraries named below.

cmake_minimum_required(VERSION 3.20)

set(expected_exports GetBitmapID GetMenuTextID GetStatusMessageID OnCommand OnEvents PlugInProc QueryStatus)
# GDI32: the picker measures its column texts with the list's font.
set(allowed_imports ADVAPI32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL USER32.DLL)

# objdump localises its headings; read them in English.
set(ENV{LC_ALL} C)
execute_process(COMMAND "${OBJDUMP}" -p "${DLL}" OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed: ${result}")
endif()
set(failures "")

if(ARCH STREQUAL "i686")
  set(format "pei-i386")
  set(magic "(PE32)")
else()
  set(format "pei-x86-64")
  set(magic "(PE32+)")
endif()
if(NOT dump MATCHES "file format ${format}\n")
  list(APPEND failures "not ${format}")
endif()
string(FIND "${dump}" "${magic}" magic_at)
if(magic_at LESS 0)
  list(APPEND failures "optional header magic is not ${magic}")
endif()

# Every exported address, by ordinal: no export may exist without its name.
string(REGEX MATCHALL "\\+base" addresses "${dump}")
list(LENGTH addresses address_count)
list(LENGTH expected_exports expected_count)
if(NOT address_count EQUAL expected_count)
  list(APPEND failures "${address_count} exported addresses, expected ${expected_count}")
endif()

# The name table: the lines after its heading, up to the first empty line,
# each "<tab>[ ordinal] name". The bracketed ordinals are dropped first, as
# CMake lists do not survive unbalanced brackets.
set(heading "[Ordinal/Name Pointer] Table\n")
string(FIND "${dump}" "${heading}" names_at)
set(exports "")
if(names_at LESS 0)
  list(APPEND failures "no export name table")
else()
  string(LENGTH "${heading}" heading_length)
  math(EXPR names_at "${names_at} + ${heading_length}")
  string(SUBSTRING "${dump}" ${names_at} -1 names)
  string(FIND "${names}" "\n\n" names_end)
  string(SUBSTRING "${names}" 0 ${names_end} names)
  string(REGEX REPLACE "[ \t]*\\[ *[0-9]+\\] " "" names "${names}")
  string(REPLACE "\n" ";" exports "${names}")
  list(SORT exports)
endif()
if(NOT exports STREQUAL expected_exports)
  string(JOIN " " found ${exports})
  list(APPEND failures "exports are: ${found}")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
foreach(import IN LISTS imports)
  string(SUBSTRING "${import}" 10 -1 library)
  string(TOUPPER "${library}" library)
  if(NOT library IN_LIST allowed_imports)
    list(APPEND failures "imports from ${library}")
  endif()
endforeach()

if(failures)
  string(REPLACE ";" "\n  " failures "${failures}")
  message(FATAL_ERROR "${DLL}:\n  ${failures}")
endif()
string(JOIN " " exports ${exports})
message(STATUS "${DLL}: ${format}; exports: ${exports}")
