/* Takes every left-button press on the player window: nothing on the card can be
 * clicked while the stack uses this module. */
#include "corvida/nba.h"

CORVIDA_NBA_INFO(8, 0, "Click Stop", "CLICKSTOP.NBA", "Keeps clicks off the card.");

int32_t NBAMain(unsigned char* block) {
  if (corvida_command(block) == NBA_MSG_WINDOW && corvida_param(block, 2) == NBA_WM_LBUTTONDOWN)
    corvida_set_param(block, 5, 1);
  return 0;
}
