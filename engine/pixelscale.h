// Supersampling's widths: a frame drawn at n times its size (the renderer's --ssaa) looks as it
// does at 1x, only smoother, when every line width and point size in pixels is n times as large.
//
// gl_scale_pixels(n) wraps the table in force (`glapi`): glLineWidth and glPointSize pass n times
// the value asked for while the viewport is the whole frame (OPENGL_XRES x OPENGL_YRES), and the
// value itself in any other viewport, such as the glow filter's fixed square, which is drawn at
// the same size whatever the frame's. A viewport change applies the width and size last asked
// for anew. Call it after choosing the back end (gl_use_*), which undoes it; n = 1 does nothing.
#ifndef ORDUNE_ENGINE_PIXELSCALE_H
#define ORDUNE_ENGINE_PIXELSCALE_H

void gl_scale_pixels(int n);

#endif
