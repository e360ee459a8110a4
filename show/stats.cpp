// Per-scene frame statistics: durations kept whole (a 200 s show at 60 fps is 12,000 doubles),
// sorted only for the report.
#include "show/stats.h"

#include <algorithm>
#include <cstdio>

void FrameStats::add(const ScenePos* drawn, int n, double seconds) {
    for (int i = 0; i < n; i++)
        durations[drawn[i].scene - scenes].push_back(seconds);
}

std::string FrameStats::report() const {
    std::string out;
    for (int i = 0; i < TIMELINE_SCENES; i++) {
        std::vector<double> d = durations[i];
        char line[160];
        if (d.empty()) {
            snprintf(line, sizeof line, "%s: no frames\n", scenes[i].name);
        } else {
            std::sort(d.begin(), d.end());
            double sum = 0;
            for (double s : d)
                sum += s;
            // The frame at the 95th percentile of durations, nearest rank.
            double slow = d[(d.size() * 95 + 99) / 100 - 1];
            snprintf(line, sizeof line,
                     "%s: %zu frames, mean %.1f fps, 5th percentile %.1f fps, slowest %.1f ms\n",
                     scenes[i].name, d.size(), (double)d.size() / sum, 1.0 / slow,
                     d.back() * 1000.0);
        }
        out += line;
    }
    return out;
}
