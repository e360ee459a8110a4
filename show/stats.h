// Frame rates per scene for `ordune --stats`: each frame's duration counts for every scene the
// frame drew, and the report gives each scene's frames, mean and 5th-percentile rates, slowest.
#ifndef ORDUNE_SHOW_STATS_H
#define ORDUNE_SHOW_STATS_H

#include "show/show.h"

#include <string>
#include <vector>

class FrameStats {
  public:
    // One frame that took `seconds` (> 0) from the previous frame's swap to its own and drew
    // `drawn` (n entries, as show_scenes_at lists them).
    void add(const ScenePos* drawn, int n, double seconds);
    // One line a scheduled scene, in drawing order:
    //   "pyorre: 1130 frames, mean 19.0 fps, 5th percentile 15.2 fps, slowest 81.4 ms"
    // or "pyorre: no frames". The 5th percentile rate is the one 95 % of the frames beat.
    std::string report() const;

  private:
    std::vector<double> durations[TIMELINE_SCENES]; // seconds, by timeline index
};

#endif
