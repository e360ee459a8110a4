// The wrapped width, size and viewport calls, and the widths last asked for.
#define ORDUNE_GL_NO_MACROS // the table's entries by their own names
#include "engine/pixelscale.h"
#include "engine/gl.h"
#include "engine/window.h"

static GlApi inner; // the table wrapped
static int scale = 1;
static float line_width = 1, point_size = 1; // as the show asked, before scaling
static bool whole_frame = true;

static float factor() {
    return whole_frame ? (float)scale : 1.0f;
}

static void scaled_line_width(GLfloat w) {
    line_width = w;
    inner.glLineWidth(w * factor());
}

static void scaled_point_size(GLfloat s) {
    point_size = s;
    inner.glPointSize(s * factor());
}

static void scaled_viewport(GLint x, GLint y, GLsizei w, GLsizei h) {
    inner.glViewport(x, y, w, h);
    whole_frame = w == OPENGL_XRES && h == OPENGL_YRES;
    inner.glLineWidth(line_width * factor());
    inner.glPointSize(point_size * factor());
}

void gl_scale_pixels(int n) {
    if (n == 1)
        return;
    if (glapi.glLineWidth != scaled_line_width) // not already wrapped
        inner = glapi;
    scale = n;
    glapi.glLineWidth = scaled_line_width;
    glapi.glPointSize = scaled_point_size;
    glapi.glViewport = scaled_viewport;
}
