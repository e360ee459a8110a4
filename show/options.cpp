// Parsing the live show's command line: each option once through one table of names.
#include "show/options.h"
#include "show/arguments.h"

#include <cmath>
#include <cstring>
#include <vector>

const char* const SHOW_USAGE =
    "usage: ordune [options]\n"
    "With no options: the show, full screen at 1024x768; Escape ends it.\n"
    "  --window            play in a window\n"
    "  --size WxH          the window's or the full screen's size (default 1024x768)\n"
    "  --native            full screen at the desktop's size\n"
    "  --start SECONDS     begin at that show time (0 to 200)\n"
    "  --loop              begin again after the last frame\n"
    "  --dev               makers' keys: Space pause, Left/Right -/+5 s, PageUp/PageDown\n"
    "                      previous/next scene, Home restart, F1 overlay\n"
    "  --stats             print each scene's frame rates at exit\n"
    "  --audio-latency MS  delay the cues by the sound's measured latency (0 to 1000 ms)\n"
    "  --record FILE       draw through the recorder on a 60 fps virtual clock and write\n"
    "                      each frame's time and digest to FILE\n"
    "  -h, --help          this text\n"
    "  --version           the version\n"
    "The picture keeps its 4:3 shape, with black bars at other aspects.\n";

namespace {

enum Kind { FLAG, SIZE, START, LATENCY, FILE_NAME };

struct Option {
    const char* name;
    Kind kind;
    bool ShowOptions::*flag; // for FLAG options
};

const Option options[] = {
    {"--window", FLAG, &ShowOptions::window},
    {"--native", FLAG, &ShowOptions::native},
    {"--loop", FLAG, &ShowOptions::loop},
    {"--dev", FLAG, &ShowOptions::dev},
    {"--stats", FLAG, &ShowOptions::stats},
    {"--help", FLAG, &ShowOptions::help},
    {"-h", FLAG, &ShowOptions::help},
    {"--version", FLAG, &ShowOptions::version},
    {"--size", SIZE, nullptr},
    {"--start", START, nullptr},
    {"--audio-latency", LATENCY, nullptr},
    {"--record", FILE_NAME, nullptr},
};

// Stores the value of a valued option; false with the fault in *error.
bool take_value(const Option& opt, const char* v, ShowOptions* o, std::string* error) {
    double x;
    switch (opt.kind) {
    case SIZE:
        if (parse_size(v, OPTION_SIDE_MIN, OPTION_SIDE_MAX, &o->width, &o->height))
            return true;
        *error = "--size " + std::string(v) + ": want WxH, each side 64 to 8192";
        return false;
    case START:
        if (parse_number(v, &x) && x >= 0 && x < OPTION_START_END) {
            o->start = x;
            return true;
        }
        *error = "--start " + std::string(v) + ": want seconds from 0 to below 200";
        return false;
    case LATENCY:
        if (parse_number(v, &x) && x >= 0 && x <= OPTION_LATENCY_MAX && x == std::floor(x)) {
            o->audioLatency = (int)x;
            return true;
        }
        *error = "--audio-latency " + std::string(v) + ": want whole milliseconds, 0 to 1000";
        return false;
    case FILE_NAME:
        if (*v) {
            o->record = v;
            return true;
        }
        *error = std::string(opt.name) + ": want a file name";
        return false;
    case FLAG:
        break;
    }
    return false;
}

const Option* find_option(const std::string& name) {
    for (const Option& opt : options)
        if (name == opt.name)
            return &opt;
    return nullptr;
}

} // namespace

bool parse_show_options(int argc, char** argv, ShowOptions* o, std::string* error) {
    std::vector<const char*> valued;
    for (const Option& opt : options)
        if (opt.kind != FLAG)
            valued.push_back(opt.name);
    valued.push_back(nullptr);
    ArgReader reader = {argc, argv, valued.data()};
    std::string name, value;
    bool sized = false;
    for (ArgStep step; (step = next_argument(&reader, &name, &value, error)) != ARG_DONE;) {
        if (step == ARG_FAULT)
            return false;
        const Option* opt = find_option(name);
        if (!opt) {
            // A flag given a value comes back whole: "--loop=1".
            std::string head = name.substr(0, name.find('='));
            *error = find_option(head) ? head + " takes no value" : "unknown option " + name;
            return false;
        }
        if (opt->kind == FLAG) {
            o->*opt->flag = true;
            continue;
        }
        if (!take_value(*opt, value.c_str(), o, error))
            return false;
        sized = sized || opt->kind == SIZE;
    }
    if (o->native && (o->window || sized)) {
        *error = "--native is the full screen at the desktop's size: it takes no --window or "
                 "--size";
        return false;
    }
    return true;
}
