// Written by scripts/lazy-calls.py: the library's functions our code calls, each
// forwarding to the library opened on first use (platform/lazy_libs.h).
extern "C" {
#include <SDL.h>
}

#include <type_traits>

#include "platform/lazy_libs.h"

extern "C" {

int SDL_CaptureMouse(SDL_bool a0) {
  return CORVIDA_LAZY(kSdl, SDL_CaptureMouse)(a0);
}

void SDL_CloseAudioDevice(SDL_AudioDeviceID a0) {
  CORVIDA_LAZY(kSdl, SDL_CloseAudioDevice)(a0);
}

SDL_Cursor* SDL_CreateColorCursor(SDL_Surface* a0, int a1, int a2) {
  return CORVIDA_LAZY(kSdl, SDL_CreateColorCursor)(a0, a1, a2);
}

SDL_Surface* SDL_CreateRGBSurfaceWithFormat(Uint32 a0, int a1, int a2, int a3, Uint32 a4) {
  return CORVIDA_LAZY(kSdl, SDL_CreateRGBSurfaceWithFormat)(a0, a1, a2, a3, a4);
}

SDL_Renderer* SDL_CreateRenderer(SDL_Window* a0, int a1, Uint32 a2) {
  return CORVIDA_LAZY(kSdl, SDL_CreateRenderer)(a0, a1, a2);
}

SDL_Cursor* SDL_CreateSystemCursor(SDL_SystemCursor a0) {
  return CORVIDA_LAZY(kSdl, SDL_CreateSystemCursor)(a0);
}

SDL_Texture* SDL_CreateTexture(SDL_Renderer* a0, Uint32 a1, int a2, int a3, int a4) {
  return CORVIDA_LAZY(kSdl, SDL_CreateTexture)(a0, a1, a2, a3, a4);
}

SDL_Window* SDL_CreateWindow(const char* a0, int a1, int a2, int a3, int a4, Uint32 a5) {
  return CORVIDA_LAZY(kSdl, SDL_CreateWindow)(a0, a1, a2, a3, a4, a5);
}

void SDL_Delay(Uint32 a0) {
  CORVIDA_LAZY(kSdl, SDL_Delay)(a0);
}

void SDL_DestroyRenderer(SDL_Renderer* a0) {
  CORVIDA_LAZY(kSdl, SDL_DestroyRenderer)(a0);
}

void SDL_DestroyTexture(SDL_Texture* a0) {
  CORVIDA_LAZY(kSdl, SDL_DestroyTexture)(a0);
}

void SDL_DestroyWindow(SDL_Window* a0) {
  CORVIDA_LAZY(kSdl, SDL_DestroyWindow)(a0);
}

void SDL_FreeCursor(SDL_Cursor* a0) {
  CORVIDA_LAZY(kSdl, SDL_FreeCursor)(a0);
}

void SDL_FreeSurface(SDL_Surface* a0) {
  CORVIDA_LAZY(kSdl, SDL_FreeSurface)(a0);
}

char* SDL_GetClipboardText() {
  return CORVIDA_LAZY(kSdl, SDL_GetClipboardText)();
}

const char* SDL_GetCurrentVideoDriver() {
  return CORVIDA_LAZY(kSdl, SDL_GetCurrentVideoDriver)();
}

SDL_Cursor* SDL_GetCursor() {
  return CORVIDA_LAZY(kSdl, SDL_GetCursor)();
}

int SDL_GetDisplayUsableBounds(int a0, SDL_Rect* a1) {
  return CORVIDA_LAZY(kSdl, SDL_GetDisplayUsableBounds)(a0, a1);
}

const char* SDL_GetError() {
  return CORVIDA_LAZY(kSdl, SDL_GetError)();
}

Uint32 SDL_GetGlobalMouseState(int* a0, int* a1) {
  return CORVIDA_LAZY(kSdl, SDL_GetGlobalMouseState)(a0, a1);
}

SDL_Window* SDL_GetKeyboardFocus() {
  return CORVIDA_LAZY(kSdl, SDL_GetKeyboardFocus)();
}

const Uint8* SDL_GetKeyboardState(int* a0) {
  return CORVIDA_LAZY(kSdl, SDL_GetKeyboardState)(a0);
}

SDL_Keymod SDL_GetModState() {
  return CORVIDA_LAZY(kSdl, SDL_GetModState)();
}

SDL_Window* SDL_GetMouseFocus() {
  return CORVIDA_LAZY(kSdl, SDL_GetMouseFocus)();
}

Uint32 SDL_GetMouseState(int* a0, int* a1) {
  return CORVIDA_LAZY(kSdl, SDL_GetMouseState)(a0, a1);
}

int SDL_GetRendererOutputSize(SDL_Renderer* a0, int* a1, int* a2) {
  return CORVIDA_LAZY(kSdl, SDL_GetRendererOutputSize)(a0, a1, a2);
}

SDL_Scancode SDL_GetScancodeFromKey(SDL_Keycode a0) {
  return CORVIDA_LAZY(kSdl, SDL_GetScancodeFromKey)(a0);
}

int SDL_GetWindowDisplayIndex(SDL_Window* a0) {
  return CORVIDA_LAZY(kSdl, SDL_GetWindowDisplayIndex)(a0);
}

Uint32 SDL_GetWindowFlags(SDL_Window* a0) {
  return CORVIDA_LAZY(kSdl, SDL_GetWindowFlags)(a0);
}

Uint32 SDL_GetWindowID(SDL_Window* a0) {
  return CORVIDA_LAZY(kSdl, SDL_GetWindowID)(a0);
}

void SDL_GetWindowPosition(SDL_Window* a0, int* a1, int* a2) {
  CORVIDA_LAZY(kSdl, SDL_GetWindowPosition)(a0, a1, a2);
}

void SDL_GetWindowSize(SDL_Window* a0, int* a1, int* a2) {
  CORVIDA_LAZY(kSdl, SDL_GetWindowSize)(a0, a1, a2);
}

int SDL_InitSubSystem(Uint32 a0) {
  return CORVIDA_LAZY(kSdl, SDL_InitSubSystem)(a0);
}

SDL_AudioDeviceID SDL_OpenAudioDevice(const char* a0, int a1, const SDL_AudioSpec* a2,
                                      SDL_AudioSpec* a3, int a4) {
  return CORVIDA_LAZY(kSdl, SDL_OpenAudioDevice)(a0, a1, a2, a3, a4);
}

void SDL_PauseAudioDevice(SDL_AudioDeviceID a0, int a1) {
  CORVIDA_LAZY(kSdl, SDL_PauseAudioDevice)(a0, a1);
}

int SDL_PollEvent(SDL_Event* a0) {
  return CORVIDA_LAZY(kSdl, SDL_PollEvent)(a0);
}

int SDL_PushEvent(SDL_Event* a0) {
  return CORVIDA_LAZY(kSdl, SDL_PushEvent)(a0);
}

void SDL_QuitSubSystem(Uint32 a0) {
  CORVIDA_LAZY(kSdl, SDL_QuitSubSystem)(a0);
}

void SDL_RaiseWindow(SDL_Window* a0) {
  CORVIDA_LAZY(kSdl, SDL_RaiseWindow)(a0);
}

Uint32 SDL_RegisterEvents(int a0) {
  return CORVIDA_LAZY(kSdl, SDL_RegisterEvents)(a0);
}

int SDL_RenderClear(SDL_Renderer* a0) {
  return CORVIDA_LAZY(kSdl, SDL_RenderClear)(a0);
}

int SDL_RenderCopy(SDL_Renderer* a0, SDL_Texture* a1, const SDL_Rect* a2, const SDL_Rect* a3) {
  return CORVIDA_LAZY(kSdl, SDL_RenderCopy)(a0, a1, a2, a3);
}

void SDL_RenderPresent(SDL_Renderer* a0) {
  CORVIDA_LAZY(kSdl, SDL_RenderPresent)(a0);
}

int SDL_RenderReadPixels(SDL_Renderer* a0, const SDL_Rect* a1, Uint32 a2, void* a3, int a4) {
  return CORVIDA_LAZY(kSdl, SDL_RenderReadPixels)(a0, a1, a2, a3, a4);
}

int SDL_SetClipboardText(const char* a0) {
  return CORVIDA_LAZY(kSdl, SDL_SetClipboardText)(a0);
}

void SDL_SetCursor(SDL_Cursor* a0) {
  CORVIDA_LAZY(kSdl, SDL_SetCursor)(a0);
}

SDL_bool SDL_SetHint(const char* a0, const char* a1) {
  return CORVIDA_LAZY(kSdl, SDL_SetHint)(a0, a1);
}

int SDL_SetRenderDrawColor(SDL_Renderer* a0, Uint8 a1, Uint8 a2, Uint8 a3, Uint8 a4) {
  return CORVIDA_LAZY(kSdl, SDL_SetRenderDrawColor)(a0, a1, a2, a3, a4);
}

int SDL_SetTextureScaleMode(SDL_Texture* a0, SDL_ScaleMode a1) {
  return CORVIDA_LAZY(kSdl, SDL_SetTextureScaleMode)(a0, a1);
}

int SDL_SetWindowFullscreen(SDL_Window* a0, Uint32 a1) {
  return CORVIDA_LAZY(kSdl, SDL_SetWindowFullscreen)(a0, a1);
}

void SDL_SetWindowMinimumSize(SDL_Window* a0, int a1, int a2) {
  CORVIDA_LAZY(kSdl, SDL_SetWindowMinimumSize)(a0, a1, a2);
}

void SDL_SetWindowSize(SDL_Window* a0, int a1, int a2) {
  CORVIDA_LAZY(kSdl, SDL_SetWindowSize)(a0, a1, a2);
}

void SDL_SetWindowTitle(SDL_Window* a0, const char* a1) {
  CORVIDA_LAZY(kSdl, SDL_SetWindowTitle)(a0, a1);
}

int SDL_ShowMessageBox(const SDL_MessageBoxData* a0, int* a1) {
  return CORVIDA_LAZY(kSdl, SDL_ShowMessageBox)(a0, a1);
}

int SDL_ShowSimpleMessageBox(Uint32 a0, const char* a1, const char* a2, SDL_Window* a3) {
  return CORVIDA_LAZY(kSdl, SDL_ShowSimpleMessageBox)(a0, a1, a2, a3);
}

int SDL_UpdateTexture(SDL_Texture* a0, const SDL_Rect* a1, const void* a2, int a3) {
  return CORVIDA_LAZY(kSdl, SDL_UpdateTexture)(a0, a1, a2, a3);
}

int SDL_WaitEventTimeout(SDL_Event* a0, int a1) {
  return CORVIDA_LAZY(kSdl, SDL_WaitEventTimeout)(a0, a1);
}

void SDL_free(void* a0) {
  CORVIDA_LAZY(kSdl, SDL_free)(a0);
}

char* SDL_getenv(const char* a0) {
  return CORVIDA_LAZY(kSdl, SDL_getenv)(a0);
}

SDL_Keycode SDL_GetKeyFromName(const char* a0) {
  return CORVIDA_LAZY(kSdl, SDL_GetKeyFromName)(a0);
}

char* SDL_strdup(const char* a0) {
  return CORVIDA_LAZY(kSdl, SDL_strdup)(a0);
}

}  // extern "C"
