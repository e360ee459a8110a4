// The lettering pictures as textures.
#ifndef ORDUNE_ENGINE_TEXTIMAGES_H
#define ORDUNE_ENGINE_TEXTIMAGES_H

// Uploads the five lettering pictures; right after textures_init.
void font_init();
void font_free();

#endif
