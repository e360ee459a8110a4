// The GLES 3 back end of the GL layer: the show's immediate-mode calls drawn with shaders on
// OpenGL ES 3.0, which is WebGL 2 in a browser, over the recorder's model of the GL state.
//
// The recorder (engine/glrecorder.h) keeps the state: matrix stacks, enables, blend, depth,
// widths, current colour, bound texture, viewport, the attribute stack; queries answer from it.
// At each glEnd the batch becomes vertex arrays: polygons as triangles, lines and points as
// quads of two triangles that the vertex shader widens in window pixels, with a one-pixel
// antialiased edge where GL_LINE_SMOOTH is on; GL_POINT_SMOOTH makes points round. The fragment
// shader modulates the colour by the texture (GL_MODULATE).
//
// Batching (on unless turned off): the show blends in two ways only, ordinary alpha and additive,
// besides blending off. With the colour premultiplied by its alpha in the fragment shader, one
// blend function, (GL_ONE, GL_ONE_MINUS_SRC_ALPHA), gives each of them, and the blend becomes a
// property of the vertices: consecutive batches that share matrices, viewport, depth state and
// texture then go to the GPU as one draw. Only the destination alpha differs from drawing them
// one by one, which nothing reads (the glow filter copies colour, the renderer reads colour).
// Without batching every batch is drawn at its glEnd with the context's own blend function.
//
// A run waiting to be drawn is drawn before any clear, texture change, copy to a texture, read
// or glFinish, and by gles3_flush(): call it before showing a frame (a buffer swap).
#ifndef ORDUNE_ENGINE_GLES3_H
#define ORDUNE_ENGINE_GLES3_H

#include "engine/gl.h"

// Compiles the shaders and makes the buffers in the current OpenGL ES 3 context, and resets the
// state model to a fresh context's, with that context's viewport. On failure returns false and
// sets *why to one line naming the cause (valid until the next call).
bool gles3_open(const char** why);
// Draws the batches waiting in the run, if any.
void gles3_flush();
// Whether consecutive batches are drawn together (on after gles3_open); when off, each is drawn
// alone at its glEnd with the context's blend function. Draws what waits first.
void gles3_batching(bool on);
// The back end's table: the recorder's entries, with those that draw, clear, read or hold
// textures replaced by ones that also do so on the context.
GlApi gles3_api();

// GLU's choice of size for a side of a mipmapped texture: the power of two nearest to n, taking
// the larger one only when the bit below the highest is set (61 -> 64, 22 -> 16). n >= 1.
int gles3_mipmap_side(int n);
// Scales RGBA pixels from w x h to sw x sh as gluScaleImage does: each target pixel averages the
// source area it covers, at least one pixel wide and centred on it, wrapping round at the edges,
// and truncates. GLU scales so before building mipmaps (there it may differ by a few levels
// where a side grows).
void gles3_scale_rgba(const unsigned char* src, int w, int h, unsigned char* dst, int sw, int sh);

#endif
