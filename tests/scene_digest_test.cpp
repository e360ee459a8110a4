// Every scene's frames at fixed positions, digested through the recorder and compared with the
// digests kept in tests/data/scene_digests.txt: a change of any vertex, colour, texture
// coordinate, primitive, draw state or matrix that a scene emits shows here. A speed-up of a
// scene must leave every digest as it is.
//
// After a deliberate change of what a scene draws, write the digests anew and commit them (each
// scene's case writes the whole file, the same each time):
//   ORDUNE_WRITE_DIGESTS=1 build/ordune_tests --gtest_filter='SceneDigest*'
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/sync.h"
#include "scenes/scenes.h"
#include "show/show.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

const char* const digest_file = ORDUNE_SOURCE_DIR "/tests/data/scene_digests.txt";
// The ends of each window and three positions inside it.
const float digest_positions[] = {0.0f, 0.1f, 0.5f, 0.9f, 1.0f};
// The scheduled scenes in timeline order, then the unscheduled ones.
const char* const digested_scenes[] = {"alku",  "rakenne",  "viivatus", "pyorre", "ruutu",
                                       "kasvu", "aukko",    "perhonen", "virta",  "kaupunki",
                                       "rata",  "neuronit", "kellu"};
// Show time of the unscheduled scenes' frames, seconds: they have no window to derive it from.
const float unscheduled_start = 10.0f, unscheduled_span = 20.0f;
// A music position at which no track of any scene has an event.
const unsigned int quiet_order = 250, quiet_row = 63;

// One frame: the frame set-up and the scene at show time `seconds`, with the music on the
// scene's cue number `cue` (round its tracks' events), as one line of digest.
std::string digest_frame(const SceneEntry* scene, float pos, float seconds, int cue) {
    std::vector<std::pair<int, int>> cues;
    for (const Sync* s : sync_tracks()) {
        if (strcmp(s->scene, scene->name) != 0)
            continue;
        for (int i = 0; i < std::min(s->count, s->capacity); i++)
            cues.push_back({s->eventOrder[i], s->eventRow[i]});
    }
    if (cues.empty())
        sound.pinPosition(quiet_order, quiet_row);
    else
        sound.pinPosition(cues[cue % cues.size()].first, cues[cue % cues.size()].second);
    kello.time = seconds;
    // The logs go, the modelled GL state stays: each frame starts from what the last one left,
    // as in the show.
    gl_recorder_clear_log();
    show_frame_setup();
    scene->draw(pos);

    long vertices = 0;
    for (const GlBatch& b : gl_recorder()->batches)
        vertices += b.count();
    char line[160];
    snprintf(line, sizeof line, "%s %.2f %zu %ld %016llx", scene->name, pos,
             gl_recorder()->batches.size(), vertices, (unsigned long long)gl_recorder_digest());
    return line;
}

// The fixed sequence: the show built on the recorder, then every digested scene in turn at every
// position. Scene statics, sync tracks and both random generators carry over from frame to
// frame, so the lines depend on this whole sequence run in a fresh process.
std::vector<std::string> digest_all() {
    srand(1); // the C library's generator as a program starts, for kasvu and perhonen
    gl_use_recorder();
    show_init();
    rata_init();
    neuronit_init();
    std::vector<std::string> lines;
    for (const char* name : digested_scenes) {
        const SceneEntry* e = scene_find(name);
        int cue = 0;
        for (float pos : digest_positions) {
            float ms = (float)e->window[0] + pos * (float)(e->window[1] - e->window[0]);
            float seconds =
                e->window[0] < 0 ? unscheduled_start + pos * unscheduled_span : ms / 1000.0f;
            lines.push_back(digest_frame(e, pos, seconds, cue++));
        }
    }
    return lines;
}

// Runs in the fresh process: draws the whole sequence, then writes the file anew when asked, or
// compares the scene's lines with the kept ones, printing both on a difference. Exits 0 when
// they match (or the file was written), else 1.
void compare_or_write(const std::string& scene) {
    std::vector<std::string> drawn = digest_all();
    const char* write = getenv("ORDUNE_WRITE_DIGESTS");
    if (write && strcmp(write, "1") == 0) {
        std::ofstream out(digest_file);
        out << "# scene pos batches vertices fnv1a-64 of every batch, from "
               "tests/scene_digest_test.cpp\n";
        for (const std::string& l : drawn)
            out << l << "\n";
        out.close();
        exit(out.fail() ? 1 : 0);
    }
    std::vector<std::string> kept, mine;
    std::ifstream in(digest_file);
    for (std::string l; std::getline(in, l);)
        if (l.rfind(scene + " ", 0) == 0)
            kept.push_back(l);
    for (const std::string& l : drawn)
        if (l.rfind(scene + " ", 0) == 0)
            mine.push_back(l);
    bool same = kept == mine && kept.size() == std::size(digest_positions);
    for (size_t i = 0; !same && i < std::max(kept.size(), mine.size()); i++)
        fprintf(stderr, "kept: %s\ndrawn: %s\n", i < kept.size() ? kept[i].c_str() : "",
                i < mine.size() ? mine[i].c_str() : "");
    exit(same ? 0 : 1);
}

} // namespace

// Other tests in this binary draw the same scenes and so move their statics and generators on:
// the threadsafe death-test style runs the sequence in a fresh copy of the binary.
class Frames : public ::testing::TestWithParam<const char*> {};

TEST_P(Frames, AsKept) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(compare_or_write(GetParam()), ::testing::ExitedWithCode(0), "");
}

INSTANTIATE_TEST_SUITE_P(SceneDigest, Frames, ::testing::ValuesIn(digested_scenes),
                         [](const ::testing::TestParamInfo<const char*>& p) {
                             return std::string(p.param);
                         });
