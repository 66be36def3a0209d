// Written by scripts/lazy-calls.py: the library's functions our code calls, each
// forwarding to the library opened on first use (platform/lazy_libs.h).
extern "C" {
#include <curl/curl.h>
}

#include <type_traits>

#include "platform/lazy_libs.h"

extern "C" {

void curl_easy_cleanup(CURL* a0) {
  CORVIDA_LAZY(kCurl, curl_easy_cleanup)(a0);
}

CURL* curl_easy_init() {
  return CORVIDA_LAZY(kCurl, curl_easy_init)();
}

CURLcode curl_easy_perform(CURL* a0) {
  return CORVIDA_LAZY(kCurl, curl_easy_perform)(a0);
}

const char* curl_easy_strerror(CURLcode a0) {
  return CORVIDA_LAZY(kCurl, curl_easy_strerror)(a0);
}

CURLcode curl_global_init(long a0) {
  return CORVIDA_LAZY(kCurl, curl_global_init)(a0);
}

}  // extern "C"
