#include "mariadblib.h"

#include <mutex>

#if defined(KOVALT_MARIADB_SONAME)
#include "util/posix/sharedlib.h"
#endif

namespace kovalt {

#if defined(KOVALT_MARIADB_SONAME)

bool LoadMariaDbLib(const char* file, MariaDbLib& lib, QString& error) {
    SharedLib so;
    MariaDbLib loaded;
    // mysql_library_init is a macro for this one.
    const bool ok = so.Open(file, QStringLiteral("database client library")) &&
                    so.Resolve("mysql_server_init", loaded.library_init) && so.Resolve("mysql_init", loaded.init) &&
                    so.Resolve("mysql_options", loaded.options) &&
                    so.Resolve("mysql_real_connect", loaded.real_connect) &&
                    so.Resolve("mysql_errno", loaded.error_code) && so.Resolve("mysql_error", loaded.error_text) &&
                    so.Resolve("mysql_close", loaded.close);
    if (!ok) {
        so.Discard();
        error = so.error();
        return false;
    }
    lib = loaded;
    return true;
}

#else

bool LoadMariaDbLib(const char*, MariaDbLib& lib, QString&) {
    lib.library_init = &mysql_server_init;
    lib.init = &mysql_init;
    lib.options = &mysql_options;
    lib.real_connect = &mysql_real_connect;
    lib.error_code = &mysql_errno;
    lib.error_text = &mysql_error;
    lib.close = &mysql_close;
    return true;
}

#endif

const MariaDbLib* DbClient(QString* error) {
    static std::once_flag once;
    static MariaDbLib lib;
    static bool ready = false;
    static QString failure;
    std::call_once(once, [] {
#if defined(KOVALT_MARIADB_SONAME)
        const char* file = KOVALT_MARIADB_SONAME;
#else
        const char* file = "";
#endif
        if (!LoadMariaDbLib(file, lib, failure)) return;
        if (lib.library_init(0, nullptr, nullptr) != 0) {
            failure = QStringLiteral("The database client library could not be initialised.");
            return;
        }
        ready = true;
    });
    if (!ready && error) *error = failure;
    return ready ? &lib : nullptr;
}

} // namespace kovalt
