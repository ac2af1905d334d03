#include "engine/curl_library.h"

#include <dlfcn.h>

#include <cstdlib>
#include <string>
#include <type_traits>

namespace urlsmith {

namespace {

constexpr char kLibrary[] = "libcurl.so.4";

struct Loaded {
  CurlApi api;
  bool ready = false;
  std::string error;
};

Loaded Load() {
  Loaded loaded;
  const char* name = std::getenv("URLSMITH_LIBCURL");
  if (name == nullptr || *name == '\0') name = kLibrary;
  void* library = ::dlopen(name, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* error = ::dlerror();
    loaded.error = error != nullptr ? error : std::string(name) + " cannot be opened";
    return loaded;
  }
  bool found = true;
  auto find = [&](auto& function, const char* symbol) {
    if (!found) return;
    ::dlerror();
    void* address = ::dlsym(library, symbol);
    if (address == nullptr) {
      const char* error = ::dlerror();
      loaded.error = error != nullptr ? error : std::string(name) + " has no " + symbol;
      found = false;
      return;
    }
    function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(address);
  };
  decltype(&::curl_global_init) globalInit = nullptr;
  find(globalInit, "curl_global_init");
  CurlApi& api = loaded.api;
#define URLSMITH_FIND(field) find(api.field, "curl_" #field)
  URLSMITH_FIND(version_info);
  URLSMITH_FIND(free);
  URLSMITH_FIND(easy_init);
  URLSMITH_FIND(easy_cleanup);
  URLSMITH_FIND(easy_reset);
  URLSMITH_FIND(easy_setopt);
  URLSMITH_FIND(easy_getinfo);
  URLSMITH_FIND(easy_strerror);
  URLSMITH_FIND(multi_init);
  URLSMITH_FIND(multi_cleanup);
  URLSMITH_FIND(multi_setopt);
  URLSMITH_FIND(multi_add_handle);
  URLSMITH_FIND(multi_remove_handle);
  URLSMITH_FIND(multi_perform);
  URLSMITH_FIND(multi_info_read);
  URLSMITH_FIND(multi_poll);
  URLSMITH_FIND(url);
  URLSMITH_FIND(url_cleanup);
  URLSMITH_FIND(url_set);
  URLSMITH_FIND(url_get);
#undef URLSMITH_FIND
  if (!found) {
    ::dlclose(library);
    loaded.api = CurlApi{};
    return loaded;
  }
  // Once for the process, and never undone: the library is not unloaded either.
  if (const CURLcode code = globalInit(CURL_GLOBAL_DEFAULT); code != CURLE_OK) {
    loaded.error =
        std::string(name) + " could not be initialised (" + api.easy_strerror(code) + ")";
    loaded.api = CurlApi{};
    return loaded;
  }
  loaded.ready = true;
  return loaded;
}

const Loaded& Library() {
  static const Loaded loaded = Load();
  return loaded;
}

}  // namespace

const CurlApi* Curl() {
  const Loaded& loaded = Library();
  return loaded.ready ? &loaded.api : nullptr;
}

std::string_view CurlLoadError() {
  return Library().error;
}

}  // namespace urlsmith
