// Render textures: none are made yet.
#include "engine/texture.h"

void textures_init() {}
void textures_free() {}
