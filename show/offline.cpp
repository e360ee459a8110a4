// Virtual-time driving of the show. The clock is set, not measured, so a frame's content does
// not depend on how long earlier frames took to draw.
#include "show/offline.h"
#include "engine/gl.h"
#include "show/show.h"

#include <cmath>
#include <string>

float offline_time(long k, double fps) {
    return (float)((double)k / fps);
}

long offline_frame_at(double seconds, double fps) {
    long k = lround(seconds * fps);
    return k < 0 ? 0 : k;
}

long offline_frame_count(double fps) {
    long k = 0;
    while (show_ms(offline_time(k, fps)) <= SHOW_LAST_MS)
        k++;
    return k + 1;
}

static bool music_open = false;
static std::string music_fault;

void offline_begin(bool music) {
    show_init();
    music_fault.clear();
    music_open = music && musicflag == 1 && sound.openOffline(&music_fault);
    kello = Timer();
}

// advanceTo moves only a module opened offline, so the music follows the frames for whoever
// opened it (offline_begin, or a live driver rewinding its player to seek).
void offline_draw(long k, double fps, std::vector<short>* pcm) {
    offline_draw_at(offline_time(k, fps), pcm);
}

void offline_draw_at(float seconds, std::vector<short>* pcm) {
    kello.time = seconds;
    sound.advanceTo(kello.time, pcm);
    show_frame(show_ms(kello.time));
}

void offline_skip(long from, long to, double fps) {
    GlApi saved = glapi;
    glapi = gl_null_api;
    for (long k = from; k < to; k++)
        offline_draw(k, fps, nullptr);
    glapi = saved;
}

void offline_audio_to(long k, double fps, std::vector<short>* pcm) {
    sound.advanceTo(offline_time(k, fps), pcm);
}

bool offline_music() {
    return music_open;
}

const std::string& offline_music_fault() {
    return music_fault;
}

void offline_end() {
    show_free();
    if (music_open)
        sound.release();
    music_open = false;
}
