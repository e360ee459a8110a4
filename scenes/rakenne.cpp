// Scene rakenne: not drawn yet; its window on the timeline is already reserved.
#include "scenes/scenes.h"

void rakenne_init() {}
void rakenne(float) {}
void rakenne_free() {}
