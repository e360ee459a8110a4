// The web build's stand-in for libopenmpt: the few calls the show's player makes
// (engine/sound.cpp), answered from the positions ordune-positions recorded (web/positions.h). In
// the page the music itself plays through the browser's own libopenmpt (chiptune3); the show only
// needs to know where it stands, so this module renders silence, as many frames as the song lasts,
// and reports the position libopenmpt reported after the same slice.
//
// The player reads only in slices that end on multiples of SOUND_SLICE_FRAMES, so the position
// after a read is the recorded one of the slice holding its last frame.
#include "engine/sound.h"
#include "web/positions.h"

#include <cstring>
#include <libopenmpt/libopenmpt.h>

struct openmpt_module {
    long long frames; // rendered so far
    int run;          // the run holding the last frame rendered
};

static openmpt_module the_module;

void openmpt_free_string(const char*) {}
void openmpt_log_func_silent(const char*, void*) {}
int openmpt_error_func_ignore(int, void*) {
    return OPENMPT_ERROR_FUNC_RESULT_NONE;
}

// The bytes were checked as an XM module by the player (sound_check_xm); the positions are
// those of the music.xm the build listed, which the page also plays.
openmpt_module* openmpt_module_create_from_memory2(const void*, size_t, openmpt_log_func, void*,
                                                   openmpt_error_func, void*, int* error,
                                                   const char** message,
                                                   const openmpt_module_initial_ctl*) {
    if (error)
        *error = OPENMPT_ERROR_OK;
    if (message)
        *message = nullptr;
    the_module = openmpt_module{0, 0};
    return &the_module;
}

void openmpt_module_destroy(openmpt_module*) {}
int openmpt_module_select_subsong(openmpt_module*, int32_t) {
    return 1;
}
int openmpt_module_set_repeat_count(openmpt_module*, int32_t) {
    return 1;
}
int openmpt_module_set_render_param(openmpt_module*, int, int32_t) {
    return 1;
}

size_t openmpt_module_read_interleaved_stereo(openmpt_module* mod, int32_t, size_t count,
                                              int16_t* out) {
    long long left = music_frames - mod->frames;
    size_t n = left <= 0 ? 0 : (long long)count < left ? count : (size_t)left;
    memset(out, 0, n * 2 * sizeof *out);
    mod->frames += (long long)n;
    long long slice = (mod->frames - 1) / SOUND_SLICE_FRAMES;
    while (mod->run + 1 < music_run_count && music_runs[mod->run + 1].first_slice <= slice)
        mod->run++;
    return n;
}

int32_t openmpt_module_get_current_order(openmpt_module* mod) {
    return (int32_t)(music_runs[mod->run].position >> 16);
}

int32_t openmpt_module_get_current_row(openmpt_module* mod) {
    return (int32_t)(music_runs[mod->run].position & 0xffff);
}
