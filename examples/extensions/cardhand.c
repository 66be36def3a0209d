/* Acts on the card through callback commands: run, it hides the button named in its
 * data (or "Go" without data) and moves to the next card. Installed in the Extras
 * folder it is offered as "Next Card". */
#include <string.h>

#include "corvida/nba.h"

CORVIDA_NBA_INFO(10, 0, "Card Hand", "CARDHAND.NBA", "Hides a button, moves on.");

static void Run(unsigned char* block, int16_t command, uint32_t p1, uint32_t p2, uint32_t p3) {
  unsigned char call[CORVIDA_BLOCK_SIZE];
  memcpy(call, block, sizeof call);
  corvida_set_command(call, command);
  corvida_set_param(call, 1, p1);
  corvida_set_param(call, 2, p2);
  corvida_set_param(call, 3, p3);
  corvida_set_param(call, 4, 0);
  CorvidaCallback(call);
}

/* A counted name ("\3Go") in a new block of the player's. */
static CorvidaToken Name(unsigned char* block, const char* name, uint32_t size) {
  unsigned char text[256];
  if (size > 254) size = 254;
  text[0] = (unsigned char)size;
  memcpy(text + 1, name, size);
  text[size + 1] = 0;
  unsigned char call[CORVIDA_BLOCK_SIZE];
  memcpy(call, block, sizeof call);
  corvida_set_command(call, CORVIDA_CMD_NEW_BLOCK);
  corvida_set_param(call, 1, size + 2);
  if (CorvidaCallback(call) != 0) return 0;
  const CorvidaToken token = corvida_param(call, 1);
  CorvidaWriteBlock(block, token, 0, text, size + 2);
  return token;
}

int32_t NBAMain(unsigned char* block) {
  switch (corvida_command(block)) {
    case NBA_MSG_NAME: {
      static const char shown[] = "Next Card";
      if (corvida_param(block, 1) < sizeof shown) return 1;
      CorvidaWriteBlock(block, corvida_param(block, 2), 0, shown, sizeof shown);
      return 0;
    }
    case NBA_MSG_RUN: {
      char wanted[64] = "Go";
      uint32_t size = corvida_param(block, 2);
      if (size > 0 && size < sizeof wanted &&
          CorvidaReadBlock(block, corvida_param(block, 1), 0, wanted, size) == (int32_t)size) {
        wanted[size] = 0;
      }
      const CorvidaToken name = Name(block, wanted, (uint32_t)strlen(wanted));
      /* p1 0: the current card; p2 0: a button; p3 its name. */
      Run(block, CORVIDA_CMD_HIDE, 0, 0, name);
      Run(block, CORVIDA_CMD_DISPOSE_BLOCK, name, 0, 0);
      Run(block, CORVIDA_CMD_NEXT_CARD, 0, 0, 0);
      return 0;
    }
    default:
      return 0;
  }
}
