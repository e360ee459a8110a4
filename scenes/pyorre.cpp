// Scene pyorre: not drawn yet; its window on the timeline is already reserved.
#include "scenes/scenes.h"

void pyorre_init() {}
void pyorre(float) {}
void pyorre_free() {}
