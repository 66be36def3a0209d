// The extension modules of the browser player. A page cannot load native modules, so the
// example modules are compiled in, each with its entry and description renamed (see
// CMakeLists.txt), and registered by id: a stack that names one by its file name or id
// finds it as the desktop player finds an installed module.
#include "web/web_nbas.h"

#include "player/nba_modules.h"

extern "C" {
#define CORVIDA_WEB_NBA(name)                              \
  int32_t corvida_nba_##name##_main(unsigned char* block); \
  extern const CorvidaNbaInfo corvida_nba_##name##_info;
CORVIDA_WEB_NBA(counter)
CORVIDA_WEB_NBA(clickstop)
CORVIDA_WEB_NBA(busy)
CORVIDA_WEB_NBA(cardhand)
#undef CORVIDA_WEB_NBA
}

namespace corvida::web {

void RegisterWebNbas() {
  RegisterBuiltInNba(&corvida_nba_counter_main, &corvida_nba_counter_info);
  RegisterBuiltInNba(&corvida_nba_clickstop_main, &corvida_nba_clickstop_info);
  RegisterBuiltInNba(&corvida_nba_busy_main, &corvida_nba_busy_info);
  RegisterBuiltInNba(&corvida_nba_cardhand_main, &corvida_nba_cardhand_info);
}

}  // namespace corvida::web
