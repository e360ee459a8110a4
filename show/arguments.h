// Readers of command lines, shared by the show and its tools: options one at a time ("--name
// value", "--name=value", flags), and values as a number, a size or a frame rate, each a plain
// yes or no so that every program words its own one-line fault.
#ifndef ORDUNE_SHOW_ARGUMENTS_H
#define ORDUNE_SHOW_ARGUMENTS_H

#include <string>

// The whole string as a finite number (strtod's syntax), or false.
bool parse_number(const char* s, double* out);
// "WxH" (or "WXH") with both sides whole numbers in [min, max], or false.
bool parse_size(const char* s, int min, int max, int* w, int* h);

// A frame rate as the fraction num/den frames a second (both positive): "60", "12.5" (25/2),
// "30000/1001", and the broadcast rates 23.976, 29.97 and 59.94 as the fractions they stand
// for (24000/1001, 30000/1001, 60000/1001). At most 1000 frames a second; false otherwise.
struct FrameRate {
    long num = 60, den = 1;
    double fps() const { return (double)num / (double)den; }
};
bool parse_rate(const char* s, FrameRate* rate);

// Walks argv[1..] an option at a time. An option named in `valued` (a null-terminated list)
// takes the next argument or the text after its "=" as its value; any other argument comes back
// whole as a name with an empty value, so "--cues=csv" can be a flag of its own and the caller
// reports names it does not know.
struct ArgReader {
    int argc;
    char** argv;
    const char* const* valued;
    int next = 1;
};
enum ArgStep { ARG_DONE, ARG_OPTION, ARG_FAULT };
// ARG_OPTION with *name and *value set; ARG_FAULT with *fault ("--at needs a value") when a
// valued option ends the line; ARG_DONE after the last.
ArgStep next_argument(ArgReader* r, std::string* name, std::string* value, std::string* fault);

// A bad command line as one line on stderr, "TOOL: fault (see TOOL --help)"; returns 2, the
// exit status for it.
__attribute__((format(printf, 2, 3))) int usage_fault(const char* tool, const char* fmt, ...);

#endif
