// Scene viivatus: not drawn yet; its window on the timeline is already reserved.
#include "scenes/scenes.h"

void viivatus_init() {}
void viivatus(float) {}
void viivatus_free() {}
