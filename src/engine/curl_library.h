// libcurl, loaded the first time an Internet address is checked rather than when the program
// starts: the library and the many it needs in turn (TLS, Kerberos, LDAP, SSH ...) then cost
// nothing to a run that checks no address. The types and constants come from <curl/curl.h>;
// the functions are called through the table below.
#pragma once

#include <curl/curl.h>

#include <string_view>

namespace urlsmith {

// The libcurl functions the program calls.
struct CurlApi {
  decltype(&::curl_version_info) version_info = nullptr;
  decltype(&::curl_free) free = nullptr;
  decltype(&::curl_easy_init) easy_init = nullptr;
  decltype(&::curl_easy_cleanup) easy_cleanup = nullptr;
  decltype(&::curl_easy_reset) easy_reset = nullptr;
  decltype(&::curl_easy_setopt) easy_setopt = nullptr;  // variadic, as declared
  decltype(&::curl_easy_getinfo) easy_getinfo = nullptr;
  decltype(&::curl_easy_strerror) easy_strerror = nullptr;
  decltype(&::curl_multi_init) multi_init = nullptr;
  decltype(&::curl_multi_cleanup) multi_cleanup = nullptr;
  decltype(&::curl_multi_setopt) multi_setopt = nullptr;
  decltype(&::curl_multi_add_handle) multi_add_handle = nullptr;
  decltype(&::curl_multi_remove_handle) multi_remove_handle = nullptr;
  decltype(&::curl_multi_perform) multi_perform = nullptr;
  decltype(&::curl_multi_info_read) multi_info_read = nullptr;
  decltype(&::curl_multi_poll) multi_poll = nullptr;
  decltype(&::curl_url) url = nullptr;
  decltype(&::curl_url_cleanup) url_cleanup = nullptr;
  decltype(&::curl_url_set) url_set = nullptr;
  decltype(&::curl_url_get) url_get = nullptr;
};

// libcurl's functions, or null when the library could not be loaded. The first call (from any
// thread) loads libcurl.so.4, or the library that URLSMITH_LIBCURL names, and initialises it
// for the whole process; later calls give the same answer. The library stays loaded until the
// program ends.
const CurlApi* Curl();

// Why Curl() is null: the loader's error text. Empty when libcurl is loaded.
std::string_view CurlLoadError();

}  // namespace urlsmith
