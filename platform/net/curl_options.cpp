// libcurl's two functions taking `...`, forwarded like the others (curl_calls.cpp): the
// one argument after the option is read as the type the option's number range says,
// as libcurl itself does.
#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>

#include <cstdarg>

#include "platform/lazy_libs.h"

// The header declares the option as an enum before the `...`; its values are ints, as
// libcurl itself reads them.
#if defined(__clang__)
#pragma clang diagnostic ignored "-Wvarargs"
#endif

extern "C" {

CURLcode curl_easy_setopt(CURL* curl, CURLoption option, ...) {
  va_list args;
  va_start(args, option);
  CURLcode result;
  const auto forward = CORVIDA_LAZY(kCurl, curl_easy_setopt);
  if (option < CURLOPTTYPE_OBJECTPOINT) {
    result = forward(curl, option, va_arg(args, long));
  } else if (option < CURLOPTTYPE_FUNCTIONPOINT) {
    result = forward(curl, option, va_arg(args, void*));
  } else if (option < CURLOPTTYPE_OFF_T) {
    result = forward(curl, option, va_arg(args, void (*)()));
  } else if (option < CURLOPTTYPE_BLOB) {
    result = forward(curl, option, va_arg(args, curl_off_t));
  } else {
    result = forward(curl, option, va_arg(args, void*));
  }
  va_end(args);
  return result;
}

// Every kind of information is written through a pointer.
CURLcode curl_easy_getinfo(CURL* curl, CURLINFO info, ...) {
  va_list args;
  va_start(args, info);
  void* into = va_arg(args, void*);
  va_end(args);
  return CORVIDA_LAZY(kCurl, curl_easy_getinfo)(curl, info, into);
}

}  // extern "C"
