# Cross-build for 64-bit Windows with Debian's mingw-w64 (posix threads, for
# std::thread). Programs are linked with the GCC run-time inside, so the
# program folder needs no MinGW DLLs; tests run under wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(K4_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${K4_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${K4_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${K4_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${K4_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# The libraries a program imports are then looked for in the system folder
# only (LOAD_LIBRARY_SEARCH_SYSTEM32), never beside a planted copy. A linker
# that knows the flag gets it; GNU ld does not know it yet, and the programs
# then rely on restricting the search first thing in main (they import
# system libraries only).
execute_process(COMMAND ${K4_MINGW_PREFIX}-ld --help OUTPUT_VARIABLE K4_LD_HELP ERROR_QUIET)
if(K4_LD_HELP MATCHES "--dependent-load-flag")
  string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -Wl,--dependent-load-flag=0x800")
  string(APPEND CMAKE_SHARED_LINKER_FLAGS_INIT " -Wl,--dependent-load-flag=0x800")
endif()

get_filename_component(K4_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${K4_SOURCE_ROOT}/scripts/wine-run.sh")
