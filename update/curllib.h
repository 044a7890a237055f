#pragma once

#include <QString>

#include <curl/curl.h>

namespace kovalt {

/// The libcurl functions the FTP client calls, through one table. Where the build loads libcurl at
/// run time (Linux), the table is filled when the first FTP connection is made, so a bar that does
/// not check for updates never maps libcurl and the libraries behind it; elsewhere it holds the
/// linked functions.
struct CurlLib {
    CURLcode (*global_init)(long flags) = nullptr;
    CURL* (*easy_init)() = nullptr;
    CURLcode (*easy_setopt)(CURL* easy, CURLoption option, ...) = nullptr;
    void (*easy_reset)(CURL* easy) = nullptr;
    void (*easy_cleanup)(CURL* easy) = nullptr;
    const char* (*easy_strerror)(CURLcode code) = nullptr;
    CURLM* (*multi_init)() = nullptr;
    CURLMcode (*multi_add_handle)(CURLM* multi, CURL* easy) = nullptr;
    CURLMcode (*multi_remove_handle)(CURLM* multi, CURL* easy) = nullptr;
    CURLMcode (*multi_perform)(CURLM* multi, int* running) = nullptr;
    CURLMcode (*multi_poll)(CURLM* multi, curl_waitfd extra[], unsigned count, int timeoutMs, int* ready) = nullptr;
    CURLMsg* (*multi_info_read)(CURLM* multi, int* left) = nullptr;
    CURLMcode (*multi_cleanup)(CURLM* multi) = nullptr;
    curl_slist* (*slist_append)(curl_slist* list, const char* text) = nullptr;
    void (*slist_free_all)(curl_slist* list) = nullptr;
};

/// Fills lib from the shared library file (a name the dynamic loader looks up, or a path). On
/// failure returns false with the reason in error, naming the file and the missing function.
bool LoadCurlLib(const char* file, CurlLib& lib, QString& error);

/// The process's libcurl, loaded and given curl_global_init once, on the first call. Throws Error
/// when it cannot be loaded; a later call tries again.
const CurlLib& Curl();

} // namespace kovalt
