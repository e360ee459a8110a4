// The show's display: a full-screen OpenGL window through SDL 1.2 (1024x768 unless asked
// otherwise), captioned "Mervane::Ordune", cursor hidden. One instance, `win`, owned by the driver.
#ifndef ORDUNE_ENGINE_WINDOW_H
#define ORDUNE_ENGINE_WINDOW_H

class Window {
  public:
    int width = 0, height = 0; // the display's size in pixels, once created

    // Opens the display of width x height pixels (0 x 0: the desktop's size): full screen first,
    // then a plain window of that size if full screen is refused; a window only when
    // `fullscreen` is false. Returns 1 on success; 0 after printing one line on stderr naming
    // the cause, with SDL shut down again.
    int create(bool fullscreen = true, int width = 1024, int height = 768);
};

// The display, one for the whole run.
extern Window win;
// The frame's size in pixels: the viewport, and the aspect ratio's numerator and denominator.
// 1024x768 for the live show; the offline tools set their render size.
extern int OPENGL_XRES;
extern int OPENGL_YRES;

#endif
