// The glow filter: a full-screen post-process that turns what one scene drew into a soft,
// glowing copy of itself, through the first render texture. No timeline window applies it.
#ifndef ORDUNE_ENGINE_GLOWFILTER_H
#define ORDUNE_ENGINE_GLOWFILTER_H

// The side of the square the filtered scene draws into, at the lower left of the frame; it is
// the size of render512_0 (engine/texture.h), which must exist (textures_init).
enum { GLOW_SIZE = 512 };

// The pair brackets one scene's drawing: glowfilter_setup(), the scene, glowfilter_draw().
//
// glowfilter_setup() narrows the viewport to the GLOW_SIZE square, leaving the projection as it
// is (the scene's picture is squeezed into the square and stretched back by the filter).
void glowfilter_setup();
// Copies the square into render512_0, clears the frame to black and adds the copy back five times
// at 30 % strength, each shifted by 0.01 of the square a fifth of a turn further round (up first)
// and copied again, so each pass smears the sum of the earlier ones; then stretches the square
// over the full viewport (OPENGL_XRES x OPENGL_YRES) without blending. Six copies from the frame
// buffer, six textured quads, no allocation.
//
// Leaves: viewport full, texturing on with render512_0 bound, blending off, depth mask on,
// colour white, the clear colour `clearcolor`, the modelview matrix selected and identity, the
// projection as it was. The depth test is left as the scene left it.
void glowfilter_draw();

// setup, draw(pos), glowfilter_draw(): one scene drawn through the filter.
void glowfilter_around(void (*draw)(float pos), float pos);

#endif
