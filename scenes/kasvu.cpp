// Scene kasvu: not drawn yet; its window on the timeline is already reserved.
#include "scenes/scenes.h"

void kasvu_init() {}
void kasvu(float) {}
void kasvu_free() {}
