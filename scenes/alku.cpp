// Scene alku: not drawn yet; its window on the timeline is already reserved.
#include "scenes/scenes.h"

void alku_init() {}
void alku(float) {}
void alku_free() {}
