#pragma once

#include <curl/curl.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <zip.h>

// libcurl, libcrypto and libzip serve only the update, which most runs of the
// game never start. They are loaded when first needed rather than with the
// program: together with the libraries they pull in they would hold about
// 10 MB of memory for nothing. Each accessor loads its library once (thread
// safe) and returns null when it cannot be loaded; callers then fail the way
// they fail when the library itself refuses.
namespace UpdateLibraries {

struct Curl {
    decltype(&::curl_global_init) global_init;
    decltype(&::curl_easy_init) easy_init;
    decltype(&::curl_easy_setopt) easy_setopt;
    decltype(&::curl_easy_perform) easy_perform;
    decltype(&::curl_easy_getinfo) easy_getinfo;
    decltype(&::curl_easy_cleanup) easy_cleanup;
};
// With curl_global_init already done.
const Curl *curl();

struct Crypto {
    decltype(&::EVP_PKEY_new_raw_public_key) EVP_PKEY_new_raw_public_key;
    decltype(&::EVP_PKEY_free) EVP_PKEY_free;
    decltype(&::EVP_MD_CTX_new) EVP_MD_CTX_new;
    decltype(&::EVP_MD_CTX_free) EVP_MD_CTX_free;
    decltype(&::EVP_DigestVerifyInit) EVP_DigestVerifyInit;
    decltype(&::EVP_DigestVerify) EVP_DigestVerify;
    decltype(&::ERR_clear_error) ERR_clear_error;
};
const Crypto *crypto();

struct Zip {
    decltype(&::zip_error_init) error_init;
    decltype(&::zip_error_fini) error_fini;
    decltype(&::zip_source_buffer_create) source_buffer_create;
    decltype(&::zip_source_free) source_free;
    decltype(&::zip_open_from_source) open_from_source;
    decltype(&::zip_discard) discard;
    decltype(&::zip_get_num_entries) get_num_entries;
    decltype(&::zip_stat_init) stat_init;
    decltype(&::zip_stat_index) stat_index;
    decltype(&::zip_file_get_external_attributes) file_get_external_attributes;
    decltype(&::zip_fopen_index) fopen_index;
    decltype(&::zip_fread) fread;
    decltype(&::zip_fclose) fclose;
};
const Zip *zip();

} // namespace UpdateLibraries
