// Scene ruutu: not drawn yet; its window on the timeline is already reserved.
#include "scenes/scenes.h"

void ruutu_init() {}
void ruutu(float) {}
void ruutu_free() {}
