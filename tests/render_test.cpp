// The offline renderer's parts that need no GL context: the cue sheet over a made-up music
// trace and over a module of the test's own, the track registry it reads, contact-sheet labels
// and scaling, and the WAV and PNG writers' files.
#include "show/show.h"
#include "engine/sync.h"
#include "tests/xmwrite.h"
#include "tools/cues.h"
#include "tools/png.h"
#include "tools/sheet.h"
#include "tools/wav.h"

#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <png.h>
#include <string>
#include <unistd.h>
#include <vector>

// A trace of the whole show at order 0, row 0, with the given rows placed over [from, to).
struct TraceBuilder {
    MusicTrace t;
    TraceBuilder() {
        t.order.assign(200001, 0);
        t.row.assign(200001, 0);
    }
    void place(int order, int row, int from, int to) {
        for (int ms = from; ms < to; ms++) {
            t.order[(size_t)ms] = order;
            t.row[(size_t)ms] = row;
        }
    }
};

// The cues of the tracks built after `before` cues existed: tracks join the registry at the end.
static std::vector<Cue> newest(const MusicTrace& t, size_t before) {
    std::vector<Cue> all = cues_collect(t);
    return std::vector<Cue>(all.begin() + (long)before, all.end());
}

TEST(SyncRegistry, TracksJoinWithTheirSceneAndLeaveWhenDeleted) {
    size_t before = sync_tracks().size();
    Sync* a = new Sync(2);
    ASSERT_EQ(sync_tracks().size(), before + 1);
    EXPECT_EQ(sync_tracks().back(), a);
    EXPECT_STREQ(a->scene, "");
    Sync* b = new Sync(1, "virta");
    delete a;
    ASSERT_EQ(sync_tracks().size(), before + 1);
    EXPECT_EQ(sync_tracks().back(), b);
    EXPECT_STREQ(b->scene, "virta");
    delete b;
    EXPECT_EQ(sync_tracks().size(), before);
}

TEST(CueSheet, FirstTimeAndWhetherTheSceneWindowMeetsTheRow) {
    TraceBuilder tb;
    tb.place(1, 2, 100, 144);        // inside alku's window (0..23500)
    tb.place(1, 2, 30000, 30044);    // heard again later: the first time counts
    tb.place(60, 3, 178790, 178834); // begins 10 ms before kaupunki opens at 178800
    tb.place(60, 4, 178700, 178744); // over before kaupunki opens
    size_t before = cues_collect(tb.t).size();
    Sync alku(4, "alku");
    alku.add(1, 2, 500);
    alku.add(9, 9, 500); // never reached
    Sync kaupunki(2, "kaupunki");
    kaupunki.add(60, 3, 100);
    kaupunki.add(60, 4, 100);
    std::vector<Cue> c = newest(tb.t, before);
    // Unfilled slots are not events of the sheet: two adds to a four-slot track give two cues.
    ASSERT_EQ(c.size(), 4u);
    EXPECT_EQ(c[0].scene, "alku");
    EXPECT_EQ(c[0].first_ms, 100);
    EXPECT_TRUE(c[0].fires);
    EXPECT_EQ(c[1].first_ms, -1);
    EXPECT_FALSE(c[1].fires);
    EXPECT_EQ(c[2].scene, "kaupunki");
    EXPECT_EQ(c[2].first_ms, 178790);
    EXPECT_TRUE(c[2].fires) << "the scene's first frame still finds the music on the row";
    EXPECT_EQ(c[3].first_ms, 178700);
    EXPECT_FALSE(c[3].fires);
}

TEST(CueSheet, RowsOutsideEveryWindowAndUnscheduledTracksAreMissed) {
    TraceBuilder tb;
    tb.place(2, 0, 50000, 50044); // viivatus's window is 39500..59800, ruutu's 79000..102000
    size_t before = cues_collect(tb.t).size();
    Sync ruutu(1, "ruutu");
    ruutu.add(2, 0, 10);
    Sync kellu(1, "kellu");
    kellu.add(2, 0, 10);
    Sync helper(1, "lights");
    helper.add(2, 0, 10);
    std::vector<Cue> c = newest(tb.t, before);
    ASSERT_EQ(c.size(), 3u);
    for (const Cue& cue : c) {
        EXPECT_EQ(cue.first_ms, 50000) << cue.scene;
        EXPECT_FALSE(cue.fires) << cue.scene;
    }
    EXPECT_EQ(c[1].scene, "kellu");
    EXPECT_EQ(c[2].scene, "lights");
}

TEST(CueSheet, TracksAreNumberedWithinTheirSceneAndAddsPastCapacityDropped) {
    TraceBuilder tb;
    size_t before = cues_collect(tb.t).size();
    Sync first(1, "pyorre");
    first.add(3, 16, 500);
    first.add(4, 0, 500); // past capacity: dropped by Sync, so not on the sheet
    Sync other(1, "virta");
    other.add(5, 0, 500);
    Sync second(1, "pyorre");
    second.add(6, 0, 500);
    std::vector<Cue> c = newest(tb.t, before);
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c[0].track, 1);
    EXPECT_EQ(c[0].order, 3);
    EXPECT_EQ(c[0].row, 16);
    EXPECT_EQ(c[1].scene, "virta");
    EXPECT_EQ(c[1].track, 1);
    EXPECT_EQ(c[2].scene, "pyorre");
    EXPECT_EQ(c[2].track, 2);
}

// Any module placed as music.xm: 125 BPM at speed 6 (rows of 120 ms), eight rows of order 0
// broken after row 3 to row 5 of order 1. Rows 0..4 of order 1 are never heard.
TEST(CueSheet, FollowsAnyModuleThroughItsPatternBreaks) {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    char dir[] = "/tmp/ordune-cues-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    ASSERT_EQ(chdir(dir), 0);
    XmSong song;
    song.addPattern(8);
    song.addPattern(8);
    song.cell(0, 3, 1).effect = 0x0D;
    song.cell(0, 3, 1).param = 0x05;
    song.orders = {0, 1};
    ASSERT_TRUE(xm_save("music.xm", xm_build(song)));
    kello = Timer();
    ASSERT_EQ(sound.openOffline(), 1);
    TraceBuilder unused;
    size_t before = cues_collect(unused.t).size();
    MusicTrace trace;
    cues_trace_music(&trace, 2000);
    sound.release();
    unlink("music.xm");
    EXPECT_EQ(chdir(cwd), 0);
    rmdir(dir);

    Sync track(4, "alku");
    track.add(0, 2, 100);
    track.add(1, 5, 100);
    track.add(1, 7, 100);
    track.add(1, 0, 100);
    std::vector<Cue> c = newest(trace, before);
    ASSERT_EQ(c.size(), 4u);
    // The player reports its position once per 64-frame slice (1.45 ms): allow two slices.
    const long row_ms = 120;
    EXPECT_NEAR(c[0].first_ms, 2 * row_ms, 3);
    EXPECT_NEAR(c[1].first_ms, 4 * row_ms, 3);
    EXPECT_NEAR(c[2].first_ms, 6 * row_ms, 3);
    EXPECT_EQ(c[3].first_ms, -1);
    EXPECT_TRUE(c[0].fires && c[1].fires && c[2].fires);
    EXPECT_FALSE(c[3].fires);
}

static std::string printed(const std::vector<Cue>& cues, bool csv) {
    char* buf = nullptr;
    size_t size = 0;
    FILE* f = open_memstream(&buf, &size);
    cues_print(f, cues, csv);
    fclose(f);
    std::string s(buf, size);
    free(buf);
    return s;
}

TEST(CueSheet, CsvHasTheHeaderMillisecondTimesAndBlankForNever) {
    std::vector<Cue> cues = {{"ruutu", 2, 30, 16, 85412, true}, {"virta", 1, 90, 0, -1, false}};
    EXPECT_EQ(printed(cues, true), "scene,track,order,row,time_s,fires\n"
                                   "ruutu,2,30,16,85.412,yes\n"
                                   "virta,1,90,0,,no\n");
    std::string table = printed(cues, false);
    EXPECT_NE(table.find("85.412"), std::string::npos);
    EXPECT_NE(table.find("never"), std::string::npos);
    EXPECT_NE(table.find("2 events, 1 fire, 1 missed"), std::string::npos);
}

TEST(ContactSheet, LabelsInMinutesAndSeconds) {
    EXPECT_EQ(sheet_label(0), "0:00");
    EXPECT_EQ(sheet_label(5), "0:05");
    EXPECT_EQ(sheet_label(125), "2:05");
    EXPECT_EQ(sheet_label(200), "3:20");
    EXPECT_EQ(sheet_label(2.5), "0:02.5");
    EXPECT_EQ(sheet_label(59.96), "1:00"); // rounds to tenths before splitting
}

TEST(ContactSheet, DownscaleAveragesEverySourcePixel) {
    // 4x2 to 2x1: each destination pixel is the mean of a 2x2 block.
    std::vector<unsigned char> src = {0,  0, 0, 10, 10, 10, 100, 0, 0, 200, 0, 0,
                                      20, 0, 0, 30, 30, 30, 100, 0, 0, 201, 0, 0};
    unsigned char dst[6];
    image_downscale(src.data(), 4, 2, dst, 2, 1);
    EXPECT_EQ(dst[0], 15);  // (0 + 10 + 20 + 30) / 4
    EXPECT_EQ(dst[1], 10);  // (0 + 10 + 0 + 30) / 4
    EXPECT_EQ(dst[3], 150); // (100 + 200 + 100 + 201) / 4 = 150.25
    // 3 to 2 columns: no source column is skipped.
    unsigned char row3[9] = {0, 0, 0, 90, 90, 90, 255, 255, 255}, row2[6];
    image_downscale(row3, 3, 1, row2, 2, 1);
    EXPECT_EQ(row2[0], 0);
    EXPECT_EQ(row2[3], 173); // (90 + 255) / 2 rounded
}

TEST(ContactSheet, GridHoldsEveryThumbnailAndItsLabel) {
    ContactSheet s;
    sheet_init(&s, 41, 16, 12, 8); // the whole show every 5 s: 0..200 s
    EXPECT_EQ(s.columns, 8);
    int cell_h = (s.h - 8) / 6; // six rows, the last holding one thumbnail
    EXPECT_EQ(s.h, 8 + 6 * cell_h);
    EXPECT_EQ(s.w, 8 + 8 * (16 + 8));
    std::vector<unsigned char> white(64 * 48 * 3, 255);
    unsigned char before = s.rgb[((size_t)(8 + 12 + 4) * (size_t)s.w + 8 + 8) * 3];
    sheet_place(&s, 0, white.data(), 64, 48, "8:88");
    // The thumbnail's corners are white; something under it was inked.
    EXPECT_EQ(s.rgb[((size_t)8 * (size_t)s.w + 8) * 3], 255);
    EXPECT_EQ(s.rgb[((size_t)(8 + 11) * (size_t)s.w + 8 + 15) * 3], 255);
    int inked = 0;
    for (int y = 8 + 12; y < 8 + cell_h; y++)
        for (int x = 8; x < 8 + 16 + 8; x++)
            inked += s.rgb[((size_t)y * (size_t)s.w + (size_t)x) * 3] != before;
    EXPECT_GT(inked, 20);
    // A sheet of fewer thumbnails than columns is as wide as they are.
    ContactSheet small;
    sheet_init(&small, 3, 16, 12, 8);
    EXPECT_EQ(small.columns, 3);
}

static std::vector<unsigned char> file_bytes(const std::string& path) {
    std::vector<unsigned char> bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    int c;
    while ((c = fgetc(f)) != EOF)
        bytes.push_back((unsigned char)c);
    fclose(f);
    return bytes;
}

static std::string temp_path(const char* name) {
    return std::string(P_tmpdir) + "/ordune_render_test_" + std::to_string(getpid()) + name;
}

TEST(Writers, WavHeaderCountsTheSamples) {
    std::string path = temp_path(".wav");
    std::vector<short> pcm = {1, -1, 300, -300, 32767, -32768};
    std::string why;
    ASSERT_TRUE(wav_write(path, pcm, &why)) << why;
    std::vector<unsigned char> b = file_bytes(path);
    unlink(path.c_str());
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
    std::string a = temp_path("a.png"), b = temp_path("b.png");
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
    unlink(a.c_str());
    unlink(b.c_str());
}

TEST(Writers, AnUnwritablePathFailsWithOneLineAndLeavesNothing) {
    std::string why;
    std::vector<short> pcm(4, 0);
    EXPECT_FALSE(wav_write("/nonexistent-folder/out.wav", pcm, &why));
    EXPECT_NE(why.find("/nonexistent-folder/out.wav"), std::string::npos) << why;
    EXPECT_EQ(why.find('\n'), std::string::npos);
    unsigned char px[3] = {1, 2, 3};
    EXPECT_FALSE(png_write("/nonexistent-folder/out.png", px, 1, 1, &why));
    EXPECT_NE(why.find("out.png"), std::string::npos) << why;
}
