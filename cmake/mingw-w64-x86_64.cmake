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

get_filename_component(K4_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${K4_SOURCE_ROOT}/scripts/wine-run.sh")
