// The recorder back end: models the GL state the show relies on and logs every batch.
// Matrix arithmetic follows OpenGL (post-multiplication, column-major, single precision).
#define ORDUNE_GL_NO_MACROS
#include "engine/glrecorder.h"

#include <cmath>
#include <cstring>

static GlRecorder rec;

static const GlMat4 identity4 = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

static void log_call(const char* name, double a0 = 0, double a1 = 0, double a2 = 0, double a3 = 0,
                     int batch = -1) {
    rec.calls.push_back(GlCall{name, {a0, a1, a2, a3}, batch});
}

static std::vector<GlMat4>& stack() {
    switch (rec.matrix_mode) {
    case GL_PROJECTION:
        return rec.projection;
    case GL_TEXTURE:
        return rec.texture;
    default:
        return rec.modelview;
    }
}

static GlMat4& top() {
    return stack().back();
}

GlMat4 gl_mat4_multiply(const GlMat4& a, const GlMat4& b) {
    GlMat4 r;
    for (int c = 0; c < 4; c++)
        for (int row = 0; row < 4; row++) {
            float s = 0;
            for (int k = 0; k < 4; k++)
                s += a.m[k * 4 + row] * b.m[c * 4 + k];
            r.m[c * 4 + row] = s;
        }
    return r;
}

// top = top * m, as glMultMatrix does.
static void mult(const GlMat4& m) {
    top() = gl_mat4_multiply(top(), m);
}

void gl_mat4_apply(const GlMat4& m, float x, float y, float z, float out[4]) {
    for (int row = 0; row < 4; row++)
        out[row] = m.m[row] * x + m.m[4 + row] * y + m.m[8 + row] * z + m.m[12 + row];
}

void gl_recorder_reset() {
    rec.matrix_mode = GL_MODELVIEW;
    rec.modelview.assign(1, identity4);
    rec.projection.assign(1, identity4);
    rec.texture.assign(1, identity4);
    rec.draw = GlDrawState{false,  false,   true,    false, false, false,
                           GL_ONE, GL_ZERO, GL_LESS, 0u,    1.0f,  1.0f};
    rec.cull_face = false;
    rec.lighting = false;
    const float white[4] = {1, 1, 1, 1}, black[4] = {0, 0, 0, 0};
    memcpy(rec.color, white, sizeof white);
    rec.texcoord[0] = rec.texcoord[1] = 0;
    memcpy(rec.clear_color, black, sizeof black);
    rec.viewport[0] = rec.viewport[1] = 0;
    rec.viewport[2] = 1024;
    rec.viewport[3] = 768;
    rec.next_texture_name = 1;
    rec.attrib_stack.clear();
    rec.calls.clear();
    rec.batches.clear();
    rec.in_batch = false;
    rec.label = nullptr;
    rec.errors = 0;
}

void gl_recorder_label(const char* label) {
    rec.label = label;
}

void gl_recorder_clear_log() {
    rec.calls.clear();
    rec.batches.clear();
}

namespace {
struct Fnv {
    uint64_t h = 1469598103934665603ull;
    void u32(uint32_t v) {
        for (int i = 0; i < 4; i++)
            h = (h ^ ((v >> (8 * i)) & 0xff)) * 1099511628211ull;
    }
    void floats(const float* f, size_t n) {
        for (size_t i = 0; i < n; i++) {
            uint32_t bits;
            memcpy(&bits, &f[i], sizeof bits);
            u32(bits);
        }
    }
};
} // namespace

uint64_t gl_recorder_digest() {
    Fnv d;
    for (const GlBatch& b : rec.batches) {
        // Texture coordinates and the binding draw nothing while texturing is off; a replayed
        // show, which skips the frames that set them last, may hold others there.
        d.u32(b.prim);
        d.u32((uint32_t)b.count());
        d.floats(b.v.data(), b.v.size());
        d.floats(b.c.data(), b.c.size());
        if (b.state.texture)
            d.floats(b.t.data(), b.t.size());
        const GlDrawState& s = b.state;
        for (bool f :
             {s.blend, s.depth_test, s.depth_mask, s.texture, s.line_smooth, s.point_smooth})
            d.u32(f);
        for (uint32_t v : {s.blend_src, s.blend_dst, s.depth_func})
            d.u32(v);
        d.u32(s.texture ? s.bound_texture : 0);
        d.floats(&s.line_width, 1);
        d.floats(&s.point_size, 1);
        d.floats(b.mv.m, 16);
        d.floats(b.proj.m, 16);
    }
    return d.h;
}

GlRecorder* gl_recorder() {
    if (rec.modelview.empty())
        gl_recorder_reset();
    return &rec;
}

int gl_recorder_count(const char* name) {
    int n = 0;
    for (const GlCall& c : rec.calls)
        n += strcmp(c.name, name) == 0;
    return n;
}

const GlMat4& gl_recorder_matrix(GLenum mode) {
    gl_recorder();
    switch (mode) {
    case GL_PROJECTION:
        return rec.projection.back();
    case GL_TEXTURE:
        return rec.texture.back();
    default:
        return rec.modelview.back();
    }
}

// Batches.

static void r_glBegin(GLenum mode) {
    if (rec.in_batch)
        rec.errors++;
    rec.in_batch = true;
    GlBatch b;
    b.prim = mode;
    b.state = rec.draw;
    b.mv = rec.modelview.back();
    b.proj = rec.projection.back();
    b.label = rec.label;
    rec.batches.push_back(std::move(b));
    log_call("glBegin", mode, 0, 0, 0, (int)rec.batches.size() - 1);
}

static void r_glEnd() {
    if (!rec.in_batch)
        rec.errors++;
    rec.in_batch = false;
    log_call("glEnd");
}

static void r_glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (!rec.in_batch) {
        rec.errors++;
        return;
    }
    GlBatch& b = rec.batches.back();
    b.v.insert(b.v.end(), {x, y, z});
    b.c.insert(b.c.end(), rec.color, rec.color + 4);
    b.t.insert(b.t.end(), rec.texcoord, rec.texcoord + 2);
}
static void r_glVertex2f(GLfloat x, GLfloat y) {
    r_glVertex3f(x, y, 0);
}
static void r_glVertex3fv(const GLfloat* v) {
    r_glVertex3f(v[0], v[1], v[2]);
}

static void r_glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    rec.color[0] = r;
    rec.color[1] = g;
    rec.color[2] = b;
    rec.color[3] = a;
}
static void r_glColor3f(GLfloat r, GLfloat g, GLfloat b) {
    r_glColor4f(r, g, b, 1);
}
static void r_glColor3fv(const GLfloat* v) {
    r_glColor4f(v[0], v[1], v[2], 1);
}
static void r_glColor4fv(const GLfloat* v) {
    r_glColor4f(v[0], v[1], v[2], v[3]);
}
static void r_glTexCoord2f(GLfloat s, GLfloat t) {
    rec.texcoord[0] = s;
    rec.texcoord[1] = t;
}

// Enables and draw state.

static bool* cap_flag(GLenum cap) {
    switch (cap) {
    case GL_BLEND:
        return &rec.draw.blend;
    case GL_DEPTH_TEST:
        return &rec.draw.depth_test;
    case GL_TEXTURE_2D:
        return &rec.draw.texture;
    case GL_LINE_SMOOTH:
        return &rec.draw.line_smooth;
    case GL_POINT_SMOOTH:
        return &rec.draw.point_smooth;
    case GL_CULL_FACE:
        return &rec.cull_face;
    case GL_LIGHTING:
        return &rec.lighting;
    default:
        return nullptr;
    }
}

static void r_glEnable(GLenum cap) {
    if (bool* f = cap_flag(cap))
        *f = true;
    log_call("glEnable", cap);
}
static void r_glDisable(GLenum cap) {
    if (bool* f = cap_flag(cap))
        *f = false;
    log_call("glDisable", cap);
}
static GLboolean r_glIsEnabled(GLenum cap) {
    bool* f = cap_flag(cap);
    return f && *f ? GL_TRUE : GL_FALSE;
}
static void r_glBlendFunc(GLenum s, GLenum d) {
    rec.draw.blend_src = s;
    rec.draw.blend_dst = d;
    log_call("glBlendFunc", s, d);
}
static void r_glDepthMask(GLboolean f) {
    rec.draw.depth_mask = f != GL_FALSE;
    log_call("glDepthMask", f);
}
static void r_glDepthFunc(GLenum f) {
    rec.draw.depth_func = f;
    log_call("glDepthFunc", f);
}
static void r_glLineWidth(GLfloat w) {
    rec.draw.line_width = w;
    log_call("glLineWidth", w);
}
static void r_glPointSize(GLfloat s) {
    rec.draw.point_size = s;
    log_call("glPointSize", s);
}
static void r_glHint(GLenum t, GLenum m) {
    log_call("glHint", t, m);
}
static void r_glShadeModel(GLenum m) {
    log_call("glShadeModel", m);
}
static void r_glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    rec.clear_color[0] = r;
    rec.clear_color[1] = g;
    rec.clear_color[2] = b;
    rec.clear_color[3] = a;
    log_call("glClearColor", r, g, b, a);
}
static void r_glClear(GLbitfield m) {
    log_call("glClear", m);
}
static void r_glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
    rec.viewport[0] = x;
    rec.viewport[1] = y;
    rec.viewport[2] = w;
    rec.viewport[3] = h;
    log_call("glViewport", x, y, w, h);
}

// Matrices.

static void r_glMatrixMode(GLenum m) {
    rec.matrix_mode = m;
    log_call("glMatrixMode", m);
}
static void r_glLoadIdentity() {
    top() = identity4;
    log_call("glLoadIdentity");
}
static void r_glLoadMatrixf(const GLfloat* m) {
    memcpy(top().m, m, sizeof(GlMat4));
    log_call("glLoadMatrixf");
}
static void r_glMultMatrixf(const GLfloat* m) {
    GlMat4 t;
    memcpy(t.m, m, sizeof t);
    mult(t);
    log_call("glMultMatrixf");
}
// OpenGL guarantees 32 modelview and 2 projection/texture entries; Mesa gives exactly these.
static size_t stack_depth(GLenum mode) {
    return mode == GL_MODELVIEW ? 32 : 2;
}
static void r_glPushMatrix() {
    std::vector<GlMat4>& s = stack();
    if (s.size() >= stack_depth(rec.matrix_mode))
        rec.errors++;
    else
        s.push_back(s.back());
    log_call("glPushMatrix");
}
static void r_glPopMatrix() {
    std::vector<GlMat4>& s = stack();
    if (s.size() <= 1)
        rec.errors++;
    else
        s.pop_back();
    log_call("glPopMatrix");
}
static void r_glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    GlMat4 t = identity4;
    t.m[12] = x;
    t.m[13] = y;
    t.m[14] = z;
    mult(t);
    log_call("glTranslatef", x, y, z);
}
static void r_glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    log_call("glRotatef", angle, x, y, z);
    float len = sqrtf(x * x + y * y + z * z);
    if (len == 0.0f)
        return; // a zero axis leaves the matrix unchanged, as in Mesa
    x /= len;
    y /= len;
    z /= len;
    float rad = angle * (float)(M_PI / 180.0);
    float s = sinf(rad), c = cosf(rad), C = 1 - c;
    GlMat4 r = {{x * x * C + c, y * x * C + z * s, x * z * C - y * s, 0, x * y * C - z * s,
                 y * y * C + c, y * z * C + x * s, 0, x * z * C + y * s, y * z * C - x * s,
                 z * z * C + c, 0, 0, 0, 0, 1}};
    mult(r);
}
static void r_glScalef(GLfloat x, GLfloat y, GLfloat z) {
    GlMat4 t = identity4;
    t.m[0] = x;
    t.m[5] = y;
    t.m[10] = z;
    mult(t);
    log_call("glScalef", x, y, z);
}
static void r_glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    GlMat4 o = {{(float)(2 / (r - l)), 0, 0, 0, 0, (float)(2 / (t - b)), 0, 0, 0, 0,
                 (float)(-2 / (f - n)), 0, (float)(-(r + l) / (r - l)), (float)(-(t + b) / (t - b)),
                 (float)(-(f + n) / (f - n)), 1}};
    mult(o);
    log_call("glOrtho", l, r, b, t);
}
// As GLU computes it: in double precision, then multiplied in as a float matrix.
static void r_gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zn, GLdouble zf) {
    double rad = fovy / 2 * M_PI / 180;
    double dz = zf - zn, s = sin(rad), cot = cos(rad) / s;
    GlMat4 p = {{(float)(cot / aspect), 0, 0, 0, 0, (float)cot, 0, 0, 0, 0,
                 (float)(-(zf + zn) / dz), -1, 0, 0, (float)(-2 * zn * zf / dz), 0}};
    mult(p);
    log_call("gluPerspective", fovy, aspect, zn, zf);
}
// As GLU computes it: float vectors, a float matrix, then a translation by -eye.
static void r_gluLookAt(GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy,
                        GLdouble cz, GLdouble ux, GLdouble uy, GLdouble uz) {
    float f[3] = {(float)(cx - ex), (float)(cy - ey), (float)(cz - ez)};
    float up[3] = {(float)ux, (float)uy, (float)uz};
    auto normalize = [](float* v) {
        float r = sqrtf(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (r == 0.0f)
            return;
        v[0] /= r;
        v[1] /= r;
        v[2] /= r;
    };
    auto cross = [](const float* a, const float* b, float* out) {
        out[0] = a[1] * b[2] - a[2] * b[1];
        out[1] = a[2] * b[0] - a[0] * b[2];
        out[2] = a[0] * b[1] - a[1] * b[0];
    };
    normalize(f);
    float s[3], u[3];
    cross(f, up, s);
    normalize(s);
    cross(s, f, u);
    GlMat4 m = {{s[0], u[0], -f[0], 0, s[1], u[1], -f[1], 0, s[2], u[2], -f[2], 0, 0, 0, 0, 1}};
    mult(m);
    GlMat4 t = identity4;
    t.m[12] = (float)-ex;
    t.m[13] = (float)-ey;
    t.m[14] = (float)-ez;
    mult(t);
    log_call("gluLookAt", ex, ey, ez);
}

// Attributes: each group restores the modelled state OpenGL files under it.
static void r_glPushAttrib(GLbitfield mask) {
    GlAttribs a;
    a.mask = mask;
    a.draw = rec.draw;
    a.cull_face = rec.cull_face;
    a.lighting = rec.lighting;
    memcpy(a.color, rec.color, sizeof a.color);
    memcpy(a.texcoord, rec.texcoord, sizeof a.texcoord);
    memcpy(a.clear_color, rec.clear_color, sizeof a.clear_color);
    memcpy(a.viewport, rec.viewport, sizeof a.viewport);
    a.matrix_mode = rec.matrix_mode;
    rec.attrib_stack.push_back(a);
    log_call("glPushAttrib", mask);
}
static void r_glPopAttrib() {
    log_call("glPopAttrib");
    if (rec.attrib_stack.empty()) {
        rec.errors++;
        return;
    }
    const GlAttribs a = rec.attrib_stack.back();
    rec.attrib_stack.pop_back();
    const GlDrawState& s = a.draw;
    GlDrawState& d = rec.draw;
    if (a.mask & GL_CURRENT_BIT) {
        memcpy(rec.color, a.color, sizeof a.color);
        memcpy(rec.texcoord, a.texcoord, sizeof a.texcoord);
    }
    if (a.mask & GL_ENABLE_BIT) {
        d.blend = s.blend;
        d.depth_test = s.depth_test;
        d.texture = s.texture;
        d.line_smooth = s.line_smooth;
        d.point_smooth = s.point_smooth;
        rec.cull_face = a.cull_face;
        rec.lighting = a.lighting;
    }
    if (a.mask & GL_COLOR_BUFFER_BIT) {
        d.blend = s.blend;
        d.blend_src = s.blend_src;
        d.blend_dst = s.blend_dst;
        memcpy(rec.clear_color, a.clear_color, sizeof a.clear_color);
    }
    if (a.mask & GL_DEPTH_BUFFER_BIT) {
        d.depth_test = s.depth_test;
        d.depth_mask = s.depth_mask;
        d.depth_func = s.depth_func;
    }
    if (a.mask & GL_LINE_BIT) {
        d.line_width = s.line_width;
        d.line_smooth = s.line_smooth;
    }
    if (a.mask & GL_POINT_BIT) {
        d.point_size = s.point_size;
        d.point_smooth = s.point_smooth;
    }
    if (a.mask & GL_TEXTURE_BIT)
        d.bound_texture = s.bound_texture;
    if (a.mask & GL_VIEWPORT_BIT)
        memcpy(rec.viewport, a.viewport, sizeof a.viewport);
    if (a.mask & GL_TRANSFORM_BIT)
        rec.matrix_mode = a.matrix_mode;
}

// Textures: names are handed out in order; pixels are not kept.
static void r_glGenTextures(GLsizei n, GLuint* t) {
    for (GLsizei i = 0; i < n; i++)
        t[i] = rec.next_texture_name++;
    log_call("glGenTextures", n);
}
static void r_glDeleteTextures(GLsizei n, const GLuint* t) {
    log_call("glDeleteTextures", n, n > 0 ? t[0] : 0);
}
static void r_glBindTexture(GLenum target, GLuint t) {
    if (target == GL_TEXTURE_2D)
        rec.draw.bound_texture = t;
    log_call("glBindTexture", target, t);
}
static void r_glTexParameteri(GLenum target, GLenum pname, GLint param) {
    log_call("glTexParameteri", target, pname, param);
}
static void r_glTexParameterf(GLenum target, GLenum pname, GLfloat param) {
    log_call("glTexParameterf", target, pname, param);
}
static void r_glTexImage2D(GLenum, GLint level, GLint internalformat, GLsizei w, GLsizei h, GLint,
                           GLenum, GLenum, const GLvoid*) {
    log_call("glTexImage2D", level, w, h, internalformat);
}
static void r_glCopyTexImage2D(GLenum, GLint, GLenum fmt, GLint x, GLint y, GLsizei w, GLsizei,
                               GLint) {
    log_call("glCopyTexImage2D", fmt, x, y, w);
}
static GLint r_gluBuild2DMipmaps(GLenum, GLint components, GLint w, GLint h, GLenum, GLenum,
                                 const void*) {
    log_call("gluBuild2DMipmaps", components, w, h);
    return 0;
}

// Queries.
static void r_glGetFloatv(GLenum pname, GLfloat* p) {
    switch (pname) {
    case GL_MODELVIEW_MATRIX:
        memcpy(p, rec.modelview.back().m, sizeof(GlMat4));
        break;
    case GL_PROJECTION_MATRIX:
        memcpy(p, rec.projection.back().m, sizeof(GlMat4));
        break;
    case GL_CURRENT_COLOR:
        memcpy(p, rec.color, sizeof rec.color);
        break;
    case GL_LINE_WIDTH:
        p[0] = rec.draw.line_width;
        break;
    case GL_POINT_SIZE:
        p[0] = rec.draw.point_size;
        break;
    case GL_VIEWPORT:
        for (int i = 0; i < 4; i++)
            p[i] = (float)rec.viewport[i];
        break;
    default:
        p[0] = 0;
    }
}
static void r_glGetIntegerv(GLenum pname, GLint* p) {
    switch (pname) {
    case GL_VIEWPORT:
        memcpy(p, rec.viewport, sizeof rec.viewport);
        break;
    case GL_MATRIX_MODE:
        p[0] = (GLint)rec.matrix_mode;
        break;
    case GL_TEXTURE_BINDING_2D:
        p[0] = (GLint)rec.draw.bound_texture;
        break;
    default:
        p[0] = 0;
    }
}
static void r_glPixelStorei(GLenum pname, GLint param) {
    log_call("glPixelStorei", pname, param);
}
static void r_glReadPixels(GLint, GLint, GLsizei w, GLsizei h, GLenum format, GLenum,
                           GLvoid* pixels) {
    int bpp = format == GL_RGBA ? 4 : 3;
    memset(pixels, 0, (size_t)w * (size_t)h * (size_t)bpp);
    log_call("glReadPixels", w, h);
}
static void r_glFinish() {
    log_call("glFinish");
}

#define ORDUNE_GL_RECORDER_ENTRY(ret, name, params) r_##name,
const GlApi gl_recorder_api = {ORDUNE_GL_CALLS(ORDUNE_GL_RECORDER_ENTRY)};
