// The live show: opens the display, starts the music and the clock, runs frames until the show
// ends or the viewer stops it, then shuts down in order; the options and makers' keys around it.
//
// With default options this is the show's own run: full screen 1024x768, the clock from 0, every
// key but Escape ignored, over after the frame past 199.999 s.
//
// Seeking (--start, --loop and the keys of --dev) lands on the 60 fps grid: the show is rebuilt
// and the frames before the target replayed on the virtual clock through the null back end
// (show/replay.h), so the frames that follow are those of a show that played there.
//
// The makers' keys (--dev): Space pauses and resumes picture and music together; Left and Right
// seek 5 s back and forward; Page Down jumps to the next scene's start, Page Up to the start of
// the scene playing (of the one before, within its first second); Home restarts; F1 toggles the
// overlay (show time, music order and row, the scenes drawn with their pos, frames a second).
//
// Stopping: Escape, a quit event, SIGINT or SIGTERM all end the show after the current frame
// through the same shut-down, so SDL hands the desktop its video mode back. Every pending
// event is consumed each frame; one a frame would let a backlog of mouse motion (the pointer is
// warped every frame) delay an Escape by seconds on a slow machine.
#ifndef ORDUNE_SHOW_LIVE_H
#define ORDUNE_SHOW_LIVE_H

#include "show/options.h"

// Runs the show as the options ask. Returns the process's exit status: 0 after a show that ran
// (to its end or stopped by the viewer), 1 when the display or the record file cannot be opened.
int live_show(const ShowOptions& options);

// The grid seeks land on, frames a second.
enum { SEEK_FPS = 60 };

enum Seek { SEEK_BACK, SEEK_FORWARD, SEEK_PREVIOUS_SCENE, SEEK_NEXT_SCENE, SEEK_RESTART };
// The frame (at SEEK_FPS) a seek from show time `seconds` lands on, within the show: from frame 0
// to the last frame before the show's end.
long seek_frame(Seek seek, double seconds);

#endif
