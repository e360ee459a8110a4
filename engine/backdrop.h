// The dark gradient bands drawn behind every frame: black at the screen edge with alpha
// `strength`, fading linearly to nothing `height` (a fraction of the screen) inwards. A strength
// of 0 or less draws nothing and changes nothing. Otherwise they leave blending on with
// (GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA), the depth mask on, the modelview identity and
// selected, the colour (0, 0, 0, 0); the depth test and texturing are not touched.
#ifndef ORDUNE_ENGINE_BACKDROP_H
#define ORDUNE_ENGINE_BACKDROP_H

// Band along the bottom edge.
void taustasky(float height, float strength);
// Band along the top edge.
void taustaground(float height, float strength);
// Both bands in one call; the show's timeline does not use it.
void taustahori(float height, float strength);

#endif
