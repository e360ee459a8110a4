// The offline renderer's parts that need no GL context: the cue sheet over a made-up music trace
// and over a module of the test's own, and the contact sheet's labels. The files it writes are
// checked end to end by render_cli.sh.
#include "engine/sound.h"
#include "engine/sync.h"
#include "engine/timer.h"
#include "tests/xmwrite.h"
#include "tools/cues.h"
#include "tools/sheet.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

// The cues of the tracks built after `before` cues existed: tracks join the registry at the end.
static std::vector<Cue> newest(const MusicTrace& t, size_t before) {
    std::vector<Cue> all = cues_collect(t);
    return std::vector<Cue>(all.begin() + (long)before, all.end());
}

// A trace of the whole show at order 0, row 0 but for a few rows placed over [from, to) ms.
TEST(CueSheet, FirstTimeAndWhetherTheSceneWindowMeetsTheRow) {
    MusicTrace t;
    t.order.assign(200001, 0);
    t.row.assign(200001, 0);
    auto place = [&](int order, int row, int from, int to) {
        for (int ms = from; ms < to; ms++)
            t.order[(size_t)ms] = order, t.row[(size_t)ms] = row;
    };
    place(1, 2, 100, 144);        // inside alku's window (0..23500)
    place(1, 2, 30000, 30044);    // heard again later: the first time counts
    place(60, 3, 178790, 178834); // begins 10 ms before kaupunki opens at 178800
    place(60, 4, 178700, 178744); // over before kaupunki opens
    place(2, 0, 50000, 50044);    // in viivatus's window, not ruutu's (79000..102000)
    size_t before = cues_collect(t).size();
    Sync alku(4, "alku"); // two adds to four slots: the unfilled ones are no events of the sheet
    alku.add(1, 2, 500);
    alku.add(9, 9, 500); // never reached
    Sync kaupunki(3, "kaupunki");
    kaupunki.add(60, 3, 100);
    kaupunki.add(60, 4, 100);
    Sync ruutu(1, "ruutu");
    ruutu.add(2, 0, 10);
    ruutu.add(1, 2, 10); // past capacity: dropped by Sync, so not on the sheet
    Sync kellu(1, "kellu"), helper(1, "lights"); // no window: never fire
    kellu.add(2, 0, 10);
    helper.add(2, 0, 10);
    Sync alku2(1, "alku");
    alku2.add(1, 2, 10);
    const struct {
        const char* scene;
        int track, order, row;
        long first_ms;
        bool fires;
    } want[] = {{"alku", 1, 1, 2, 100, true},         {"alku", 1, 9, 9, -1, false},
                {"kaupunki", 1, 60, 3, 178790, true}, {"kaupunki", 1, 60, 4, 178700, false},
                {"ruutu", 1, 2, 0, 50000, false},     {"kellu", 1, 2, 0, 50000, false},
                {"lights", 1, 2, 0, 50000, false},    {"alku", 2, 1, 2, 100, true}};
    std::vector<Cue> c = newest(t, before);
    ASSERT_EQ(c.size(), std::size(want));
    for (size_t i = 0; i < c.size(); i++) {
        EXPECT_EQ(c[i].scene, want[i].scene) << i;
        EXPECT_EQ(c[i].track, want[i].track) << i;
        EXPECT_EQ(c[i].order * 100 + c[i].row, want[i].order * 100 + want[i].row) << i;
        EXPECT_EQ(c[i].first_ms, want[i].first_ms) << i;
        EXPECT_EQ(c[i].fires, want[i].fires) << i;
    }
}

// Any module placed as music.xm: rows of 120 ms, eight rows of order 0 broken after row 3 to row
// 5 of order 1, so rows 0..4 of order 1 are never heard.
TEST(CueSheet, FollowsAnyModuleThroughItsPatternBreaks) {
    MusicTrace trace;
    {
        MusicFolder folder;
        XmSong song;
        song.addPattern(8);
        song.addPattern(8);
        song.effect(0, 3, 0x0D, 0x05);
        song.orders = {0, 1};
        ASSERT_TRUE(folder.write(song));
        kello = Timer();
        ASSERT_EQ(sound.openOffline(), 1);
        cues_trace_music(&trace, 2000);
        sound.release();
    }
    size_t before = cues_collect(trace).size();
    Sync track(4, "alku");
    const int events[4][2] = {{0, 2}, {1, 5}, {1, 7}, {1, 0}};
    for (const auto& e : events)
        track.add(e[0], e[1], 100);
    std::vector<Cue> c = newest(trace, before);
    ASSERT_EQ(c.size(), 4u);
    // The player reports its position once per 64-frame slice (1.45 ms): allow two slices.
    for (int i = 0; i < 3; i++) {
        EXPECT_NEAR(c[i].first_ms, (2 + 2 * i) * 120, 3) << i;
        EXPECT_TRUE(c[i].fires) << i;
    }
    EXPECT_EQ(c[3].first_ms, -1);
    EXPECT_FALSE(c[3].fires);
}

TEST(ContactSheet, LabelsInMinutesAndSeconds) {
    const std::pair<double, const char*> labels[] = {
        {0, "0:00"}, {125, "2:05"}, {200, "3:20"}, {2.5, "0:02.5"}, {59.96, "1:00"}};
    for (const auto& l : labels)
        EXPECT_EQ(sheet_label(l.first), l.second) << l.first;
}

// Each label line lies in its own band under its thumbnail, cut at the thumbnail's edges: a
// line too long for a 40-pixel cell inks nothing in the next cell.
TEST(ContactSheet, TwoLabelLinesStayUnderTheirThumbnail) {
    ContactSheet s;
    sheet_init(&s, 2, 40, 30, 2);
    std::vector<unsigned char> frame(80 * 60 * 3, 0);
    sheet_place(&s, 0, frame.data(), 80, 60, "0:05\nviivatus pyorre");
    const int margin = 8, gap = 4, line = (s.h - 2 * margin - 30 - gap) / SHEET_LABEL_LINES;
    // Ink in a rectangle of the sheet: a pixel brighter than the ground.
    auto inked = [&](int x0, int x1, int y0, int y1) {
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++)
                if (s.rgb[((size_t)y * (size_t)s.w + (size_t)x) * 3] > 100)
                    return true;
        return false;
    };
    int top = margin + 30 + gap;
    EXPECT_TRUE(inked(margin, margin + 40, top, top + line)) << "the first line";
    EXPECT_TRUE(inked(margin, margin + 40, top + line, top + 2 * line)) << "the second line";
    EXPECT_FALSE(inked(margin + 40, s.w, 0, s.h)) << "ink beyond the first thumbnail";
}
