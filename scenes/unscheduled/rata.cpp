// Scene rata, which no timeline window draws: not drawn yet.
#include "scenes/scenes.h"

void rata_init() {}
void rata(float) {}
void rata_free() {}
