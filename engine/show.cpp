// The driver's globals, the timeline and the fixed orders of start-up, frame and shut-down.
// The orders matter: scenes that do not reseed continue the shared generator from where the
// scenes built before them left it.
#include "engine/show.h"
#include "engine/backdrop.h"
#include "engine/colors.h"
#include "engine/gl.h"
#include "engine/position.h"
#include "engine/texture.h"
#include "engine/textimages.h"
#include "molecules/molecules.h"
#include "scenes/scenes.h"

#include <cstring>

int OPENGL_XRES = 1024;
int OPENGL_YRES = 768;
int musicflag = 1;
Vector clearcolor(0, 0, 0);
Window win;
Sound sound;
Timer kello;

const SceneEntry timeline[TIMELINE_SCENES] = {
    {"alku", alku, {0, 23500}},
    {"rakenne", rakenne, {20000, 40000}},
    {"viivatus", viivatus, {39500, 59800}},
    {"pyorre", pyorre, {59000, 79000}},
    {"ruutu", ruutu, {79000, 102000}},
    {"kasvu", kasvu, {101000, 124000}},
    {"aukko", aukko, {124000, 141000}},
    {"perhonen", perhonen, {140000, 162000}},
    {"virta", virta, {159000, 180000}},
    {"kaupunki", kaupunki, {178800, 200000}},
};

static const SceneEntry unscheduled[] = {
    {"rata", rata, {-1, -1}},
    {"neuronit", neuronit, {-1, -1}},
    {"kellu", kellu, {-1, -1}},
    {"runko", runko, {-1, -1}},
};

const SceneEntry* scene_find(const char* name) {
    for (const SceneEntry& s : timeline)
        if (strcmp(s.name, name) == 0)
            return &s;
    for (const SceneEntry& s : unscheduled)
        if (strcmp(s.name, name) == 0)
            return &s;
    return nullptr;
}

const char* scene_names() {
    return "alku, rakenne, viivatus, pyorre, ruutu, kasvu, aukko, perhonen, virta, kaupunki, "
           "rata, neuronit, kellu, runko";
}

// The scenes show_init leaves alone, with their set-up and release.
static const struct {
    void (*draw)(float pos);
    void (*build)();
    void (*release)();
} standalone[] = {
    {rata, rata_init, rata_free},
    {neuronit, neuronit_init, neuronit_free},
    {runko, runko_init, runko_free},
};

void scene_build(const SceneEntry* scene) {
    for (const auto& s : standalone)
        if (s.draw == scene->draw)
            s.build();
}

void scene_release(const SceneEntry* scene) {
    for (const auto& s : standalone)
        if (s.draw == scene->draw)
            s.release();
}

void show_init() {
    textures_init();
    font_init();
    kasvu_init();
    rakenne_init();
    pyorre_init();
    viivatus_init();
    ruutu_init();
    aukko_init();
    alku_init();
    perhonen_init();
    kaupunki_init();
    molekyyli_init();
    virta_init();
    kellu_init();
    clearcolor = harmaa;
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
    for (const SceneEntry& s : timeline)
        if (testaaPos(ms, s.window))
            out[n++] = {&s, laskePos(ms, s.window)};
    return n;
}

void show_frame(int ms) {
    show_frame_setup();

    float t = (float)ms;
    taustasky(0.4f, calcSaturate(t, 35000, 124000, 12));
    taustaground(0.4f, calcSaturate(t, 35000, 182000, 12));
    taustasky(0.5f, calcPosFloat(t, 140000, 160000));
    taustasky(0.5f, calcPosFloat(t, 180000, 188000));

    ScenePos drawn[TIMELINE_SCENES];
    int n = show_scenes_at(ms, drawn);
    for (int i = 0; i < n; i++)
        drawn[i].scene->draw(drawn[i].pos);
}

void show_free() {
    kasvu_free();
    rakenne_free();
    pyorre_free();
    viivatus_free();
    ruutu_free();
    aukko_free();
    alku_free();
    perhonen_free();
    kaupunki_free();
    molekyyli_free();
    virta_free();
    kellu_free();
    textures_free();
    font_free();
}
