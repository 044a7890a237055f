# Windows programs cross-built with mingw-w64 and run by CTest under Wine.
#
# What a test folder can use (wrap it all in `if(KOVALT_WINE_TESTS)`):
#
#   KOVALT_WINE_TESTS        option; ON by default when the cross compiler, Wine and the GoogleTest
#                            sources are found (OFF in sanitizer builds: -fsanitize in CMAKE_CXX_FLAGS)
#   KOVALT_MINGW_CXX         the cross C++ compiler (x86_64-w64-mingw32-g++, posix thread model
#                            preferred)
#   KOVALT_MINGW_TOOLCHAIN   cmake/mingw-w64-x86_64.cmake (links -static: no mingw DLL needed)
#   KOVALT_MINGW_GTEST_DIR   GTest_DIR of the cross-built GoogleTest (targets GTest::gtest,
#                            GTest::gtest_main); built once by target kovalt_mingw_gtest
#   KOVALT_WINE, KOVALT_WINEBOOT, KOVALT_WINESERVER   the Wine programs
#   KOVALT_WINEPREFIX        ${CMAKE_BINARY_DIR}/wineprefix, the private prefix of every test
#   KOVALT_WINE_ENV          K=V list every Wine test runs with (WINEPREFIX, WINEDEBUG=-all,
#                            WINEDLLOVERRIDES=mscoree,mshtml= so no Mono/Gecko dialog, DISPLAY
#                            empty, LC_ALL=C.UTF-8)
#   CTest fixture `wine`     tests/fixtures/wine: setup creates the prefix (kept between runs)
#                            and starts its wineserver; cleanup stops that wineserver only
#
#   kovalt_add_cross_project(<name> SOURCE_DIR <dir> [NO_GTEST] [CMAKE_ARGS -DX=Y ...])
#       ExternalProject target <name>, part of `all`, rebuilt on every build (fast when nothing
#       changed). The project gets -DKOVALT_SOURCE_DIR=<top of the repository> and, unless
#       NO_GTEST, -DGTest_DIR=${KOVALT_MINGW_GTEST_DIR}. Its programs land in <name>_BIN_DIR
#       (set in the caller's scope; CMAKE_RUNTIME_OUTPUT_DIRECTORY of the cross build).
#
#   kovalt_add_wine_test(<name> EXE <path.exe> [ARGS a ...] [ENV K=V ...] [TIMEOUT s]
#                        [WORKING_DIRECTORY dir] [FIXTURES more ...])
#       Registers `wine <path.exe> ARGS...` with KOVALT_WINE_ENV (+ ENV), FIXTURES_REQUIRED wine.
#       The exit status of the Windows program is the test's. Arguments reach the program as they
#       stand: a Unix path stays a Unix path (Wine maps it as drive Z:, "/" becomes "Z:\").
#       One wineserver serves all tests at once, so no resource lock is needed. A program should
#       not leave a process running that holds its output: CTest waits for the output to close.
#
# The toolchain defines no macros (UNICODE, _WIN32_WINNT): each cross project sets its own.
#
# Example:
#   if(KOVALT_WINE_TESTS)
#       kovalt_add_cross_project(kovalt_oracle_win32 SOURCE_DIR ${CMAKE_CURRENT_SOURCE_DIR}/win32)
#       kovalt_add_wine_test(oracle_probe EXE ${kovalt_oracle_win32_BIN_DIR}/probe.exe ARGS x)
#   endif()
include_guard(GLOBAL)
include(ExternalProject)

set(KOVALT_MINGW_TOOLCHAIN "${CMAKE_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake")
find_program(KOVALT_MINGW_CXX NAMES x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-g++
             x86_64-w64-mingw32-g++-win32 DOC "mingw-w64 C++ compiler for the Win32 tests")
find_program(KOVALT_WINE NAMES wine wine64 DOC "Wine, runs the Win32 tests")
find_program(KOVALT_WINEBOOT NAMES wineboot)
find_program(KOVALT_WINESERVER NAMES wineserver PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(KOVALT_WINESERVER NAMES wineserver)
set(KOVALT_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest sources the Win32 tests build")

set(kovalt_wine_missing "")
foreach(tool KOVALT_MINGW_CXX KOVALT_WINE KOVALT_WINEBOOT KOVALT_WINESERVER)
    if(NOT ${tool})
        list(APPEND kovalt_wine_missing ${tool})
    endif()
endforeach()
if(NOT EXISTS "${KOVALT_GTEST_SOURCE_DIR}/CMakeLists.txt")
    list(APPEND kovalt_wine_missing "GoogleTest sources (KOVALT_GTEST_SOURCE_DIR)")
endif()
# The cross build takes none of the host's compiler flags, so a sanitizer or fuzzing build would
# only repeat what the plain build runs: those leave it out unless asked for.
set(kovalt_wine_default ON)
set(kovalt_wine_why "")
if(kovalt_wine_missing)
    set(kovalt_wine_default OFF)
    set(kovalt_wine_why "not found: ${kovalt_wine_missing}")
elseif(CMAKE_CXX_FLAGS MATCHES "-fsanitize")
    set(kovalt_wine_default OFF)
    set(kovalt_wine_why "a sanitizer build; the plain build runs them")
endif()
option(KOVALT_WINE_TESTS "Cross-build the Win32 parts with mingw-w64 and test them under Wine"
       ${kovalt_wine_default})
if(KOVALT_WINE_TESTS AND kovalt_wine_missing)
    message(FATAL_ERROR "KOVALT_WINE_TESTS is ON, but not found: ${kovalt_wine_missing} "
                        "(Debian packages g++-mingw-w64-x86-64, wine, wine64, googletest)")
elseif(NOT KOVALT_WINE_TESTS)
    if(kovalt_wine_why)
        message(STATUS "Win32 tests under Wine: off, ${kovalt_wine_why}")
    else()
        message(STATUS "Win32 tests under Wine: off (KOVALT_WINE_TESTS)")
    endif()
    return()
endif()
message(STATUS "Win32 tests under Wine: ${KOVALT_MINGW_CXX}, ${KOVALT_WINE}")

set(KOVALT_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix")
set(KOVALT_WINE_ENV
    "WINEPREFIX=${KOVALT_WINEPREFIX}"
    "WINEDEBUG=-all"
    "WINEDLLOVERRIDES=mscoree,mshtml="
    "DISPLAY="
    "WAYLAND_DISPLAY="
    "LC_ALL=C.UTF-8")
set(KOVALT_CROSS_JOBS 2 CACHE STRING "Parallel jobs of each cross build")

set(kovalt_cross_common_args
    "-DCMAKE_TOOLCHAIN_FILE=${KOVALT_MINGW_TOOLCHAIN}"
    "-DKOVALT_MINGW_CXX=${KOVALT_MINGW_CXX}"
    "-DCMAKE_BUILD_TYPE=Release")
if(CMAKE_CXX_COMPILER_LAUNCHER)
    list(APPEND kovalt_cross_common_args "-DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}")
endif()

# GoogleTest for Windows, built once and installed into the build tree for every cross project.
set(kovalt_gtest_prefix "${CMAKE_BINARY_DIR}/win32/gtest")
set(KOVALT_MINGW_GTEST_DIR "${kovalt_gtest_prefix}/lib/cmake/GTest")
# Everything of the cross builds, their stamps too, sits under win32/: removing it starts afresh.
ExternalProject_Add(kovalt_mingw_gtest
    PREFIX "${CMAKE_BINARY_DIR}/win32/kovalt_mingw_gtest-prefix"
    SOURCE_DIR "${KOVALT_GTEST_SOURCE_DIR}"
    BINARY_DIR "${CMAKE_BINARY_DIR}/win32/gtest-build"
    INSTALL_DIR "${kovalt_gtest_prefix}"
    CMAKE_ARGS ${kovalt_cross_common_args}
        "-DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>"
        -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON -Dgtest_disable_pthreads=ON
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> -j ${KOVALT_CROSS_JOBS}
    BUILD_BYPRODUCTS "${kovalt_gtest_prefix}/lib/libgtest.a"
    EXCLUDE_FROM_ALL OFF)

function(kovalt_add_cross_project name)
    cmake_parse_arguments(P "NO_GTEST" "SOURCE_DIR" "CMAKE_ARGS" ${ARGN})
    if(NOT P_SOURCE_DIR)
        message(FATAL_ERROR "kovalt_add_cross_project(${name}): SOURCE_DIR is missing")
    endif()
    set(binary "${CMAKE_BINARY_DIR}/win32/${name}")
    set(args ${kovalt_cross_common_args}
        "-DKOVALT_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
        "-DCMAKE_RUNTIME_OUTPUT_DIRECTORY=${binary}/bin"
        ${P_CMAKE_ARGS})
    set(depends "")
    if(NOT P_NO_GTEST)
        list(APPEND args "-DGTest_DIR=${KOVALT_MINGW_GTEST_DIR}")
        set(depends DEPENDS kovalt_mingw_gtest)
    endif()
    ExternalProject_Add(${name}
        PREFIX "${CMAKE_BINARY_DIR}/win32/${name}-prefix"
        SOURCE_DIR "${P_SOURCE_DIR}"
        BINARY_DIR "${binary}"
        CMAKE_ARGS ${args}
        BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> -j ${KOVALT_CROSS_JOBS}
        BUILD_ALWAYS ON
        INSTALL_COMMAND ""
        ${depends})
    set(${name}_BIN_DIR "${binary}/bin" PARENT_SCOPE)
endfunction()

function(kovalt_add_wine_test name)
    cmake_parse_arguments(T "" "EXE;TIMEOUT;WORKING_DIRECTORY" "ARGS;ENV;FIXTURES" ${ARGN})
    if(NOT T_EXE)
        message(FATAL_ERROR "kovalt_add_wine_test(${name}): EXE is missing")
    endif()
    set(wd "")
    if(T_WORKING_DIRECTORY)
        set(wd WORKING_DIRECTORY "${T_WORKING_DIRECTORY}")
    endif()
    add_test(NAME ${name} COMMAND "${KOVALT_WINE}" "${T_EXE}" ${T_ARGS} ${wd})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    set(env ${KOVALT_WINE_ENV} ${T_ENV})
    set(fixtures wine ${T_FIXTURES})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "${env}"
        FIXTURES_REQUIRED "${fixtures}"
        TIMEOUT ${T_TIMEOUT}
        LABELS wine)
endfunction()
