# Cross toolchain for 64-bit Windows with Debian's mingw-w64 (package g++-mingw-w64-x86-64).
#
#   cmake -S <dir> -B <build> --toolchain <repo>/cmake/mingw-w64-x86_64.cmake
#
# The posix thread model is preferred (full std::thread/std::mutex in GCC 12); the win32 one is
# taken when only it is installed. KOVALT_MINGW_CXX picks another compiler. Programs are linked
# with -static, so they need no mingw DLL beside them and run under Wine as they stand.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KOVALT_MINGW_TRIPLET x86_64-w64-mingw32)
if(NOT KOVALT_MINGW_CXX)
    find_program(KOVALT_MINGW_CXX NAMES ${KOVALT_MINGW_TRIPLET}-g++-posix ${KOVALT_MINGW_TRIPLET}-g++
                 ${KOVALT_MINGW_TRIPLET}-g++-win32)
endif()
if(NOT KOVALT_MINGW_CXX)
    message(FATAL_ERROR "No ${KOVALT_MINGW_TRIPLET}-g++ found (Debian package g++-mingw-w64-x86-64)")
endif()
# The C compiler of the same thread model sits beside the C++ one.
string(REGEX REPLACE "g\\+\\+(-[a-z0-9]+)?$" "gcc\\1" KOVALT_MINGW_CC "${KOVALT_MINGW_CXX}")

set(CMAKE_CXX_COMPILER "${KOVALT_MINGW_CXX}")
if(EXISTS "${KOVALT_MINGW_CC}")
    set(CMAKE_C_COMPILER "${KOVALT_MINGW_CC}")
endif()
find_program(CMAKE_RC_COMPILER NAMES ${KOVALT_MINGW_TRIPLET}-windres)
find_program(CMAKE_AR NAMES ${KOVALT_MINGW_TRIPLET}-gcc-ar ${KOVALT_MINGW_TRIPLET}-ar)
find_program(CMAKE_RANLIB NAMES ${KOVALT_MINGW_TRIPLET}-gcc-ranlib ${KOVALT_MINGW_TRIPLET}-ranlib)

# Libraries and headers of the target only; programs (code generators) of the build machine.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${KOVALT_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
