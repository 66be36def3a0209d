// Written by scripts/lazy-calls.py: the library's functions our code calls, each
// forwarding to the library opened on first use (platform/lazy_libs.h).
extern "C" {
#include <cairo-pdf.h>
#include <cairo.h>
}

#include <type_traits>

#include "platform/lazy_libs.h"

extern "C" {

cairo_t* cairo_create(cairo_surface_t* a0) {
  return CORVIDA_LAZY(kCairo, cairo_create)(a0);
}

void cairo_destroy(cairo_t* a0) {
  CORVIDA_LAZY(kCairo, cairo_destroy)(a0);
}

cairo_pattern_t* cairo_get_source(cairo_t* a0) {
  return CORVIDA_LAZY(kCairo, cairo_get_source)(a0);
}

cairo_surface_t* cairo_image_surface_create(cairo_format_t a0, int a1, int a2) {
  return CORVIDA_LAZY(kCairo, cairo_image_surface_create)(a0, a1, a2);
}

unsigned char* cairo_image_surface_get_data(cairo_surface_t* a0) {
  return CORVIDA_LAZY(kCairo, cairo_image_surface_get_data)(a0);
}

int cairo_image_surface_get_stride(cairo_surface_t* a0) {
  return CORVIDA_LAZY(kCairo, cairo_image_surface_get_stride)(a0);
}

void cairo_paint(cairo_t* a0) {
  CORVIDA_LAZY(kCairo, cairo_paint)(a0);
}

void cairo_pattern_set_filter(cairo_pattern_t* a0, cairo_filter_t a1) {
  CORVIDA_LAZY(kCairo, cairo_pattern_set_filter)(a0, a1);
}

cairo_surface_t* cairo_pdf_surface_create_for_stream(cairo_write_func_t a0, void* a1, double a2,
                                                     double a3) {
  return CORVIDA_LAZY(kCairo, cairo_pdf_surface_create_for_stream)(a0, a1, a2, a3);
}

void cairo_scale(cairo_t* a0, double a1, double a2) {
  CORVIDA_LAZY(kCairo, cairo_scale)(a0, a1, a2);
}

void cairo_set_source_surface(cairo_t* a0, cairo_surface_t* a1, double a2, double a3) {
  CORVIDA_LAZY(kCairo, cairo_set_source_surface)(a0, a1, a2, a3);
}

void cairo_show_page(cairo_t* a0) {
  CORVIDA_LAZY(kCairo, cairo_show_page)(a0);
}

cairo_status_t cairo_status(cairo_t* a0) {
  return CORVIDA_LAZY(kCairo, cairo_status)(a0);
}

const char* cairo_status_to_string(cairo_status_t a0) {
  return CORVIDA_LAZY(kCairo, cairo_status_to_string)(a0);
}

void cairo_surface_destroy(cairo_surface_t* a0) {
  CORVIDA_LAZY(kCairo, cairo_surface_destroy)(a0);
}

void cairo_surface_finish(cairo_surface_t* a0) {
  CORVIDA_LAZY(kCairo, cairo_surface_finish)(a0);
}

void cairo_surface_flush(cairo_surface_t* a0) {
  CORVIDA_LAZY(kCairo, cairo_surface_flush)(a0);
}

void cairo_surface_mark_dirty(cairo_surface_t* a0) {
  CORVIDA_LAZY(kCairo, cairo_surface_mark_dirty)(a0);
}

cairo_status_t cairo_surface_status(cairo_surface_t* a0) {
  return CORVIDA_LAZY(kCairo, cairo_surface_status)(a0);
}

void cairo_translate(cairo_t* a0, double a1, double a2) {
  CORVIDA_LAZY(kCairo, cairo_translate)(a0, a1, a2);
}

}  // extern "C"
