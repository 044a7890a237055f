# kovalt_add_test(NAME SOURCES a.cpp ... LIBS lib ... [GUI] [FIXTURES name ...] [ENV K=V ...] [TIMEOUT s])
# Registers one QtTest executable with CTest. GUI tests run on Qt's offscreen platform.
set(KOVALT_TEST_DATA "${CMAKE_SOURCE_DIR}/tests/data")
set(KOVALT_FIXTURE_DIR "${CMAKE_SOURCE_DIR}/tests/fixtures")
set(KOVALT_MARIADB_INFO "${CMAKE_BINARY_DIR}/mariadb-fixture")

function(kovalt_add_test name)
    cmake_parse_arguments(T "GUI" "TIMEOUT" "SOURCES;LIBS;FIXTURES;ENV" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name})
    set(env
        "KOVALT_TEST_DATA=${KOVALT_TEST_DATA}"
        "KOVALT_FIXTURE_DIR=${KOVALT_FIXTURE_DIR}"
        "KOVALT_MARIADB_INFO=${KOVALT_MARIADB_INFO}"
        "LC_ALL=C.UTF-8"
        ${T_ENV})
    if(T_GUI)
        list(APPEND env "QT_QPA_PLATFORM=offscreen:configfile=${KOVALT_TEST_DATA}/screen1080.json")
    endif()
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}")
    if(T_FIXTURES)
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "${T_FIXTURES}")
    endif()
    if(T_TIMEOUT)
        set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
    else()
        set_tests_properties(${name} PROPERTIES TIMEOUT 300)
    endif()
endfunction()
