#include "curllib.h"

#include "util/error.h"

#include <mutex>

#if defined(KOVALT_CURL_SONAME)
#include <dlfcn.h>
#endif

namespace kovalt {

#if defined(KOVALT_CURL_SONAME)

namespace {
template <typename F> bool Resolve(void* handle, const char* name, F& target, QString& error) {
    target = reinterpret_cast<F>(dlsym(handle, name));
    if (!target) error = QStringLiteral("%1 in the FTP library").arg(QString::fromLatin1(name));
    return target != nullptr;
}
} // namespace

bool LoadCurlLib(const char* file, CurlLib& lib, QString& error) {
    // RTLD_LOCAL: its dependencies (TLS, LDAP, Kerberos) stay out of the global symbol scope.
    void* handle = dlopen(file, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = dlerror();
        error = QStringLiteral("Cannot load the FTP library %1: %2")
                    .arg(QString::fromLocal8Bit(file), QString::fromLocal8Bit(reason ? reason : "unknown error"));
        return false;
    }
    CurlLib loaded;
    QString missing;
    const bool ok = Resolve(handle, "curl_global_init", loaded.global_init, missing) &&
                    Resolve(handle, "curl_easy_init", loaded.easy_init, missing) &&
                    Resolve(handle, "curl_easy_setopt", loaded.easy_setopt, missing) &&
                    Resolve(handle, "curl_easy_reset", loaded.easy_reset, missing) &&
                    Resolve(handle, "curl_easy_cleanup", loaded.easy_cleanup, missing) &&
                    Resolve(handle, "curl_easy_strerror", loaded.easy_strerror, missing) &&
                    Resolve(handle, "curl_multi_init", loaded.multi_init, missing) &&
                    Resolve(handle, "curl_multi_add_handle", loaded.multi_add_handle, missing) &&
                    Resolve(handle, "curl_multi_remove_handle", loaded.multi_remove_handle, missing) &&
                    Resolve(handle, "curl_multi_perform", loaded.multi_perform, missing) &&
                    Resolve(handle, "curl_multi_poll", loaded.multi_poll, missing) &&
                    Resolve(handle, "curl_multi_info_read", loaded.multi_info_read, missing) &&
                    Resolve(handle, "curl_multi_cleanup", loaded.multi_cleanup, missing) &&
                    Resolve(handle, "curl_slist_append", loaded.slist_append, missing) &&
                    Resolve(handle, "curl_slist_free_all", loaded.slist_free_all, missing);
    if (!ok) {
        dlclose(handle);
        error = QStringLiteral("Cannot load the FTP library %1: %2 is missing (libcurl 7.66 or newer is needed).")
                    .arg(QString::fromLocal8Bit(file), missing);
        return false;
    }
    // The handle stays open for the rest of the process: easy handles outlive any one caller.
    lib = loaded;
    return true;
}

#else

bool LoadCurlLib(const char*, CurlLib& lib, QString&) {
    lib.global_init = &curl_global_init;
    lib.easy_init = &curl_easy_init;
    lib.easy_setopt = &curl_easy_setopt;
    lib.easy_reset = &curl_easy_reset;
    lib.easy_cleanup = &curl_easy_cleanup;
    lib.easy_strerror = &curl_easy_strerror;
    lib.multi_init = &curl_multi_init;
    lib.multi_add_handle = &curl_multi_add_handle;
    lib.multi_remove_handle = &curl_multi_remove_handle;
    lib.multi_perform = &curl_multi_perform;
    lib.multi_poll = &curl_multi_poll;
    lib.multi_info_read = &curl_multi_info_read;
    lib.multi_cleanup = &curl_multi_cleanup;
    lib.slist_append = &curl_slist_append;
    lib.slist_free_all = &curl_slist_free_all;
    return true;
}

#endif

const CurlLib& Curl() {
    static std::mutex mutex;
    static CurlLib lib;
    static bool ready = false;
    const std::lock_guard<std::mutex> lock(mutex);
    if (!ready) {
        QString error;
#if defined(KOVALT_CURL_SONAME)
        const char* file = KOVALT_CURL_SONAME;
#else
        const char* file = "";
#endif
        if (!LoadCurlLib(file, lib, error)) throw Error(error);
        lib.global_init(CURL_GLOBAL_DEFAULT);
        ready = true;
    }
    return lib;
}

} // namespace kovalt
