// Lettering textures: none are made yet.
#include "engine/textimages.h"

void font_init() {}
void font_free() {}
