// Textures and the two 512x512 render textures of the glow filter.
#ifndef ORDUNE_ENGINE_TEXTURE_H
#define ORDUNE_ENGINE_TEXTURE_H

// Creates and uploads the render textures; first of the start-up calls.
void textures_init();
void textures_free();

#endif
