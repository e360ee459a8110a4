// A headless OpenGL or OpenGL ES 3 context for the offline renderer: EGL with a pbuffer the size
// of the frame, on a GPU driver's device platform where one is present, else on Mesa's surfaceless.
#ifndef ORDUNE_TOOLS_EGL_H
#define ORDUNE_TOOLS_EGL_H

#include <string>

// Creates a desktop OpenGL compatibility-profile context (immediate mode needs it) with an
// RGBA8 colour and 24-bit depth pbuffer of w x h pixels, and makes it current. The frame is
// drawn into and read back from that pbuffer; nothing is ever shown. On failure returns false
// and sets why to one line naming the cause.
bool egl_open(int w, int h, std::string* why);
// The same with an OpenGL ES 3.0 (or later) context instead, for the GLES 3 back end of the GL
// layer (gl_use_es3).
bool egl_open_es3(int w, int h, std::string* why);
// The driver, for the log: "llvmpipe (LLVM 15.0.6, 256 bits), OpenGL 4.5 (Compatibility
// Profile) Mesa 22.3.6", or "..., OpenGL ES 3.2 Mesa 22.3.6". Valid between an open and egl_close.
std::string egl_renderer();
void egl_close();

#endif
