// ordune: the show. Reads the command line (show/options.h) and runs the live show
// (show/live.h); a bad argument is one line and exit status 2, before any window opens.
#include "show/arguments.h"
#include "show/live.h"
#include "show/options.h"

#include <cstdio>

int SDL_main(int argc, char** argv) {
    ShowOptions options;
    std::string error;
    if (!parse_show_options(argc, argv, &options, &error))
        return usage_fault("ordune", "%s", error.c_str());
    if (options.help) {
        fputs(SHOW_USAGE, stdout);
        return 0;
    }
    if (options.version) {
        printf("ordune %s\n", ORDUNE_VERSION);
        return 0;
    }
    return live_show(options);
}

// On Linux SDL 1.2 calls no SDL_main of its own; elsewhere its start-up glue renames main.
#ifndef main
int main(int argc, char** argv) {
    return SDL_main(argc, argv);
}
#endif
