// The live show's command line: what a viewer or a maker asked for, parsed without side effects
// so that a bad argument ends the run before any window opens.
//
// With no arguments the options are the show's own run: full screen at 1024x768 from 0 s to the
// end, Escape the only key. Every option is an addition around that run:
//   --window            a window instead of the full screen
//   --size WxH          the window's or the full screen's size, 64..8192 a side
//   --native            the full screen at the desktop's size (not with --window or --size)
//   --start SECONDS     begin at that show time, 0 <= SECONDS < 200
//   --loop              begin again from 0 after the last frame
//   --dev               the makers' keys (see show/live.h)
//   --stats             print each scene's frame rates at exit
//   --audio-latency MS  the sound arrives MS (0..1000) milliseconds after the device takes it
//   --record FILE       draw through the recorder on a 60 fps virtual clock; one line a frame
//   --help, -h, --version
// Values go in the next argument or after '=' (--start=100).
#ifndef ORDUNE_SHOW_OPTIONS_H
#define ORDUNE_SHOW_OPTIONS_H

#include <string>

struct ShowOptions {
    bool window = false;
    int width = 1024, height = 768; // the size asked for; ignored with native
    bool native = false;
    double start = 0; // seconds
    bool loop = false;
    bool dev = false;
    bool stats = false;
    int audioLatency = 0; // ms
    std::string record;   // "" for none
    bool help = false, version = false;
};

// The sides --size accepts, in pixels.
enum { OPTION_SIDE_MIN = 64, OPTION_SIDE_MAX = 8192 };
// The latest --start: the show's last frame is drawn at 200 s.
const double OPTION_START_END = 200.0;
enum { OPTION_LATENCY_MAX = 1000 };

// Reads argv[1..argc-1] into *o. Returns false with *error set to one line naming the argument
// and the fault (no program name, no newline) at the first bad one; *o is then partly filled.
bool parse_show_options(int argc, char** argv, ShowOptions* o, std::string* error);

// The --help text, lines ending in newlines.
extern const char* const SHOW_USAGE;

#endif
