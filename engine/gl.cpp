// The GL dispatch table, the platform and null back ends, and the switch between back ends.
// All three tables are constant-initialised, so `glapi` is valid before any constructor runs.
#define ORDUNE_GL_NO_MACROS
#include "engine/gl.h"
#include "engine/gles3.h"
#include "engine/glrecorder.h"

#include <cstdio>
#include <cstring>

// A build with no desktop OpenGL (the web build, ORDUNE_GL_NO_PLATFORM) leaves the platform
// back end out, and with it every reference to the desktop's GL and GLU.
#ifndef ORDUNE_GL_NO_PLATFORM
#define ORDUNE_GL_PLATFORM_ENTRY(ret, name, params) &::name,
const GlApi gl_platform_api = {ORDUNE_GL_CALLS(ORDUNE_GL_PLATFORM_ENTRY)};
#endif

// The null back end: every call does nothing and returns zero, except the few whose results
// callers read back, which answer as a fresh context would.
template <class F, F f> struct NullCall;
template <class R, class... A, R (*f)(A...)> struct NullCall<R (*)(A...), f> {
    static R call(A...) { return R(); }
};

static GLuint null_next_texture = 1;

template <> struct NullCall<decltype(&::glGenTextures), &::glGenTextures> {
    static void call(GLsizei n, GLuint* t) {
        for (GLsizei i = 0; i < n; i++)
            t[i] = null_next_texture++;
    }
};
template <> struct NullCall<decltype(&::glGetFloatv), &::glGetFloatv> {
    static void call(GLenum pname, GLfloat* p) {
        static const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        if (pname == GL_MODELVIEW_MATRIX || pname == GL_PROJECTION_MATRIX)
            memcpy(p, identity, sizeof identity);
        else
            p[0] = 0;
    }
};
template <> struct NullCall<decltype(&::glGetIntegerv), &::glGetIntegerv> {
    static void call(GLenum pname, GLint* p) {
        if (pname == GL_VIEWPORT)
            memset(p, 0, 4 * sizeof *p);
        else
            p[0] = 0;
    }
};
template <> struct NullCall<decltype(&::glReadPixels), &::glReadPixels> {
    static void call(GLint, GLint, GLsizei w, GLsizei h, GLenum format, GLenum, GLvoid* pixels) {
        memset(pixels, 0, (size_t)w * (size_t)h * (format == GL_RGBA ? 4u : 3u));
    }
};

#define ORDUNE_GL_NULL_ENTRY(ret, name, params) NullCall<decltype(&::name), &::name>::call,
const GlApi gl_null_api = {ORDUNE_GL_CALLS(ORDUNE_GL_NULL_ENTRY)};

GlApi glapi = gl_null_api;
static GlBackend backend = GL_BACKEND_NULL;

#ifndef ORDUNE_GL_NO_PLATFORM
void gl_use_platform() {
    glapi = gl_platform_api;
    backend = GL_BACKEND_PLATFORM;
}
#endif

void gl_use_recorder() {
    gl_recorder_reset();
    glapi = gl_recorder_api;
    backend = GL_BACKEND_RECORDER;
}

void gl_use_null() {
    glapi = gl_null_api;
    backend = GL_BACKEND_NULL;
}

bool gl_use_es3(const char** why) {
    if (!gles3_open(why))
        return false;
    glapi = gles3_api();
    backend = GL_BACKEND_ES3;
    return true;
}

GlBackend gl_backend() {
    return backend;
}

static const char* hex_name(GLenum e) {
    static char buf[16];
    snprintf(buf, sizeof buf, "0x%04X", e);
    return buf;
}

#define ORDUNE_GL_NAME(x)                                                                          \
    case x:                                                                                        \
        return #x;

const char* gl_prim_name(GLenum prim) {
    switch (prim) {
        ORDUNE_GL_NAME(GL_POINTS)
        ORDUNE_GL_NAME(GL_LINES)
        ORDUNE_GL_NAME(GL_LINE_LOOP)
        ORDUNE_GL_NAME(GL_LINE_STRIP)
        ORDUNE_GL_NAME(GL_TRIANGLES)
        ORDUNE_GL_NAME(GL_TRIANGLE_STRIP)
        ORDUNE_GL_NAME(GL_TRIANGLE_FAN)
        ORDUNE_GL_NAME(GL_QUADS)
        ORDUNE_GL_NAME(GL_QUAD_STRIP)
        ORDUNE_GL_NAME(GL_POLYGON)
    }
    return hex_name(prim);
}

const char* gl_enum_name(GLenum e) {
    switch (e) {
        ORDUNE_GL_NAME(GL_ZERO)
        ORDUNE_GL_NAME(GL_ONE)
        ORDUNE_GL_NAME(GL_SRC_ALPHA)
        ORDUNE_GL_NAME(GL_ONE_MINUS_SRC_ALPHA)
        ORDUNE_GL_NAME(GL_DST_ALPHA)
        ORDUNE_GL_NAME(GL_ONE_MINUS_DST_ALPHA)
        ORDUNE_GL_NAME(GL_SRC_COLOR)
        ORDUNE_GL_NAME(GL_ONE_MINUS_SRC_COLOR)
        ORDUNE_GL_NAME(GL_DST_COLOR)
        ORDUNE_GL_NAME(GL_ONE_MINUS_DST_COLOR)
        ORDUNE_GL_NAME(GL_NEVER)
        ORDUNE_GL_NAME(GL_LESS)
        ORDUNE_GL_NAME(GL_EQUAL)
        ORDUNE_GL_NAME(GL_LEQUAL)
        ORDUNE_GL_NAME(GL_GREATER)
        ORDUNE_GL_NAME(GL_NOTEQUAL)
        ORDUNE_GL_NAME(GL_GEQUAL)
        ORDUNE_GL_NAME(GL_ALWAYS)
        ORDUNE_GL_NAME(GL_BLEND)
        ORDUNE_GL_NAME(GL_DEPTH_TEST)
        ORDUNE_GL_NAME(GL_TEXTURE_2D)
        ORDUNE_GL_NAME(GL_LINE_SMOOTH)
        ORDUNE_GL_NAME(GL_POINT_SMOOTH)
        ORDUNE_GL_NAME(GL_CULL_FACE)
        ORDUNE_GL_NAME(GL_LIGHTING)
        ORDUNE_GL_NAME(GL_MODELVIEW)
        ORDUNE_GL_NAME(GL_PROJECTION)
        ORDUNE_GL_NAME(GL_TEXTURE)
    }
    return hex_name(e);
}
