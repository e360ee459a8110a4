// The cue sheet: every event of every sync track the show built, when the music first reaches
// its order and row, and whether it can fire at all.
//
// An event can fire when the music is on its row while the owning scene's window is open.
#ifndef ORDUNE_TOOLS_CUES_H
#define ORDUNE_TOOLS_CUES_H

#include <cstdio>
#include <string>
#include <vector>

// The music's position at every whole millisecond of show time, index = ms.
struct MusicTrace {
    std::vector<int> order, row;
};

// Plays the music opened offline (Sound::openOffline, still at time 0) through milliseconds
// 0..last_ms, recording the position the player reports after each.
void cues_trace_music(MusicTrace* trace, int last_ms);

struct Cue {
    std::string scene; // the name the track was made with
    int track;         // 1, 2, ... in construction order within the scene
    int order, row;
    long first_ms; // the first millisecond at which the music is there; -1 when never
    bool fires;    // the music is there at some millisecond inside the scene's window
};

// The events of every live track (engine/sync.h), in construction order: the slots filled by
// add(), not the unfilled ones. A track built outside a scheduled scene never fires.
std::vector<Cue> cues_collect(const MusicTrace& trace);

// Orders the cues by the time the music first reaches them, those never reached last; cues at
// the same time keep their order (scene, then track).
void cues_sort_by_time(std::vector<Cue>* cues);

// As an aligned table, or as CSV with the header scene,track,order,row,time_s,fires (time in
// seconds to the millisecond, empty when never reached; fires yes or no).
void cues_print(FILE* out, const std::vector<Cue>& cues, bool csv);

#endif
