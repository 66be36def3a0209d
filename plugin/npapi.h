// The plug-in's outer face: the classic browser plug-in structures, function tables and
// entry points, declared here because no system header provides them. A host (the page
// script of the browser build, `corvida play URL`, the tests) fills the browser table and
// calls these exactly as a browser would.
//
// Table sizes: the browser build has 32-bit pointers, where the plug-in table needs 44
// bytes and the browser table 52. On other machines the same checks compare against the
// end of the last slot each table must hold (kPluginFuncsMinSize, kBrowserFuncsMinSize).
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

using NPError = int16_t;
using NPBool = uint8_t;
using NPReason = int16_t;
using NPMIMEType = char*;

enum : NPError {
  NPERR_NO_ERROR = 0,
  NPERR_GENERIC_ERROR = 1,
  NPERR_INVALID_INSTANCE_ERROR = 2,
  NPERR_INVALID_FUNCTABLE_ERROR = 3,
  NPERR_OUT_OF_MEMORY_ERROR = 5,
  NPERR_INCOMPATIBLE_VERSION_ERROR = 8,
};

enum : uint16_t { NP_EMBED = 1, NP_FULL = 2 };
// Why a stream ended.
enum : NPReason { NPRES_DONE = 0, NPRES_NETWORK_ERR = 1, NPRES_USER_BREAK = 2 };
enum : uint16_t { NP_NORMAL = 1 };

// The version the plug-in table reports, and the browser major version it accepts.
inline constexpr uint16_t kPluginTableVersion = 6;
inline constexpr int kBrowserMajorVersion = 0;

struct NPP_t {
  void* pdata;  // the plug-in's instance data
  void* ndata;  // the browser's
};
using NPP = NPP_t*;

struct NPStream {
  void* pdata;
  void* ndata;
  const char* url;
  uint32_t end;  // announced length; 0 unknown
  uint32_t lastmodified;
  void* notifyData;
};

struct NPRect {
  uint16_t top, left, bottom, right;
};

struct NPWindow {
  void* window;  // the host's window handle
  int32_t x, y;
  uint32_t width, height;
  NPRect clipRect;
};

struct NPSavedData {
  int32_t len;
  void* buf;
};

struct NPFullPrint {
  NPBool pluginPrinted;  // false: the browser prints the page itself
  NPBool printOne;
  void* platformPrint;
};

struct NPEmbedPrint {
  NPWindow window;
  void* platformPrint;
};

struct NPPrint {
  uint16_t mode;  // NP_EMBED or NP_FULL
  union {
    NPFullPrint fullPrint;
    NPEmbedPrint embedPrint;
  } print;
};

using NPP_NewProc = NPError (*)(NPMIMEType type, NPP instance, uint16_t mode, int16_t argc,
                                char* argn[], char* argv[], NPSavedData* saved);
using NPP_DestroyProc = NPError (*)(NPP instance, NPSavedData** save);
using NPP_SetWindowProc = NPError (*)(NPP instance, NPWindow* window);
using NPP_NewStreamProc = NPError (*)(NPP instance, NPMIMEType type, NPStream* stream,
                                      NPBool seekable, uint16_t* stype);
using NPP_DestroyStreamProc = NPError (*)(NPP instance, NPStream* stream, NPReason reason);
using NPP_StreamAsFileProc = void (*)(NPP instance, NPStream* stream, const char* fname);
using NPP_WriteReadyProc = int32_t (*)(NPP instance, NPStream* stream);
using NPP_WriteProc = int32_t (*)(NPP instance, NPStream* stream, int32_t offset, int32_t len,
                                  void* buffer);
using NPP_PrintProc = void (*)(NPP instance, NPPrint* print);
using NPP_HandleEventProc = int16_t (*)(NPP instance, void* event);

struct NPPluginFuncs {
  uint16_t size;
  uint16_t version;
  NPP_NewProc newp;
  NPP_DestroyProc destroy;
  NPP_SetWindowProc setwindow;
  NPP_NewStreamProc newstream;
  NPP_DestroyStreamProc destroystream;
  NPP_StreamAsFileProc asfile;
  NPP_WriteReadyProc writeready;
  NPP_WriteProc write;
  NPP_PrintProc print;
  NPP_HandleEventProc event;
};

using NPN_GetURLProc = NPError (*)(NPP instance, const char* url, const char* target);
using NPN_MemAllocProc = void* (*)(uint32_t size);
using NPN_MemFreeProc = void (*)(void* ptr);
// Services the player never calls keep a plain slot.
using NPN_UnusedProc = void (*)();

struct NPNetscapeFuncs {
  uint16_t size;
  uint16_t version;  // major in the high byte
  NPN_GetURLProc geturl;
  NPN_UnusedProc posturl;
  NPN_UnusedProc requestread;
  NPN_UnusedProc newstream;
  NPN_UnusedProc write;
  NPN_UnusedProc destroystream;
  NPN_UnusedProc status;
  NPN_UnusedProc uagent;
  NPN_MemAllocProc memalloc;
  NPN_MemFreeProc memfree;
  NPN_UnusedProc memflush;
  NPN_UnusedProc reloadplugins;
};

inline constexpr size_t kPluginFuncsMinSize = offsetof(NPPluginFuncs, event) + sizeof(void*);
inline constexpr size_t kBrowserFuncsMinSize =
    offsetof(NPNetscapeFuncs, reloadplugins) + sizeof(void*);
static_assert(sizeof(void*) != 4 || (kPluginFuncsMinSize == 44 && kBrowserFuncsMinSize == 52));

// The entry points: the table of plug-in functions, the browser's table, the end.
NPError NP_GetEntryPoints(NPPluginFuncs* plugin_funcs);
NPError NP_Initialize(NPNetscapeFuncs* browser_funcs);
NPError NP_Shutdown();

// The plug-in functions, as the table hands them out.
NPError NPP_New(NPMIMEType type, NPP instance, uint16_t mode, int16_t argc, char* argn[],
                char* argv[], NPSavedData* saved);
NPError NPP_Destroy(NPP instance, NPSavedData** save);
NPError NPP_SetWindow(NPP instance, NPWindow* window);
NPError NPP_NewStream(NPP instance, NPMIMEType type, NPStream* stream, NPBool seekable,
                      uint16_t* stype);
int32_t NPP_WriteReady(NPP instance, NPStream* stream);
int32_t NPP_Write(NPP instance, NPStream* stream, int32_t offset, int32_t len, void* buffer);
NPError NPP_DestroyStream(NPP instance, NPStream* stream, NPReason reason);
void NPP_StreamAsFile(NPP instance, NPStream* stream, const char* fname);
void NPP_Print(NPP instance, NPPrint* print);

}  // extern "C"
