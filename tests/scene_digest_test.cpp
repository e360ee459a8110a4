// Every scene's frames at fixed positions, digested through the recorder and compared with the
// digests kept in tests/data/scene_digests.txt: a change of any vertex, colour, texture
// coordinate, primitive, draw state or matrix that a scene emits shows here. A speed-up of a
// scene must leave every digest as it is.
//
// After a deliberate change of what a scene draws, write the digests anew and commit them:
//   ORDUNE_WRITE_DIGESTS=1 build/ordune_tests --gtest_filter='SceneDigest.*'
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "show/show.h"
#include "engine/sync.h"
#include "scenes/scenes.h"

#include <cstdint>
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
const char* const unscheduled_scenes[] = {"rata", "neuronit", "kellu"};
// Show time of the unscheduled scenes' frames, seconds: they have no window to derive it from.
const float unscheduled_start = 10.0f, unscheduled_span = 20.0f;
// A music position at which no track of any scene has an event.
const unsigned int quiet_order = 250, quiet_row = 63;

// 64-bit FNV-1a over the bytes fed to it.
struct Digest {
    uint64_t h = 1469598103934665603ull;
    void bytes(const void* p, size_t n) {
        const unsigned char* b = (const unsigned char*)p;
        for (size_t i = 0; i < n; i++)
            h = (h ^ b[i]) * 1099511628211ull;
    }
    void u32(uint32_t v) { bytes(&v, sizeof v); }
    // Floats by their bits: the digest is to tell any change, -0 from 0 included.
    void floats(const float* f, size_t n) {
        for (size_t i = 0; i < n; i++) {
            uint32_t bits;
            memcpy(&bits, &f[i], sizeof bits);
            u32(bits);
        }
    }
};

// Field by field, so that padding in the structures never reaches the digest.
void digest_batch(Digest& d, const GlBatch& b) {
    d.u32(b.prim);
    d.u32((uint32_t)b.count());
    d.floats(b.v.data(), b.v.size());
    d.floats(b.c.data(), b.c.size());
    d.floats(b.t.data(), b.t.size());
    const GlDrawState& s = b.state;
    const bool flags[] = {s.blend,   s.depth_test,  s.depth_mask,
                          s.texture, s.line_smooth, s.point_smooth};
    for (bool f : flags)
        d.u32(f);
    d.u32(s.blend_src);
    d.u32(s.blend_dst);
    d.u32(s.depth_func);
    d.u32(s.bound_texture);
    d.floats(&s.line_width, 1);
    d.floats(&s.point_size, 1);
    d.floats(b.mv.m, 16);
    d.floats(b.proj.m, 16);
}

// The music positions of the events of the tracks a scene's file built, so that its frames
// can be drawn with cues firing.
std::vector<std::pair<int, int>> cues_of(const char* scene) {
    std::vector<std::pair<int, int>> cues;
    for (const Sync* s : sync_tracks()) {
        if (strcmp(s->scene, scene) != 0)
            continue;
        int n = s->count < s->capacity ? s->count : s->capacity;
        for (int i = 0; i < n; i++)
            cues.push_back({s->eventOrder[i], s->eventRow[i]});
    }
    return cues;
}

// One frame: the frame set-up and the scene, at show time `seconds`, one line of digest.
std::string digest_frame(const SceneEntry* scene, float pos, float seconds, int cue) {
    std::vector<std::pair<int, int>> cues = cues_of(scene->name);
    if (cues.empty())
        sound.pinPosition(quiet_order, quiet_row);
    else
        sound.pinPosition(cues[cue % cues.size()].first, cues[cue % cues.size()].second);
    kello.time = seconds;
    // The logs go, the modelled GL state stays: each frame starts from what the last one left,
    // as in the show.
    gl_recorder()->batches.clear();
    gl_recorder()->calls.clear();
    show_frame_setup();
    scene->draw(pos);

    Digest d;
    long vertices = 0;
    for (const GlBatch& b : gl_recorder()->batches) {
        digest_batch(d, b);
        vertices += b.count();
    }
    char line[160];
    snprintf(line, sizeof line, "%s %.2f %zu %ld %016llx", scene->name, pos,
             gl_recorder()->batches.size(), vertices, (unsigned long long)d.h);
    return line;
}

// The fixed sequence: the show built on the recorder, then every scene in timeline order and
// the unscheduled ones after, each at every digest position in turn. Scene statics, sync
// tracks and both random generators carry over from frame to frame, so the lines depend on
// this whole sequence run in a fresh process.
std::vector<std::string> digest_all() {
    srand(1); // the C library's generator as a program starts, for kasvu and perhonen
    gl_use_recorder();
    show_init();
    rata_init();
    neuronit_init();
    std::vector<std::string> lines;
    for (int i = 0; i < TIMELINE_SCENES; i++) {
        const SceneEntry& e = scenes[i];
        int cue = 0;
        for (float pos : digest_positions) {
            float ms = (float)e.window[0] + pos * (float)(e.window[1] - e.window[0]);
            lines.push_back(digest_frame(&e, pos, ms / 1000.0f, cue++));
        }
    }
    for (const char* name : unscheduled_scenes) {
        int cue = 0;
        for (float pos : digest_positions)
            lines.push_back(digest_frame(scene_find(name), pos,
                                         unscheduled_start + pos * unscheduled_span, cue++));
    }
    return lines;
}

std::vector<std::string> read_digests() {
    std::vector<std::string> lines;
    std::ifstream in(digest_file);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty() && line[0] != '#')
            lines.push_back(line);
    return lines;
}

// Runs in the fresh process: exits 0 when every line matches (or the file was written), else
// prints each difference on stderr and exits 1.
void compare_or_write() {
    std::vector<std::string> got = digest_all();
    const char* write = getenv("ORDUNE_WRITE_DIGESTS");
    if (write && strcmp(write, "1") == 0) {
        FILE* f = fopen(digest_file, "w");
        if (!f) {
            fprintf(stderr, "cannot write %s\n", digest_file);
            exit(1);
        }
        fprintf(f, "# scene pos batches vertices fnv1a-64 of every batch, from "
                   "tests/scene_digest_test.cpp\n");
        for (const std::string& l : got)
            fprintf(f, "%s\n", l.c_str());
        exit(fclose(f) == 0 ? 0 : 1);
    }
    std::vector<std::string> want = read_digests();
    int differences = 0;
    if (want.size() != got.size()) {
        fprintf(stderr, "%s holds %zu frames, the scenes drew %zu\n", digest_file, want.size(),
                got.size());
        differences++;
    }
    for (size_t i = 0; i < want.size() && i < got.size(); i++)
        if (want[i] != got[i]) {
            fprintf(stderr, "kept: %s\ndrawn: %s\n", want[i].c_str(), got[i].c_str());
            differences++;
        }
    exit(differences == 0 ? 0 : 1);
}

} // namespace

// Other tests in this binary draw the same scenes and so move their statics and generators on;
// the threadsafe death-test style runs the statement in a fresh copy of the binary, where this
// sequence alone has run.
TEST(SceneDigest, EveryFrameAsKept) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(compare_or_write(), ::testing::ExitedWithCode(0), "");
}

// The kept file covers every scene at every position, and its digests tell frames apart: a digest
// that ignored what was drawn would make every frame alike.
TEST(SceneDigest, KeptFramesDifferAndCoverEveryScene) {
    std::vector<std::string> kept = read_digests();
    ASSERT_EQ(kept.size(), (TIMELINE_SCENES + 3) * (sizeof digest_positions / sizeof(float)));
    std::vector<std::string> hashes;
    for (const std::string& l : kept) {
        char name[32], hash[32];
        float pos;
        size_t batches;
        long vertices;
        ASSERT_EQ(sscanf(l.c_str(), "%31s %f %zu %ld %31s", name, &pos, &batches, &vertices, hash),
                  5)
            << l;
        EXPECT_NE(scene_find(name), nullptr) << l;
        hashes.push_back(hash);
    }
    int distinct = 0;
    for (size_t i = 0; i < hashes.size(); i++) {
        bool seen = false;
        for (size_t j = 0; j < i; j++)
            seen |= hashes[j] == hashes[i];
        distinct += !seen;
    }
    // Only frames that draw nothing (a scene fully faded at an end of its window) may share a
    // digest; most frames must be told apart.
    EXPECT_GT(distinct, (int)hashes.size() * 3 / 4);
}
