// The show's spine, shared by the live driver and the offline tools: the driver's globals, the
// timeline of ten scene windows, and the three phases every run goes through.
//
//   show_init()      builds the shared resources and every scene, in the fixed start-up order
//   show_frame(ms)   draws one frame at show millisecond ms (GL reset, projection, backdrops,
//                    then each scene whose window holds ms); swaps nothing
//   show_free()      releases everything, in the fixed shut-down order
//
// The caller opens the display, starts music and clock, advances `kello` and computes ms with
// show_ms() between frames. A frame's output is a function of ms, the music position and the
// state earlier frames left, so any driver that feeds the same sequence draws the same show.
#ifndef ORDUNE_ENGINE_SHOW_H
#define ORDUNE_ENGINE_SHOW_H

#include "engine/sound.h"
#include "engine/timer.h"
#include "engine/vector.h"
#include "engine/window.h"

extern int OPENGL_XRES; // viewport width and numerator of the aspect ratio
extern int OPENGL_YRES;
extern int musicflag;     // exactly 1: the music is opened, started and released
extern Vector clearcolor; // (0, 0, 0) until show_init sets it to harmaa
extern Window win;
extern Sound sound;
extern Timer kello;

// One scene of the show. Unscheduled scenes have the window {-1, -1}.
struct SceneEntry {
    const char* name;
    void (*draw)(float pos);
    int window[2]; // inclusive milliseconds of show time
};

// The timeline, in drawing order: where windows overlap, the upper scene draws first.
enum { TIMELINE_SCENES = 10 };
extern const SceneEntry timeline[TIMELINE_SCENES];
// The show ends after the frame whose millisecond exceeds this.
enum { SHOW_LAST_MS = 199999 };

// Every scene by name, the unscheduled ones included; null for an unknown name.
const SceneEntry* scene_find(const char* name);
// The names of all scenes, for usage messages: "alku, rakenne, ...".
const char* scene_names();
// For tools that draw one scene alone, after show_init: builds (releases) the scene's data when
// show_init does not (rata, neuronit, runko); nothing for the others, which it builds.
void scene_build(const SceneEntry* scene);
void scene_release(const SceneEntry* scene);

// The scenes a frame at show millisecond ms draws, in drawing order, with their pos. Writes at
// most TIMELINE_SCENES entries and returns how many.
struct ScenePos {
    const SceneEntry* scene;
    float pos;
};
int show_scenes_at(int ms, ScenePos* out);

void show_init();
void show_frame(int ms);
void show_free();

// The frame's millisecond: the clock times 1000 in single precision, truncated toward zero.
int show_ms(float seconds);

// The frame set-up alone (steps before the backdrops): GL reset and the 3-D projection. Tools
// that draw one named scene use it in place of show_frame.
void show_frame_setup();

#endif
