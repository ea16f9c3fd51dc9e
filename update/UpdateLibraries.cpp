#include "update/UpdateLibraries.h"

#include <dlfcn.h>

namespace UpdateLibraries {

namespace {

template <typename Function> bool bind(void *library, Function &function, const char *name)
{
    function = reinterpret_cast<Function>(::dlsym(library, name));
    return function != nullptr;
}

} // namespace

const Curl *curl()
{
    static const Curl *const loaded = []() -> const Curl * {
        static Curl c{};
        void *lib = ::dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
        const bool bound =
            lib && bind(lib, c.global_init, "curl_global_init") && bind(lib, c.easy_init, "curl_easy_init") &&
            bind(lib, c.easy_setopt, "curl_easy_setopt") && bind(lib, c.easy_perform, "curl_easy_perform") &&
            bind(lib, c.easy_getinfo, "curl_easy_getinfo") && bind(lib, c.easy_cleanup, "curl_easy_cleanup");
        return bound && c.global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK ? &c : nullptr;
    }();
    return loaded;
}

const Crypto *crypto()
{
    static const Crypto *const loaded = []() -> const Crypto * {
        static Crypto c{};
        void *lib = ::dlopen("libcrypto.so.3", RTLD_NOW | RTLD_LOCAL);
        const bool bound = lib && bind(lib, c.EVP_PKEY_new_raw_public_key, "EVP_PKEY_new_raw_public_key") &&
                           bind(lib, c.EVP_PKEY_free, "EVP_PKEY_free") &&
                           bind(lib, c.EVP_MD_CTX_new, "EVP_MD_CTX_new") &&
                           bind(lib, c.EVP_MD_CTX_free, "EVP_MD_CTX_free") &&
                           bind(lib, c.EVP_DigestVerifyInit, "EVP_DigestVerifyInit") &&
                           bind(lib, c.EVP_DigestVerify, "EVP_DigestVerify") &&
                           bind(lib, c.ERR_clear_error, "ERR_clear_error");
        return bound ? &c : nullptr;
    }();
    return loaded;
}

const Zip *zip()
{
    static const Zip *const loaded = []() -> const Zip * {
        static Zip z{};
        void *lib = ::dlopen("libzip.so.4", RTLD_NOW | RTLD_LOCAL);
        const bool bound =
            lib && bind(lib, z.error_init, "zip_error_init") && bind(lib, z.error_fini, "zip_error_fini") &&
            bind(lib, z.source_buffer_create, "zip_source_buffer_create") &&
            bind(lib, z.source_free, "zip_source_free") &&
            bind(lib, z.open_from_source, "zip_open_from_source") && bind(lib, z.discard, "zip_discard") &&
            bind(lib, z.get_num_entries, "zip_get_num_entries") && bind(lib, z.stat_init, "zip_stat_init") &&
            bind(lib, z.stat_index, "zip_stat_index") &&
            bind(lib, z.file_get_external_attributes, "zip_file_get_external_attributes") &&
            bind(lib, z.fopen_index, "zip_fopen_index") && bind(lib, z.fread, "zip_fread") &&
            bind(lib, z.fclose, "zip_fclose");
        return bound ? &z : nullptr;
    }();
    return loaded;
}

} // namespace UpdateLibraries
