// The progress display. Speeds are measured on the steady clock and are for the viewer only:
// nothing rendered depends on them.
#include "tools/progress.h"

#include <chrono>
#include <cstdio>
#include <unistd.h>

static long total_units = 0;
static const char* unit_name = "";
static bool on_terminal = false;
static bool active = false;
static int last_tenth = 0;
static std::chrono::steady_clock::time_point started, last_drawn;

static double seconds_since(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

void progress_begin(long total, const char* what) {
    total_units = total > 0 ? total : 1;
    unit_name = what;
    on_terminal = isatty(2);
    active = true;
    last_tenth = 0;
    started = last_drawn = std::chrono::steady_clock::now();
}

static void draw_bar(long done, double rate) {
    enum { BAR_WIDTH = 30 };
    int filled = (int)(BAR_WIDTH * done / total_units);
    char bar[BAR_WIDTH + 1];
    for (int i = 0; i < BAR_WIDTH; i++)
        bar[i] = i < filled ? '#' : '.';
    bar[BAR_WIDTH] = '\0';
    long left = rate > 0 ? (long)((double)(total_units - done) / rate + 0.5) : 0;
    fprintf(stderr, "\r[%s] %ld/%ld %s  %.1f/s  %ld:%02ld left ", bar, done, total_units, unit_name,
            rate, left / 60, left % 60);
    fflush(stderr);
}

void progress_update(long done) {
    if (!active)
        return;
    double elapsed = seconds_since(started);
    double rate = elapsed > 0 ? (double)done / elapsed : 0;
    if (on_terminal) {
        // A redraw costs a write to the terminal: ten a second are enough to look live.
        if (done == total_units || seconds_since(last_drawn) >= 0.1) {
            draw_bar(done, rate);
            last_drawn = std::chrono::steady_clock::now();
        }
        return;
    }
    int tenth = (int)(10 * done / total_units);
    if (tenth > last_tenth) {
        last_tenth = tenth;
        fprintf(stderr, "ordune-render: %d%% (%ld/%ld %s, %.1f/s)\n", tenth * 10, done, total_units,
                unit_name, rate);
    }
}

void progress_end() {
    if (active && on_terminal)
        fprintf(stderr, "\n");
    active = false;
}
