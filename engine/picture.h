// The show's picture in the window: a 4:3 box centred with black bars, the whole window when the
// window is 4:3 itself. The show draws into the window directly or into an offscreen target.
//
// The show's frame is drawn at the box's size (OPENGL_XRES x OPENGL_YRES) with its origin at the
// box's corner, so a 1920x1080 window shows, between its bars, the very frame a 1440x1080 window
// would. The offscreen target, copied into the window each frame, also keeps the last picture
// for a paused show. Sequence a frame:
//   picture_bind();     the show draws (show_frame)
//   picture_present();  the window's buffer is bound, bars black, the picture in its box
//   ...an overlay in window pixels, then the buffer swap
#ifndef ORDUNE_ENGINE_PICTURE_H
#define ORDUNE_ENGINE_PICTURE_H

// A rectangle in pixels, origin at the lower left.
struct PictureBox {
    int x, y, w, h;
};

// The largest 4:3 box centred in a w x h frame (sides at least 1): the frame itself when it is
// 4:3, else the full height (or width) with the other side rounded to the nearest pixel.
PictureBox picture_box(int w, int h);

// Sets OPENGL_XRES and OPENGL_YRES to the box of a windowW x windowH window and, when `offscreen`
// or when the box leaves bars, makes an offscreen target of the box's size with the window's
// colour and depth precision. Needs the window's GL context, the platform GL back end in force.
void picture_open(int windowW, int windowH, bool offscreen);
// Before the show's frame: binds the offscreen target when there is one.
void picture_bind();
// After the show's frame: binds the window's buffer; with an offscreen target, clears the window
// black and copies the picture into the box. Viewport and matrices are left to the next drawer.
void picture_present();
// Whether picture_present shows the last picture again without a new frame (an offscreen
// target keeps it).
bool picture_kept();
// Deletes the offscreen target; the window's buffer stays bound.
void picture_close();

#endif
