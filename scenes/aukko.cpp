// Scene aukko: not drawn yet; its window on the timeline is already reserved.
#include "scenes/scenes.h"

void aukko_init() {}
void aukko(float) {}
void aukko_free() {}
