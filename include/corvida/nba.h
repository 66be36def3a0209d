/* Corvida extension modules (NBAs): the contract between the player and a module.
 *
 * A module is a shared library that exports `NBAMain` and `NBAInfo`. The player calls
 * `NBAMain` with the address of a 78-byte callback block: the message number sits in the
 * command field, its parameters in p1..p7. The module answers in the same block and may
 * call back into the player with `CorvidaCallback`, which runs the numbered command
 * written into the block. Every slot that names memory, a card or a window holds a 32-bit
 * token, never a machine pointer, so the layout is the same on every machine.
 *
 * The block is little-endian with 2-byte packing: read and write it only through the
 * accessors below, never by casting it to a structure.
 *
 * C99; no C++ is needed to write a module. See docs/extensions.md. */
#ifndef CORVIDA_NBA_H
#define CORVIDA_NBA_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- the callback block ---- */

#define CORVIDA_BLOCK_SIZE 78
#define CORVIDA_BLOCK_VERSION 5

#define CORVIDA_AT_ACTION_ID 0    /* u16: the action record that ran the module (message 4) */
#define CORVIDA_AT_TARGET_CARD 2  /* u16: the card id the player is on or going to */
#define CORVIDA_AT_CURRENT_CARD 4 /* u32 token: the shown card */
#define CORVIDA_AT_MODULE 12      /* u32 token: this module */
#define CORVIDA_AT_ENTRY 16       /* u32 token: the player that called (keep it as it is) */
#define CORVIDA_AT_WINDOW 20      /* u32 token: the player window */
#define CORVIDA_AT_PERSISTENT 28  /* u32: the module's value, kept between calls */
#define CORVIDA_AT_VERSION 44     /* u16: CORVIDA_BLOCK_VERSION */
#define CORVIDA_AT_COMMAND 46     /* i16: the message (to a module) or the command (back) */
#define CORVIDA_AT_PARAMS 50      /* u32 each: p1..p7 */

/* The slot that holds the module's own NBA id during a call. */
#define CORVIDA_PARAM_NBA_ID 6

typedef uint32_t CorvidaToken;

static inline uint16_t corvida_get16(const unsigned char* block, int at) {
  return (uint16_t)(block[at] | (block[at + 1] << 8));
}
static inline uint32_t corvida_get32(const unsigned char* block, int at) {
  return (uint32_t)block[at] | ((uint32_t)block[at + 1] << 8) | ((uint32_t)block[at + 2] << 16) |
         ((uint32_t)block[at + 3] << 24);
}
static inline void corvida_set16(unsigned char* block, int at, uint16_t value) {
  block[at] = (unsigned char)(value & 0xFF);
  block[at + 1] = (unsigned char)(value >> 8);
}
static inline void corvida_set32(unsigned char* block, int at, uint32_t value) {
  int i;
  for (i = 0; i < 4; ++i) block[at + i] = (unsigned char)((value >> (8 * i)) & 0xFF);
}
/* Parameters 1 to 7. */
static inline uint32_t corvida_param(const unsigned char* block, int slot) {
  return corvida_get32(block, CORVIDA_AT_PARAMS + 4 * (slot - 1));
}
static inline void corvida_set_param(unsigned char* block, int slot, uint32_t value) {
  corvida_set32(block, CORVIDA_AT_PARAMS + 4 * (slot - 1), value);
}
static inline int16_t corvida_command(const unsigned char* block) {
  return (int16_t)corvida_get16(block, CORVIDA_AT_COMMAND);
}
static inline void corvida_set_command(unsigned char* block, int16_t command) {
  corvida_set16(block, CORVIDA_AT_COMMAND, (uint16_t)command);
}

/* ---- messages the player sends to NBAMain ---- */

#define NBA_MSG_ABOUT 1 /* About: the player shows the about text unless NBA_ABOUT_OWN_BOX */
#define NBA_MSG_CLOSE 2 /* the stack closes; the block is cleared first */
#define NBA_MSG_NAME                                                                             \
  3                            /* an Extra's menu name: write it to the block p2 names (p1 bytes \
                                  at most); return 0 to be listed */
#define NBA_MSG_RUN 4          /* run: p1 = token of the entry's data, p2 = its size */
#define NBA_MSG_IDLE 5         /* every timer tick of the player window */
#define NBA_MSG_LEAVE_CARD 9   /* the card is being left */
#define NBA_MSG_ARRIVE_CARD 10 /* a card was arrived at */
#define NBA_MSG_WINDOW                                                                    \
  11                    /* a window message: p1 window, p2 message, p3 low 16 bits of the \
                           first parameter, p4 the second; set p5 != 0 to consume it */
#define NBA_MSG_BUSY 14 /* the player waits for media: set p1 = NBA_BUSY to hold it */

#define NBA_BUSY 0xFFFF00u

/* Window messages as message 11 gives them in p2. */
#define NBA_WM_KEYDOWN 256
#define NBA_WM_CHAR 258
#define NBA_WM_COMMAND 273
#define NBA_WM_TIMER 275
#define NBA_WM_MOUSEMOVE 512
#define NBA_WM_LBUTTONDOWN 513
#define NBA_WM_LBUTTONUP 514

/* ---- some commands a module may run with CorvidaCallback ---- */

#define CORVIDA_CMD_FIRST_CARD 1
#define CORVIDA_CMD_LAST_CARD 2
#define CORVIDA_CMD_PREVIOUS_CARD 3
#define CORVIDA_CMD_NEXT_CARD 4
#define CORVIDA_CMD_GO_TO_CARD 5 /* p1 card id */
#define CORVIDA_CMD_CARD_COUNT 14
#define CORVIDA_CMD_NEW_BLOCK 15 /* p1 size -> p1 token */
#define CORVIDA_CMD_LOCATE 24
#define CORVIDA_CMD_HIDE 26
#define CORVIDA_CMD_SHOW 27
#define CORVIDA_CMD_GET_FIELD_TEXT 58
#define CORVIDA_CMD_SET_FIELD_TEXT 59
#define CORVIDA_CMD_CALL_NBA 67
#define CORVIDA_CMD_ALERT 68
#define CORVIDA_CMD_DISPOSE_BLOCK 107
#define CORVIDA_CMD_BLOCK_SIZE 111
/* The full list is in docs/callbacks.md. */

/* ---- what a module provides ---- */

/* What the player reads from a module to describe it. */
typedef struct CorvidaNbaInfo {
  uint32_t info_size;       /* sizeof(CorvidaNbaInfo) */
  uint16_t nba_id;          /* the id stacks call the module by (1..65535) */
  uint16_t about_flags;     /* NBA_ABOUT_OWN_BOX; the other bits are the module's own */
  const char* display_name; /* at most 31 characters */
  const char* file_name;    /* the module's own file name, at most 255 characters */
  const char* about_text;   /* shown in the About box; up to its first '/' */
} CorvidaNbaInfo;

/* The module answers message 1 with an About box of its own; without this flag the
 * player shows the module's about text after the call. */
#define NBA_ABOUT_OWN_BOX 0x0001u

typedef int32_t (*CorvidaNbaMain)(unsigned char* block);

#if defined(_WIN32)
#define CORVIDA_NBA_EXPORT __declspec(dllexport)
#else
#define CORVIDA_NBA_EXPORT __attribute__((visibility("default")))
#endif

/* Declares the module's description: CORVIDA_NBA_INFO(7, 0, "Counter", "COUNTER.NBA", "..."); */
#define CORVIDA_NBA_INFO(id, flags, name, file, about) \
  CORVIDA_NBA_EXPORT const CorvidaNbaInfo NBAInfo = {  \
      sizeof(CorvidaNbaInfo), (id), (flags), (name), (file), (about)}

/* A module loaded from a file exports these two. A module compiled into the player (the
 * browser build) defines CORVIDA_NBA_BUILT_IN, gives its entry and description names of
 * its own and registers them with the player by id. */
#ifndef CORVIDA_NBA_BUILT_IN
CORVIDA_NBA_EXPORT int32_t NBAMain(unsigned char* block);
extern CORVIDA_NBA_EXPORT const CorvidaNbaInfo NBAInfo;
#endif

/* ---- what the player provides ---- */

/* Runs the command written into the block (its command field, p1..p7) and leaves the
 * results in the block. Call it only from inside NBAMain, with the block the player
 * passed (or a copy that keeps the entry token at CORVIDA_AT_ENTRY). Answers 0, or -1
 * when the block does not come from a running call. */
int32_t CorvidaCallback(unsigned char* block);

/* Memory the player hands out is named by tokens (the data of message 4, the name
 * buffer of message 3, blocks made with CORVIDA_CMD_NEW_BLOCK). These copy bytes out of
 * and into such a block, within its size; `block` is the call's block. They answer the
 * count copied, or -1 for an unknown token or a range outside the block. */
int32_t CorvidaReadBlock(const unsigned char* block, CorvidaToken token, uint32_t offset, void* out,
                         uint32_t count);
int32_t CorvidaWriteBlock(const unsigned char* block, CorvidaToken token, uint32_t offset,
                          const void* bytes, uint32_t count);

#ifdef __cplusplus
}
#endif

#endif /* CORVIDA_NBA_H */
