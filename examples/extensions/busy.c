/* Keeps the player's media wait going for a while after it is run: its persistent value
 * counts down the busy questions it still answers "busy". The data of the run (a number
 * as text) says how many; 3 without data. */
#include <stdlib.h>

#include "corvida/nba.h"

CORVIDA_NBA_INFO(9, 0, "Busy", "BUSY.NBA", "Stays busy for a while.");

static uint32_t AskedCount(unsigned char* block) {
  char text[12] = {0};
  const uint32_t size = corvida_param(block, 2);
  if (size == 0 || size >= sizeof text) return 3;
  if (CorvidaReadBlock(block, corvida_param(block, 1), 0, text, size) != (int32_t)size) return 3;
  return (uint32_t)strtoul(text, NULL, 10);
}

int32_t NBAMain(unsigned char* block) {
  const uint32_t left = corvida_get32(block, CORVIDA_AT_PERSISTENT);
  switch (corvida_command(block)) {
    case NBA_MSG_RUN:
      corvida_set32(block, CORVIDA_AT_PERSISTENT, AskedCount(block));
      break;
    case NBA_MSG_BUSY:
      if (left > 0) {
        corvida_set_param(block, 1, NBA_BUSY);
        corvida_set32(block, CORVIDA_AT_PERSISTENT, left - 1);
      }
      break;
    default:
      break;
  }
  return 0;
}
