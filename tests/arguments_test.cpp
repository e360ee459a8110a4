// The shared command-line readers: frame rates as exact fractions, and options taken one at a
// time in either spelling.
#include "show/arguments.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

TEST(Arguments, FrameRatesAreExactFractions) {
    const struct {
        const char* text;
        long num, den; // 0: refused
    } cases[] = {
        {"60", 60, 1},
        {"12.5", 25, 2},
        {"29.97", 30000, 1001},
        {"23.976", 24000, 1001},
        {"59.94", 60000, 1001},
        {"30000/1001", 30000, 1001},
        {"50/2", 25, 1},
        {"1000", 1000, 1},
        {"0.5", 1, 2},
        {"0", 0, 0},
        {"-25", 0, 0},
        {"1001", 0, 0},
        {"1/0", 0, 0},
        {"0/5", 0, 0},
        {"30/", 0, 0},
        {"/2", 0, 0},
        {"1e2", 0, 0},
        {"25fps", 0, 0},
        {"", 0, 0},
        {"29.9700001", 0, 0},
    };
    for (const auto& c : cases) {
        FrameRate r;
        bool ok = parse_rate(c.text, &r);
        EXPECT_EQ(ok, c.num != 0) << c.text;
        if (ok) {
            EXPECT_EQ(std::make_pair(r.num, r.den), std::make_pair(c.num, c.den)) << c.text;
        }
    }
}

TEST(Arguments, OptionsComeOneAtATimeInEitherSpelling) {
    static const char* const valued[] = {"--at", "-o", nullptr};
    const struct {
        std::vector<std::string> args;
        std::string read; // "name=value;" for each option, then "!fault" if one stops it
    } cases[] = {
        {{"--at", "3", "-o", "f.png"}, "--at=3;-o=f.png;"},
        {{"--at=3", "--glow"}, "--at=3;--glow=;"},
        {{"--at="}, "--at=;"},
        {{"--cues=csv"}, "--cues=csv=;"},
        {{"--glow", "--at"}, "--glow=;!--at needs a value"},
        {{"-o=x=y"}, "-o=x=y;"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> words = {"tool"};
        words.insert(words.end(), c.args.begin(), c.args.end());
        std::vector<char*> argv;
        for (std::string& w : words)
            argv.push_back(&w[0]);
        ArgReader reader = {(int)argv.size(), argv.data(), valued};
        std::string name, value, fault, read;
        for (ArgStep step; (step = next_argument(&reader, &name, &value, &fault)) != ARG_DONE;) {
            if (step == ARG_FAULT) {
                read += "!" + fault;
                break;
            }
            read += name + "=" + value + ";";
        }
        EXPECT_EQ(read, c.read);
    }
}
