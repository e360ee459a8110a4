// The fixed orders of start-up, frame and shut-down. The orders matter: scenes that do not
// reseed continue the shared generator from where the scenes built before them left it.
#include "show/show.h"
#include "engine/backdrop.h"
#include "engine/colors.h"
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/position.h"
#include "engine/random.h"
#include "engine/texture.h"
#include "engine/textimages.h"
#include "molecules/molecules.h"

#include <cstdlib>

int musicflag = 1;

void scene_build(const SceneEntry* scene) {
    if (scene->buildOrder < 0)
        scene->init();
}

void scene_release(const SceneEntry* scene) {
    if (scene->buildOrder < 0)
        scene->release();
}

// Calls init or release of every scene show_init builds, in their build order.
static void in_build_order(bool build) {
    for (int order = 0; order < SCENE_COUNT; order++)
        for (const SceneEntry& s : scenes)
            if (s.buildOrder == order)
                build ? s.init() : s.release();
}

// The scenes built from the state a program starts in: both generators as they are before any
// seeding (kasvu_init takes rand(), and perhonen's frames take it from there), the clear colour
// the show's grey.
static void build_scenes() {
    SEED = SEED_START;
    srand(1);
    in_build_order(true);
    clearcolor = harmaa;
}

// The molecules draw no random numbers and make no tracks, so building them before the scenes
// leaves every scene as it would be with them built anywhere else in the order.
void show_init() {
    textures_init();
    font_init();
    molekyyli_init();
    build_scenes();
}

void show_restart() {
    in_build_order(false);
    build_scenes();
}

int show_ms(float seconds) {
    return (int)(seconds * 1000.0f);
}

void show_frame_setup() {
    glEnable(GL_POINT_SMOOTH);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glEnable(GL_LINE_SMOOTH);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glClearColor(clearcolor.x, clearcolor.y, clearcolor.z, 1.0);
    glLineWidth(1.0);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, OPENGL_XRES, OPENGL_YRES);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // The aspect is a float quotient; the near plane is the float 0.01 widened to double.
    gluPerspective(45.0, (float)OPENGL_XRES / (float)OPENGL_YRES, (double)0.01f, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

int show_scenes_at(int ms, ScenePos* out) {
    int n = 0;
    for (int i = 0; i < TIMELINE_SCENES; i++)
        if (testaaPos(ms, scenes[i].window))
            out[n++] = {&scenes[i], laskePos(ms, scenes[i].window)};
    return n;
}

void show_frame(int ms) {
    show_frame_setup();

    float t = (float)ms;
    gl_recorder_label("backdrop");
    taustasky(0.4f, calcSaturate(t, 35000, 124000, 12));
    taustaground(0.4f, calcSaturate(t, 35000, 182000, 12));
    taustasky(0.5f, calcPosFloat(t, 140000, 160000));
    taustasky(0.5f, calcPosFloat(t, 180000, 188000));

    ScenePos drawn[TIMELINE_SCENES];
    int n = show_scenes_at(ms, drawn);
    for (int i = 0; i < n; i++) {
        gl_recorder_label(drawn[i].scene->name);
        drawn[i].scene->draw(drawn[i].pos);
    }
}

void show_free() {
    in_build_order(false);
    molekyyli_free();
    textures_free();
    font_free();
}
