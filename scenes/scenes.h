// The scenes: every one the show holds, in one table, and the rules a scene lives by. Read this
// before writing or changing a scene.
//
// WHAT A SCENE IS
//   Three functions named after it, defined in scenes/NAME.cpp (scenes/unscheduled/ for those no
//   window draws), with its data in that file's globals:
//     NAME_init()    builds its data (allocations, seeded random layouts, paths, Sync tracks)
//                    once, before the clock starts, in the build order of the table below;
//     NAME(pos)      draws one frame, pos 0 at its window's first millisecond and 1 at its last
//                    (both reached exactly); at most once a frame, only inside its window;
//     NAME_free()    releases what NAME_init built, once, after the last frame.
//   Add the scene to `scenes[]` in scenes.cpp: that one row gives the show its window, its
//   drawing and build order, and the tools its name (`--scene NAME`).
//
// WHAT A SCENE MAY READ
//   - `pos`, and nothing else of time: never the clock `kello` itself.
//   - Its `Sync` tracks (engine/sync.h), made in NAME_init with `new Sync(capacity, "NAME")` and
//     read once a frame with getValue(): a track fires its events when the music (`sound`) is on
//     an event's order and row, and decays their pulses by the show clock in whole milliseconds.
//     Read a track before anything that depends on its value or on getActivated().
//   - Its own globals (camera indices, switches): they carry from frame to frame, so a frame
//     depends on the frames drawn before it. NAME_init sets every one of them, never a
//     function-local static, so that show_restart starts the scene afresh (seeking replays the
//     frames since its window began, show/replay.h).
//   - The shared generator (engine/random.h). Scenes that lay out at random reseed it in their
//     NAME_init with their own constant; viivatus and kellu do not, and continue from where the
//     scenes built before them left it: the build order is part of what they draw. rand() is
//     unseeded and taken by kasvu_init and perhonen.
//   - The named colours (engine/colors.h), the toolkit (lights, curves, meshes, lettering) and
//     the molecules (molecules/molecules.h).
//
// THE GL STATE A SCENE SETS AT ITS START
//   Each frame resets only point and line smoothing, the clear colour, line width 1, depth mask
//   on, the viewport and both matrices (show_frame_setup). Nothing is reset between two scenes
//   drawn in the same frame, the backdrops leave blending on with (SRC_ALPHA,
//   ONE_MINUS_SRC_ALPHA), and the toolkit's functions leave blending, depth and line width as
//   they set them. So a scene sets, before drawing: the modelview matrix (identity, then its
//   camera), blending and the blend function, depth test and depth mask, texturing, line width,
//   point size and colour.
//
// BIT FOR BIT
//   The show is exact: stored values are floats; sines, cosines, powers and square roots are
//   taken in double of float arguments and rounded back to float, and 3.141592f stands for pi.
//   A change that keeps a scene's picture must keep every float it emits: the scene digests
//   (tests/scene_digest_test.cpp) hold each scene's recorded batches at five positions. After a
//   deliberate change of what a scene draws, write the digests anew, look at the frames, and
//   commit the digests with the change:
//     ORDUNE_WRITE_DIGESTS=1 build/ordune_tests --gtest_filter='SceneDigest*'
#ifndef ORDUNE_SCENES_SCENES_H
#define ORDUNE_SCENES_SCENES_H

// One scene of the show.
struct SceneEntry {
    const char* name;
    void (*init)();
    void (*draw)(float pos);
    void (*release)(); // NAME_free
    // Inclusive milliseconds of show time; {-1, -1} for the scenes no window draws.
    int window[2];
    // Place in the build (and release) order, 0 first; -1 for the scenes show_init leaves alone
    // (the tools build those when they draw one alone).
    int buildOrder;
};

enum {
    TIMELINE_SCENES = 10, // the scheduled ones, first in the table
    SCENE_COUNT = 14
};

// Every scene: the scheduled ones in drawing order (where windows overlap, the upper one draws
// first), then the unscheduled ones.
extern const SceneEntry scenes[SCENE_COUNT];

// The scene of that name, or null.
const SceneEntry* scene_find(const char* name);
// The names of all scenes in table order, for usage messages: "alku, rakenne, ...".
const char* scene_names();

// Each scene's three functions, for the table and for tests that drive one scene.
#define ORDUNE_SCENE(name)                                                                         \
    void name##_init();                                                                            \
    void name(float pos);                                                                          \
    void name##_free();
ORDUNE_SCENE(alku)
ORDUNE_SCENE(rakenne)
ORDUNE_SCENE(viivatus)
ORDUNE_SCENE(pyorre)
ORDUNE_SCENE(ruutu)
ORDUNE_SCENE(kasvu)
ORDUNE_SCENE(aukko)
ORDUNE_SCENE(perhonen)
ORDUNE_SCENE(virta)
ORDUNE_SCENE(kaupunki)
ORDUNE_SCENE(rata)
ORDUNE_SCENE(neuronit)
ORDUNE_SCENE(kellu)
ORDUNE_SCENE(runko)
#undef ORDUNE_SCENE

#endif
