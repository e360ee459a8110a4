// Cue-sheet arithmetic: the music followed at the show's own resolution, the millisecond,
// through the same position Sync reads.
//
// An event whose row begins just before its scene's window opens and is still playing when it
// does counts as firing: the scene's first frame finds the music there.
#include "tools/cues.h"
#include "show/show.h"
#include "engine/sync.h"

#include <algorithm>
#include <climits>

void cues_trace_music(MusicTrace* trace, int last_ms) {
    trace->order.resize((size_t)last_ms + 1);
    trace->row.resize((size_t)last_ms + 1);
    for (int ms = 0; ms <= last_ms; ms++) {
        sound.advanceTo(ms / 1000.0, nullptr);
        // Row first, then order: the reading order of Sync::getValue.
        trace->row[(size_t)ms] = (int)sound.getRow();
        trace->order[(size_t)ms] = (int)sound.getOrder();
    }
}

static bool at(const MusicTrace& t, size_t ms, int order, int row) {
    return t.order[ms] == order && t.row[ms] == row;
}

std::vector<Cue> cues_collect(const MusicTrace& trace) {
    std::vector<Cue> cues;
    std::vector<std::string> seen; // one entry per track, its scene, to number tracks per scene
    long last = (long)trace.order.size() - 1;
    for (const Sync* t : sync_tracks()) {
        std::string scene = t->scene;
        int track = 1;
        for (const std::string& s : seen)
            track += s == scene;
        seen.push_back(scene);
        const SceneEntry* entry = scene_find(scene.c_str());
        int filled = t->count < t->capacity ? t->count : t->capacity;
        for (int i = 0; i < filled; i++) {
            Cue c = {scene, track, t->eventOrder[i], t->eventRow[i], -1, false};
            for (long ms = 0; ms <= last && c.first_ms < 0; ms++)
                if (at(trace, (size_t)ms, c.order, c.row))
                    c.first_ms = ms;
            if (entry && entry->window[0] >= 0 && c.first_ms >= 0) {
                long hi = entry->window[1] < last ? entry->window[1] : last;
                for (long ms = entry->window[0]; ms <= hi && !c.fires; ms++)
                    c.fires = at(trace, (size_t)ms, c.order, c.row);
            }
            cues.push_back(c);
        }
    }
    return cues;
}

void cues_sort_by_time(std::vector<Cue>* cues) {
    auto key = [](const Cue& c) { return c.first_ms < 0 ? LONG_MAX : c.first_ms; };
    std::stable_sort(cues->begin(), cues->end(),
                     [&](const Cue& a, const Cue& b) { return key(a) < key(b); });
}

static std::string seconds(long ms) {
    if (ms < 0)
        return "";
    char buf[32];
    snprintf(buf, sizeof buf, "%ld.%03ld", ms / 1000, ms % 1000);
    return buf;
}

void cues_print(FILE* out, const std::vector<Cue>& cues, bool csv) {
    if (csv) {
        fprintf(out, "scene,track,order,row,time_s,fires\n");
        for (const Cue& c : cues)
            fprintf(out, "%s,%d,%d,%d,%s,%s\n", c.scene.c_str(), c.track, c.order, c.row,
                    seconds(c.first_ms).c_str(), c.fires ? "yes" : "no");
        return;
    }
    fprintf(out, "%-10s %5s %5s %4s %9s  %s\n", "scene", "track", "order", "row", "time_s",
            "fires");
    for (const Cue& c : cues)
        fprintf(out, "%-10s %5d %5d %4d %9s  %s\n", c.scene.c_str(), c.track, c.order, c.row,
                c.first_ms < 0 ? "never" : seconds(c.first_ms).c_str(),
                c.fires ? "fires" : "missed");
    int firing = 0;
    for (const Cue& c : cues)
        firing += c.fires;
    fprintf(out, "%zu events, %d fire, %zu missed\n", cues.size(), firing,
            cues.size() - (size_t)firing);
}
