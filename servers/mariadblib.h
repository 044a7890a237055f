#pragma once

#include <QString>

#include <mysql.h>


namespace kovalt {

/// The MariaDB Connector/C functions the connection test calls, through one table. Where the
/// build loads the client library at run time (Linux), the table is filled on first use, which
/// the bar makes on a start-up thread of its own: opening the library and its TLS library and
/// initialising them need not hold up the window. Elsewhere the table holds the linked functions.
struct MariaDbLib {
    int (*library_init)(int argc, char** argv, char** groups) = nullptr;
    MYSQL* (*init)(MYSQL* mysql) = nullptr;
    int (*options)(MYSQL* mysql, enum mysql_option option, const void* arg) = nullptr;
    MYSQL* (*real_connect)(MYSQL* mysql, const char* host, const char* user, const char* password,
                           const char* database, unsigned port, const char* socket, unsigned long flags) = nullptr;
    unsigned (*error_code)(MYSQL* mysql) = nullptr;
    const char* (*error_text)(MYSQL* mysql) = nullptr;
    void (*close)(MYSQL* mysql) = nullptr;
};

/// Fills lib from the shared library file (a name the dynamic loader looks up, or a path). On
/// failure returns false with the reason in error, naming the file or the missing function.
bool LoadMariaDbLib(const char* file, MariaDbLib& lib, QString& error);

/// The process's client library, loaded and initialised (mysql_library_init) once; a caller that
/// comes while another thread loads it waits for that. Null with the reason in error when it
/// cannot be loaded or initialised.
const MariaDbLib* DbClient(QString* error = nullptr);

} // namespace kovalt
