// The recorder back end of the GL layer: a software model of the GL state the show relies on,
// and a log of every glBegin/glEnd batch with its vertices and the state in force.
//
// What is modelled: matrix mode and the modelview, projection and texture stacks (load, push,
// pop, translate, rotate, scale, multiply, glOrtho, gluPerspective, gluLookAt, as OpenGL and GLU
// define them, in single precision like a GL driver); the enable bits; the blend function;
// depth mask and function; line width; point size; current colour and texture coordinate; the
// bound 2-D texture; viewport and clear colour; the attribute stack over these, group by group.
// Rasterisation is not modelled: queries of pixels return zeros.
//
// Matrices are column-major as OpenGL holds them: element (row r, column c) is m[c * 4 + r].
// Vertices are logged as passed (object coordinates), with the colour and texture coordinate
// current at each vertex. The log grows until gl_recorder_reset(); it belongs to the recorder.
#ifndef ORDUNE_ENGINE_GLRECORDER_H
#define ORDUNE_ENGINE_GLRECORDER_H

#include "engine/gl.h"
#include <cstdint>
#include <string>
#include <vector>

struct GlMat4 {
    float m[16];
};

// The state in force at a glBegin.
struct GlDrawState {
    bool blend, depth_test, depth_mask, texture, line_smooth, point_smooth;
    GLenum blend_src, blend_dst, depth_func;
    GLuint bound_texture;
    float line_width, point_size;
};

struct GlBatch {
    GLenum prim;
    std::vector<float> v; // 3 floats a vertex
    std::vector<float> c; // 4 floats a vertex: the current colour at each vertex
    std::vector<float> t; // 2 floats a vertex: the current texture coordinate at each vertex
    GlDrawState state;
    GlMat4 mv, proj;
    const char* label; // what drew it, as gl_recorder_label last named it; null before that
    int count() const { return (int)(v.size() / 3); }
};

// What glPushAttrib saved: the mask and the whole modelled state; glPopAttrib restores the parts
// of it in the mask's groups (current, enable, colour buffer, depth buffer, line, point,
// texture binding, viewport, transform).
struct GlAttribs {
    GLbitfield mask;
    GlDrawState draw;
    bool cull_face, lighting;
    float color[4], texcoord[2], clear_color[4];
    int viewport[4];
    GLenum matrix_mode;
};

// One call outside a batch (vertex, colour and texture-coordinate calls are folded into
// batches), with up to four of its arguments as numbers.
struct GlCall {
    const char* name;
    double a[4];
    int batch; // index into batches for glBegin, else -1
};

struct GlRecorder {
    // Current state.
    GLenum matrix_mode;
    std::vector<GlMat4> modelview, projection, texture; // stacks; back() is the current matrix
    GlDrawState draw;
    bool cull_face, lighting;
    float color[4], texcoord[2], clear_color[4];
    int viewport[4];
    GLuint next_texture_name;
    std::vector<GlAttribs> attrib_stack;
    std::vector<GlCall> calls;
    std::vector<GlBatch> batches;
    bool in_batch;
    const char* label; // the label the next batches carry
    int errors; // calls made where OpenGL would raise an error (stack over/underflow, nesting)
};

// The recorder's state; valid for the whole run.
GlRecorder* gl_recorder();
// Back to a fresh context's state (viewport 0,0,1024,768), with empty logs.
void gl_recorder_reset();
// The number of logged calls of that name.
int gl_recorder_count(const char* name);
// The current matrix of a mode (GL_MODELVIEW, GL_PROJECTION, GL_TEXTURE).
const GlMat4& gl_recorder_matrix(GLenum mode);
// 64-bit FNV-1a over every batch logged since the logs were last cleared: primitive, vertices,
// colours, draw state and both matrices, with the texture coordinates and binding only where
// texturing is on; floats by their bits (so -0 and 0 differ), field by field (padding never
// enters). Equal digests: the same drawing.
uint64_t gl_recorder_digest();
// Names what draws the batches from now on (a scene's name, "backdrop"), for traces: a string
// that outlives the log, such as a literal. Cleared by gl_recorder_reset; not in the digest.
void gl_recorder_label(const char* label);
// Empties the logs and keeps the modelled state: a frame then starts from what the last one left.
void gl_recorder_clear_log();
// The product a * b of column-major matrices, summed in single precision as a GL driver does.
GlMat4 gl_mat4_multiply(const GlMat4& a, const GlMat4& b);
// Applies a column-major matrix to (x, y, z, 1); writes four floats.
void gl_mat4_apply(const GlMat4& m, float x, float y, float z, float out[4]);

#endif
