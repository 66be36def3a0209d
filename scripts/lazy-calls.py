#!/usr/bin/env python3
"""Writes the forwarding functions of the libraries the player loads on first use.

The program is not linked with FFmpeg, SDL2, cairo, libcurl, giflib, libjpeg-turbo or
libtiff: each function of theirs that our code calls is defined in a file written by this
script, with the signature the library's own header declares (read with clang's syntax
tree), and forwards to the library opened by platform/lazy_libs.cpp when first called.
Functions taking `...` are written by hand (see SKIPPED below).

Run it again after calling a new function of one of these libraries (the link fails with
an undefined reference until then):  python3 scripts/lazy-calls.py
"""
import json
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# group in lazy_libs.h, output file, headers, compiler flags, functions
GROUPS = [
    ("kFfmpeg", "platform/lazy/ffmpeg_calls.cpp",
     ["libavformat/avformat.h", "libavcodec/avcodec.h", "libavutil/channel_layout.h",
      "libavutil/dict.h", "libavutil/frame.h", "libavutil/mem.h", "libavutil/log.h",
      "libavutil/mathematics.h", "libswscale/swscale.h", "libswresample/swresample.h"], [],
     """av_guess_frame_rate av_read_frame av_seek_frame avformat_alloc_context
     avformat_close_input avformat_find_stream_info avformat_open_input avformat_seek_file
     avio_alloc_context avio_context_free av_codec_is_decoder av_codec_iterate av_new_packet
     av_packet_alloc av_packet_free av_packet_unref avcodec_alloc_context3
     avcodec_find_decoder avcodec_find_decoder_by_name avcodec_flush_buffers
     avcodec_free_context avcodec_open2 avcodec_parameters_to_context avcodec_receive_frame
     avcodec_send_packet av_channel_layout_check av_channel_layout_copy
     av_channel_layout_default av_channel_layout_uninit av_dict_free av_dict_set
     av_frame_alloc av_frame_free av_frame_unref av_free av_freep av_log_set_level av_malloc
     av_max_alloc av_rescale_q av_rescale_q_rnd sws_freeContext sws_getCachedContext
     sws_scale swr_alloc_set_opts2 swr_convert swr_free swr_get_out_samples swr_init"""),
    ("kCairo", "platform/lazy/cairo_calls.cpp", ["cairo.h", "cairo-pdf.h"],
     ["-I/usr/include/cairo"],
     """cairo_create cairo_destroy cairo_get_source cairo_image_surface_create
     cairo_image_surface_get_data cairo_image_surface_get_stride cairo_paint
     cairo_pattern_set_filter cairo_pdf_surface_create_for_stream cairo_scale
     cairo_set_source_surface cairo_show_page cairo_status cairo_status_to_string
     cairo_surface_destroy cairo_surface_finish cairo_surface_flush cairo_surface_mark_dirty
     cairo_surface_status cairo_translate"""),
    ("kCurl", "platform/net/curl_calls.cpp", ["curl/curl.h"], [],
     """curl_easy_cleanup curl_easy_init curl_easy_perform curl_easy_strerror
     curl_global_init"""),
    ("kSdl", "platform/sdl/sdl_calls.cpp", ["SDL.h"], ["-I/usr/include/SDL2", "-D_REENTRANT"],
     """SDL_CaptureMouse SDL_CloseAudioDevice SDL_CreateColorCursor
     SDL_CreateRGBSurfaceWithFormat SDL_CreateRenderer SDL_CreateSystemCursor
     SDL_CreateTexture SDL_CreateWindow SDL_Delay SDL_DestroyRenderer SDL_DestroyTexture
     SDL_DestroyWindow SDL_FreeCursor SDL_FreeSurface SDL_GetClipboardText
     SDL_GetCurrentVideoDriver SDL_GetCursor SDL_GetDisplayUsableBounds SDL_GetError
     SDL_GetGlobalMouseState SDL_GetKeyboardFocus SDL_GetKeyboardState SDL_GetModState
     SDL_GetMouseFocus SDL_GetMouseState SDL_GetRendererOutputSize SDL_GetScancodeFromKey
     SDL_GetWindowDisplayIndex SDL_GetWindowFlags SDL_GetWindowID SDL_GetWindowPosition
     SDL_GetWindowSize SDL_InitSubSystem SDL_OpenAudioDevice SDL_PauseAudioDevice
     SDL_PollEvent SDL_PushEvent SDL_QuitSubSystem SDL_RaiseWindow SDL_RegisterEvents
     SDL_RenderClear SDL_RenderCopy SDL_RenderPresent SDL_RenderReadPixels
     SDL_SetClipboardText SDL_SetCursor SDL_SetHint SDL_SetRenderDrawColor
     SDL_SetTextureScaleMode SDL_SetWindowFullscreen SDL_SetWindowMinimumSize
     SDL_SetWindowSize SDL_SetWindowTitle SDL_ShowMessageBox SDL_ShowSimpleMessageBox
     SDL_UpdateTexture SDL_WaitEventTimeout SDL_free SDL_getenv SDL_GetKeyFromName SDL_strdup"""),
    ("kGif", "platform/lazy/gif_calls.cpp", ["gif_lib.h"], [],
     """DGifCloseFile DGifExtensionToGCB DGifGetExtension DGifGetExtensionNext
     DGifGetImageDesc DGifGetLine DGifGetRecordType DGifOpen"""),
    ("kJpeg", "platform/lazy/jpeg_calls.cpp", ["turbojpeg.h"], [],
     "tjDecompress2 tjDecompressHeader3 tjDestroy tjGetErrorCode tjInitDecompress"),
    ("kTiff", "platform/lazy/tiff_calls.cpp", ["tiffio.h"], [],
     """TIFFClientOpenExt TIFFClose TIFFIsTiled TIFFOpenOptionsAlloc
     TIFFOpenOptionsFree TIFFOpenOptionsSetErrorHandlerExtR TIFFOpenOptionsSetMaxSingleMemAlloc
     TIFFOpenOptionsSetWarningHandlerExtR TIFFReadRGBAImageOriented TIFFSetErrorHandler
     TIFFSetWarningHandler TIFFStripSize64 TIFFTileSize64"""),
]

# Taking `...` or a va_list: forwarded by hand beside the generated functions
# (platform/net/curl_options.cpp, platform/lazy/tiff_get_field.cpp).
SKIPPED = {"curl_easy_setopt", "curl_easy_getinfo", "TIFFGetField", "TIFFVGetField"}


def split_top(text, sep=","):
    """Splits at `sep` outside brackets."""
    parts, depth, start = [], 0, 0
    for i, c in enumerate(text):
        if c in "([<":
            depth += 1
        elif c in ")]>":
            depth -= 1
        elif c == sep and depth == 0:
            parts.append(text[start:i].strip())
            start = i + 1
    parts.append(text[start:].strip())
    return [p for p in parts if p]


def declarations(headers, flags, names):
    source = "".join(f"#include <{h}>\n" for h in headers)
    found = {}
    for name in names:
        out = subprocess.run(
            ["clang", "-x", "c", "-fsyntax-only", *flags, "-Xclang", "-ast-dump=json",
             "-Xclang", f"-ast-dump-filter={name}", "-"],
            input=source, capture_output=True, text=True, check=True).stdout
        # The dump is one JSON object per declaration whose name contains the filter.
        decoder, at = json.JSONDecoder(), 0
        while at < len(out):
            while at < len(out) and out[at] != "{":
                at += 1
            if at >= len(out):
                break
            node, at = decoder.raw_decode(out, at)
            if node.get("kind") == "FunctionDecl" and node.get("name") == name:
                found[name] = node["type"]["qualType"]
                break
        if name not in found:
            sys.exit(f"{name}: no declaration in {headers}")
    return found


def definition(group, name, qual_type):
    # "ret (params)": the return type ends where the top-level parameter list starts.
    depth, open_at = 0, -1
    for i in range(len(qual_type) - 1, -1, -1):
        c = qual_type[i]
        if c == ")":
            depth += 1
        elif c == "(":
            depth -= 1
            if depth == 0:
                open_at = i
                break
    ret = qual_type[:open_at].strip()
    params = split_top(qual_type[open_at + 1:-1])
    if params == ["void"]:
        params = []
    if "..." in params:
        sys.exit(f"{name} takes ...: add it to SKIPPED and forward it by hand")
    decl = ", ".join(
        (f"std::type_identity_t<{p}> a{i}" if "(*)" in p else f"{p} a{i}")
        for i, p in enumerate(params))
    args = ", ".join(f"a{i}" for i in range(len(params)))
    call = f"CORVIDA_LAZY({group}, {name})({args})"
    body = f"  return {call};" if ret != "void" else f"  {call};"
    return f"{ret} {name}({decl}) {{\n{body}\n}}\n"


def main():
    for group, path, headers, flags, names in GROUPS:
        names = names.split()
        found = declarations(headers, flags, names)
        lines = [
            "// Written by scripts/lazy-calls.py: the library's functions our code calls, each",
            "// forwarding to the library opened on first use (platform/lazy_libs.h).",
        ]
        lines += ['extern "C" {'] + [f"#include <{h}>" for h in headers] + ["}"]
        lines += ["", "#include <type_traits>", "", '#include "platform/lazy_libs.h"', "",
                  'extern "C" {', ""]
        for name in names:
            lines.append(definition(group, name, found[name]))
        lines.append('}  // extern "C"')
        with open(os.path.join(ROOT, path), "w") as f:
            f.write("\n".join(lines) + "\n")
        subprocess.run(["clang-format", "-i", os.path.join(ROOT, path)], check=False)
        print(f"{path}: {len(names)} functions")


if __name__ == "__main__":
    main()
