// The show's display: a 1024x768 full-screen OpenGL window through SDL 1.2, captioned
// "Mervane::Ordune", cursor hidden. One instance, `win`, owned by the driver.
#ifndef ORDUNE_ENGINE_WINDOW_H
#define ORDUNE_ENGINE_WINDOW_H

class Window {
  public:
    // Opens the display: full screen first, then a plain 1024x768 window if full screen is
    // refused. Returns 1 on success; 0 after printing one line on stderr naming the cause, with
    // SDL shut down again. The argument is not used.
    int create(bool unused);
};

// The display, one for the whole run.
extern Window win;
// The frame's size in pixels: the viewport, and the aspect ratio's numerator and denominator.
// 1024x768 for the live show; the offline tools set their render size.
extern int OPENGL_XRES;
extern int OPENGL_YRES;

#endif
