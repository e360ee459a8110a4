// Scene virta: not drawn yet; its window on the timeline is already reserved.
#include "scenes/scenes.h"

void virta_init() {}
void virta(float) {}
void virta_free() {}
