/* Counts the times it is run in its persistent value, which the player keeps between
 * calls and saves with the stack. Run from a script it answers the count as text. */
#include <stdio.h>
#include <string.h>

#include "corvida/nba.h"

CORVIDA_NBA_INFO(7, 0, "Counter", "COUNTER.NBA", "Counts its runs./Example");

/* A new block holding `text`, left in p7 for the caller. */
static void Answer(unsigned char* block, const char* text) {
  const uint32_t size = (uint32_t)strlen(text);
  unsigned char call[CORVIDA_BLOCK_SIZE];
  memcpy(call, block, sizeof call);
  corvida_set_command(call, CORVIDA_CMD_NEW_BLOCK);
  corvida_set_param(call, 1, size);
  if (CorvidaCallback(call) != 0) return;
  const CorvidaToken token = corvida_param(call, 1);
  if (token && CorvidaWriteBlock(block, token, 0, text, size) == (int32_t)size)
    corvida_set_param(block, 7, token);
}

int32_t NBAMain(unsigned char* block) {
  if (corvida_command(block) != NBA_MSG_RUN) return 0;
  const uint32_t count = corvida_get32(block, CORVIDA_AT_PERSISTENT) + 1;
  corvida_set32(block, CORVIDA_AT_PERSISTENT, count);
  char text[16];
  snprintf(text, sizeof text, "%u", (unsigned)count);
  Answer(block, text);
  return 0;
}
