// Scene perhonen: not drawn yet; its window on the timeline is already reserved.
#include "scenes/scenes.h"

void perhonen_init() {}
void perhonen(float) {}
void perhonen_free() {}
