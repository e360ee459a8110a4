// Scene kellu, which no timeline window draws: not drawn yet.
#include "scenes/scenes.h"

void kellu_init() {}
void kellu(float) {}
void kellu_free() {}
