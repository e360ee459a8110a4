// The picture's box and its offscreen target: a framebuffer object with colour and depth
// renderbuffers, copied into the window with a blit (no filtering: the sizes are equal).
#include "engine/picture.h"
#include "engine/gl.h"
#include "engine/window.h"

#include <GL/glext.h>
#include <SDL.h>

// Taken from SDL, not from libGL: SDL 1.2 on SDL2 may draw the window itself into a framebuffer
// object of its own, and its versions of these calls make framebuffer 0 mean that one.
#define FRAMEBUFFER_CALLS(X)                                                                       \
    X(PFNGLGENFRAMEBUFFERSPROC, glGenFramebuffers)                                                 \
    X(PFNGLBINDFRAMEBUFFERPROC, glBindFramebuffer)                                                 \
    X(PFNGLDELETEFRAMEBUFFERSPROC, glDeleteFramebuffers)                                           \
    X(PFNGLFRAMEBUFFERRENDERBUFFERPROC, glFramebufferRenderbuffer)                                 \
    X(PFNGLBLITFRAMEBUFFERPROC, glBlitFramebuffer)                                                 \
    X(PFNGLGENRENDERBUFFERSPROC, glGenRenderbuffers)                                               \
    X(PFNGLBINDRENDERBUFFERPROC, glBindRenderbuffer)                                               \
    X(PFNGLDELETERENDERBUFFERSPROC, glDeleteRenderbuffers)                                         \
    X(PFNGLRENDERBUFFERSTORAGEPROC, glRenderbufferStorage)
#define MEMBER(type, name) type name;
static struct { FRAMEBUFFER_CALLS(MEMBER) } fbo;
#undef MEMBER

PictureBox picture_box(int w, int h) {
    PictureBox b = {0, 0, w, h};
    if ((long)w * 3 > (long)h * 4)
        b.w = (h * 4 + 1) / 3;
    else
        b.h = (w * 3 + 2) / 4;
    b.w = b.w < 1 ? 1 : b.w;
    b.h = b.h < 1 ? 1 : b.h;
    b.x = (w - b.w) / 2;
    b.y = (h - b.h) / 2;
    return b;
}

static PictureBox box;
static GLuint framebuffer, colour, depth; // 0 when drawing straight into the window

void picture_open(int windowW, int windowH, bool offscreen) {
    box = picture_box(windowW, windowH);
    OPENGL_XRES = box.w;
    OPENGL_YRES = box.h;
    if (!offscreen && box.w == windowW && box.h == windowH)
        return;
#define LOAD(type, name) fbo.name = (type)SDL_GL_GetProcAddress(#name);
    FRAMEBUFFER_CALLS(LOAD)
#undef LOAD
    // The window's own precision, so that the picture is the one the window would hold.
    GLint alpha = 0, depthBits = 0;
    glGetIntegerv(GL_ALPHA_BITS, &alpha);
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    fbo.glGenRenderbuffers(1, &colour);
    fbo.glBindRenderbuffer(GL_RENDERBUFFER, colour);
    fbo.glRenderbufferStorage(GL_RENDERBUFFER, alpha > 0 ? GL_RGBA8 : GL_RGB8, box.w, box.h);
    fbo.glGenRenderbuffers(1, &depth);
    fbo.glBindRenderbuffer(GL_RENDERBUFFER, depth);
    fbo.glRenderbufferStorage(GL_RENDERBUFFER,
                              depthBits > 16 ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT16, box.w,
                              box.h);
    fbo.glGenFramebuffers(1, &framebuffer);
    fbo.glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    fbo.glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    fbo.glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    fbo.glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void picture_bind() {
    if (framebuffer)
        fbo.glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
}

void picture_present() {
    if (!framebuffer)
        return;
    fbo.glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    fbo.glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    fbo.glBlitFramebuffer(0, 0, box.w, box.h, box.x, box.y, box.x + box.w, box.y + box.h,
                          GL_COLOR_BUFFER_BIT, GL_NEAREST);
    fbo.glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

bool picture_kept() {
    return framebuffer != 0;
}

void picture_close() {
    if (!framebuffer)
        return;
    fbo.glBindFramebuffer(GL_FRAMEBUFFER, 0);
    fbo.glDeleteFramebuffers(1, &framebuffer);
    fbo.glDeleteRenderbuffers(1, &colour);
    fbo.glDeleteRenderbuffers(1, &depth);
    framebuffer = colour = depth = 0;
}
