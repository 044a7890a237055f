# libmariadb (MariaDB Connector/C) and libcurl as imported targets.
find_package(CURL REQUIRED)

find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
    pkg_check_modules(MARIADB QUIET IMPORTED_TARGET libmariadb)
endif()
if(TARGET PkgConfig::MARIADB)
    add_library(kovalt::mariadb ALIAS PkgConfig::MARIADB)
else()
    find_path(MARIADB_INCLUDE_DIR mysql.h PATH_SUFFIXES mariadb mysql REQUIRED)
    find_library(MARIADB_LIBRARY NAMES mariadb libmariadb REQUIRED)
    add_library(kovalt_mariadb INTERFACE)
    target_include_directories(kovalt_mariadb INTERFACE ${MARIADB_INCLUDE_DIR})
    target_link_libraries(kovalt_mariadb INTERFACE ${MARIADB_LIBRARY})
    add_library(kovalt::mariadb ALIAS kovalt_mariadb)
endif()

# Its headers alone: on Linux the connection test opens the library at run time
# (servers/mariadblib.cpp) and the program does not link it.
add_library(kovalt_mariadb_headers INTERFACE)
if(TARGET PkgConfig::MARIADB)
    target_include_directories(kovalt_mariadb_headers INTERFACE ${MARIADB_INCLUDE_DIRS})
else()
    target_include_directories(kovalt_mariadb_headers INTERFACE ${MARIADB_INCLUDE_DIR})
endif()
add_library(kovalt::mariadb_headers ALIAS kovalt_mariadb_headers)
