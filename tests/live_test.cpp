// The live show's pieces that need no window: its command line, the picture's box, where the
// makers' seeks land and the per-scene frame statistics.
#include "engine/picture.h"
#include "show/live.h"
#include "show/options.h"
#include "show/stats.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Parses a command line given as one string of space-separated words.
bool parse(const std::string& line, ShowOptions* o, std::string* error) {
    std::vector<std::string> words = {"ordune"};
    for (size_t at = 0; at < line.size();) {
        size_t space = line.find(' ', at);
        if (space == std::string::npos)
            space = line.size();
        words.push_back(line.substr(at, space - at));
        at = space + 1;
    }
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(&w[0]);
    return parse_show_options((int)argv.size(), argv.data(), o, error);
}

TEST(Options, AcceptedLinesSetWhatTheyName) {
    ShowOptions o;
    std::string error;
    ASSERT_TRUE(parse("--window --size 640x480 --start 100.5 --loop --dev --stats "
                      "--audio-latency=40 --record=f.txt",
                      &o, &error))
        << error;
    EXPECT_TRUE(o.window && o.loop && o.dev && o.stats);
    EXPECT_FALSE(o.native || o.help || o.version);
    EXPECT_EQ(640, o.width);
    EXPECT_EQ(480, o.height);
    EXPECT_EQ(100.5, o.start);
    EXPECT_EQ(40, o.audioLatency);
    EXPECT_EQ("f.txt", o.record);

    ShowOptions none;
    ASSERT_TRUE(parse("--native -h --version", &none, &error)) << error;
    EXPECT_TRUE(none.native && none.help && none.version);
    EXPECT_FALSE(none.window);
    EXPECT_EQ(1024, none.width);
    EXPECT_EQ(0, none.start);
}

TEST(Options, EachFaultIsOneLineNamingTheArgument) {
    const struct {
        const char* line;
        const char* named;
    } cases[] = {
        {"--windowed", "--windowed"},
        {"--size 640", "--size 640"},
        {"--size 10x480", "--size 10x480"},
        {"--size 640x480x2", "--size 640x480x2"},
        {"--start -1", "--start -1"},
        {"--start 200", "--start 200"},
        {"--start nan", "--start nan"},
        {"--start", "--start needs a value"},
        {"--audio-latency 1001", "--audio-latency 1001"},
        {"--audio-latency 2.5", "--audio-latency 2.5"},
        {"--loop=1", "--loop takes no value"},
        {"--native --window", "--native"},
        {"--native --size 800x600", "--native"},
        {"--record=", "--record"},
    };
    for (const auto& c : cases) {
        ShowOptions o;
        std::string error;
        EXPECT_FALSE(parse(c.line, &o, &error)) << c.line;
        EXPECT_NE(std::string::npos, error.find(c.named)) << c.line << " -> " << error;
        EXPECT_EQ(std::string::npos, error.find('\n')) << c.line;
    }
}

TEST(Picture, TheBoxIsTheCentredFourThreeOfTheFrame) {
    const struct {
        int w, h;
        PictureBox box;
    } cases[] = {
        {1024, 768, {0, 0, 1024, 768}},     {640, 480, {0, 0, 640, 480}},
        {1920, 1080, {240, 0, 1440, 1080}}, {1280, 720, {160, 0, 960, 720}},
        {1280, 1024, {0, 32, 1280, 960}},   {1366, 768, {171, 0, 1024, 768}},
        {801, 600, {0, 0, 800, 600}},       {1, 1, {0, 0, 1, 1}},
    };
    for (const auto& c : cases) {
        PictureBox b = picture_box(c.w, c.h);
        EXPECT_EQ(c.box.x, b.x) << c.w << "x" << c.h;
        EXPECT_EQ(c.box.y, b.y) << c.w << "x" << c.h;
        EXPECT_EQ(c.box.w, b.w) << c.w << "x" << c.h;
        EXPECT_EQ(c.box.h, b.h) << c.w << "x" << c.h;
    }
}

TEST(Seek, KeysLandOnTheSixtyFpsGridWithinTheShow) {
    const struct {
        Seek seek;
        double from;
        long frame;
    } cases[] = {
        {SEEK_FORWARD, 10.0, 900},
        {SEEK_FORWARD, 10.004, 900},
        {SEEK_BACK, 10.0, 300},
        {SEEK_BACK, 3.0, 0},
        {SEEK_FORWARD, 197.0, 11999},
        {SEEK_NEXT_SCENE, 0.0, 1200},
        {SEEK_NEXT_SCENE, 20.0, 2370},
        {SEEK_NEXT_SCENE, 170.0, 10728},
        {SEEK_NEXT_SCENE, 190.0, 11999},
        {SEEK_PREVIOUS_SCENE, 65.0, 3540},
        {SEEK_PREVIOUS_SCENE, 59.5, 2370},
        {SEEK_PREVIOUS_SCENE, 0.5, 0},
        {SEEK_RESTART, 120.0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.frame, seek_frame(c.seek, c.from)) << c.seek << " from " << c.from;
}

TEST(Stats, EachSceneCountsTheFramesThatDrewIt) {
    FrameStats stats;
    ScenePos both[] = {{&scenes[0], 0.9f}, {&scenes[1], 0.05f}};
    // alku: 19 frames of 10 ms and one of 50 ms; rakenne shares the slow one.
    for (int i = 0; i < 19; i++)
        stats.add(both, 1, 0.010);
    stats.add(both, 2, 0.050);
    std::string report = stats.report();
    EXPECT_NE(std::string::npos,
              report.find("alku: 20 frames, mean 83.3 fps, 5th percentile 100.0 fps, "
                          "slowest 50.0 ms\n"))
        << report;
    EXPECT_NE(std::string::npos, report.find("rakenne: 1 frames, mean 20.0 fps")) << report;
    EXPECT_NE(std::string::npos, report.find("kaupunki: no frames\n")) << report;
}

} // namespace
