// The overlay projection pair. perspective2D(w, h) pushes both matrices and sets an orthographic
// w x h overlay, origin at the lower left, y up; perspective3D() pops them. Always paired; both
// leave the modelview matrix selected.
#ifndef ORDUNE_ENGINE_PROJECTION_H
#define ORDUNE_ENGINE_PROJECTION_H

void perspective2D(float w, float h);
void perspective3D();

#endif
