// The extension modules compiled into the browser player.
#pragma once

namespace corvida::web {

// Registers them by id; called once, before the first stack opens.
void RegisterWebNbas();

}  // namespace corvida::web
