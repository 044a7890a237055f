#include "curllib.h"

#include "util/error.h"

#include <mutex>

#if defined(KOVALT_CURL_SONAME)
#include "util/posix/sharedlib.h"
#endif

namespace kovalt {

#if defined(KOVALT_CURL_SONAME)

bool LoadCurlLib(const char* file, CurlLib& lib, QString& error) {
    SharedLib so;
    CurlLib loaded;
    const bool ok = so.Open(file, QStringLiteral("FTP library")) &&
                    so.Resolve("curl_global_init", loaded.global_init) &&
                    so.Resolve("curl_easy_init", loaded.easy_init) &&
                    so.Resolve("curl_easy_setopt", loaded.easy_setopt) &&
                    so.Resolve("curl_easy_reset", loaded.easy_reset) &&
                    so.Resolve("curl_easy_cleanup", loaded.easy_cleanup) &&
                    so.Resolve("curl_easy_strerror", loaded.easy_strerror) &&
                    so.Resolve("curl_multi_init", loaded.multi_init) &&
                    so.Resolve("curl_multi_add_handle", loaded.multi_add_handle) &&
                    so.Resolve("curl_multi_remove_handle", loaded.multi_remove_handle) &&
                    so.Resolve("curl_multi_perform", loaded.multi_perform) &&
                    so.Resolve("curl_multi_poll", loaded.multi_poll) &&
                    so.Resolve("curl_multi_info_read", loaded.multi_info_read) &&
                    so.Resolve("curl_multi_cleanup", loaded.multi_cleanup) &&
                    so.Resolve("curl_slist_append", loaded.slist_append) &&
                    so.Resolve("curl_slist_free_all", loaded.slist_free_all);
    if (!ok) {
        so.Discard();
        error = so.error();
        return false;
    }
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
