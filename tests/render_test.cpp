// The offline renderer's parts that need no GL context: the cue sheet over a made-up music trace
// and over a module of the test's own, the track registry it reads, contact-sheet labels and
// scaling, and the WAV and PNG writers' files.
#include "engine/sound.h"
#include "engine/sync.h"
#include "engine/timer.h"
#include "tests/xmwrite.h"
#include "tools/cues.h"
#include "tools/png.h"
#include "tools/sheet.h"
#include "tools/wav.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <png.h>
#include <string>
#include <vector>

// The cues of the tracks built after `before` cues existed: tracks join the registry at the end.
static std::vector<Cue> newest(const MusicTrace& t, size_t before) {
    std::vector<Cue> all = cues_collect(t);
    return std::vector<Cue>(all.begin() + (long)before, all.end());
}

TEST(SyncRegistry, TracksJoinWithTheirSceneAndLeaveWhenDeleted) {
    size_t before = sync_tracks().size();
    Sync* a = new Sync(2);
    Sync* b = new Sync(1, "virta");
    EXPECT_STREQ(a->scene, "");
    delete a;
    ASSERT_EQ(sync_tracks().size(), before + 1);
    EXPECT_EQ(sync_tracks().back(), b);
    delete b;
    EXPECT_EQ(sync_tracks().size(), before);
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

TEST(CueSheet, CsvHasTheHeaderMillisecondTimesAndBlankForNever) {
    std::vector<Cue> cues = {{"ruutu", 2, 30, 16, 85412, true}, {"virta", 1, 90, 0, -1, false}};
    for (bool csv : {true, false}) {
        char* buf = nullptr;
        size_t size = 0;
        FILE* f = open_memstream(&buf, &size);
        cues_print(f, cues, csv);
        fclose(f);
        std::string s(buf, size);
        free(buf);
        if (csv)
            EXPECT_EQ(s, "scene,track,order,row,time_s,fires\n"
                         "ruutu,2,30,16,85.412,yes\n"
                         "virta,1,90,0,,no\n");
        else
            EXPECT_NE(s.find("2 events, 1 fire, 1 missed"), std::string::npos) << s;
    }
}

TEST(ContactSheet, LabelsInMinutesAndSeconds) {
    const std::pair<double, const char*> labels[] = {
        {0, "0:00"}, {125, "2:05"}, {200, "3:20"}, {2.5, "0:02.5"}, {59.96, "1:00"}};
    for (const auto& l : labels)
        EXPECT_EQ(sheet_label(l.first), l.second) << l.first;
}

TEST(ContactSheet, DownscaleAveragesEverySourcePixel) {
    // 4x2 to 2x1: each destination pixel is the mean of a 2x2 block, rounded.
    std::vector<unsigned char> src = {0,  0, 0, 10, 10, 10, 100, 0, 0, 200, 0, 0,
                                      20, 0, 0, 30, 30, 30, 100, 0, 0, 201, 0, 0};
    unsigned char dst[6];
    image_downscale(src.data(), 4, 2, dst, 2, 1);
    EXPECT_EQ(dst[0], 15);
    EXPECT_EQ(dst[1], 10);
    EXPECT_EQ(dst[3], 150);
    // 3 to 2 columns: no source column is skipped.
    unsigned char row3[9] = {0, 0, 0, 90, 90, 90, 255, 255, 255}, row2[6];
    image_downscale(row3, 3, 1, row2, 2, 1);
    EXPECT_EQ(row2[0], 0);
    EXPECT_EQ(row2[3], 173); // (90 + 255) / 2 rounded
}

TEST(ContactSheet, GridHoldsEveryThumbnailAndItsLabel) {
    ContactSheet s;
    sheet_init(&s, 41, 16, 12, 8); // the whole show every 5 s: six rows, the last holding one
    EXPECT_EQ(s.columns, 8);
    int cell_h = (s.h - 8) / 6;
    EXPECT_EQ(s.h, 8 + 6 * cell_h);
    EXPECT_EQ(s.w, 8 + 8 * (16 + 8));
    auto red = [&](int x, int y) { return s.rgb[((size_t)y * (size_t)s.w + (size_t)x) * 3]; };
    unsigned char ground = red(8 + 8, 8 + 12 + 4);
    std::vector<unsigned char> white(64 * 48 * 3, 255);
    sheet_place(&s, 0, white.data(), 64, 48, "8:88");
    EXPECT_EQ(red(8, 8), 255); // the thumbnail's corners
    EXPECT_EQ(red(8 + 15, 8 + 11), 255);
    int inked = 0; // under it, the label
    for (int y = 8 + 12; y < 8 + cell_h; y++)
        for (int x = 8; x < 8 + 16 + 8; x++)
            inked += red(x, y) != ground;
    EXPECT_GT(inked, 20);
    ContactSheet small; // fewer thumbnails than columns: as wide as they are
    sheet_init(&small, 3, 16, 12, 8);
    EXPECT_EQ(small.columns, 3);
}

static std::vector<unsigned char> file_bytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(f), {});
}

TEST(Writers, WavHeaderCountsTheSamples) {
    std::string path = ::testing::TempDir() + "/ordune_render_test.wav", why;
    ASSERT_TRUE(wav_write(path, {1, -1, 300, -300, 32767, -32768}, &why)) << why;
    std::vector<unsigned char> b = file_bytes(path);
    std::remove(path.c_str());
    ASSERT_EQ(b.size(), 44u + 12u);
    EXPECT_EQ(memcmp(b.data(), "RIFF", 4), 0);
    EXPECT_EQ(b[4], 36 + 12);
    EXPECT_EQ(memcmp(b.data() + 8, "WAVEfmt ", 8), 0);
    EXPECT_EQ(b[22], 2);                                        // channels
    EXPECT_EQ(b[24] | (b[25] << 8), 44100);                     // rate
    EXPECT_EQ(b[28] | (b[29] << 8) | (b[30] << 16), 44100 * 4); // bytes a second
    EXPECT_EQ(b[34], 16);                                       // bits
    EXPECT_EQ(memcmp(b.data() + 36, "data", 4), 0);
    EXPECT_EQ(b[40], 12);
    EXPECT_EQ(b[44 + 4], 300 & 0xff); // little-endian samples
    EXPECT_EQ(b[44 + 5], 300 >> 8);
    EXPECT_EQ(b[44 + 11], 0x80);
}

TEST(Writers, PngReadsBackAndTwoWritesAreIdentical) {
    std::string a = ::testing::TempDir() + "/ordune_a.png",
                b = ::testing::TempDir() + "/ordune_b.png";
    std::vector<unsigned char> rgb(5 * 3 * 3);
    for (size_t i = 0; i < rgb.size(); i++)
        rgb[i] = (unsigned char)(i * 17);
    std::string why;
    ASSERT_TRUE(png_write(a, rgb.data(), 5, 3, &why)) << why;
    ASSERT_TRUE(png_write(b, rgb.data(), 5, 3, &why)) << why;
    EXPECT_EQ(file_bytes(a), file_bytes(b));
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, a.c_str()));
    EXPECT_EQ(image.width, 5u);
    EXPECT_EQ(image.height, 3u);
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> back(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, back.data(), 0, nullptr));
    EXPECT_EQ(back, rgb);
    std::remove(a.c_str());
    std::remove(b.c_str());
}

TEST(Writers, AnUnwritablePathFailsWithOneLine) {
    std::string why;
    EXPECT_FALSE(wav_write("/nonexistent-folder/out.wav", {0, 0}, &why));
    EXPECT_NE(why.find("/nonexistent-folder/out.wav"), std::string::npos) << why;
    EXPECT_EQ(why.find('\n'), std::string::npos);
    unsigned char px[3] = {1, 2, 3};
    EXPECT_FALSE(png_write("/nonexistent-folder/out.png", px, 1, 1, &why));
    EXPECT_NE(why.find("out.png"), std::string::npos) << why;
}
