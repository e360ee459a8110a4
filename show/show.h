// The show's spine, shared by the live driver and the offline tools: the frame (backdrops, then
// the scenes of scenes/scenes.h whose windows hold it) and the three phases every run goes through.
//
//   show_init()      builds the shared resources and every scene, in the fixed start-up order
//   show_restart()   rebuilds every scene, so the show is again as show_init left it
//   show_frame(ms)   draws one frame at show millisecond ms (GL reset, projection, backdrops,
//                    then each scene whose window holds ms); swaps nothing
//   show_free()      releases everything, in the fixed shut-down order
//
// The caller opens the display (`win`), starts the music (`sound`) and the clock (`kello`),
// advances `kello` and computes ms with show_ms() between frames. A frame's output is a function
// of ms, the music position and the state earlier frames left, so any driver that feeds the same
// sequence draws the same show.
#ifndef ORDUNE_SHOW_SHOW_H
#define ORDUNE_SHOW_SHOW_H

#include "engine/sound.h"
#include "engine/timer.h"
#include "engine/window.h"
#include "scenes/scenes.h"

extern int musicflag; // exactly 1: the music is opened, started and released

// The show ends after the frame whose millisecond exceeds this.
enum { SHOW_LAST_MS = 199999 };

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
// After show_init, in place of show_free and show_init: releases and rebuilds every scene in the
// same orders and puts back what frames change outside them (the shared generator, the C
// library's rand(), the clear colour), so the next frame drawn is that of a show just begun.
// The textures, the lettering and the molecules carry nothing from frame to frame and stay.
void show_restart();
void show_frame(int ms);
void show_free();

// The frame's millisecond: the clock times 1000 in single precision, truncated toward zero.
int show_ms(float seconds);

// The frame set-up alone (steps before the backdrops): GL reset and the 3-D projection. Tools
// that draw one named scene use it in place of show_frame.
void show_frame_setup();

#endif
