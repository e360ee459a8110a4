// Scene kasvu's data: twenty random-walk growths sprouting from a unit sphere, and the music
// cues that turn the cluster and swap the bars. Built by kasvu_init, released by kasvu_free.
#ifndef ORDUNE_SCENES_KASVU_H
#define ORDUNE_SCENES_KASVU_H

#include "engine/vector.h"

class Sync;

// One growth: a walk of `pointcount` points relative to `origin`, visible while the scene
// position lies in (start, end). `points` is owned (new[] in kasvu_init, delete[] in kasvu_free).
class KasvuItem {
  public:
    int pointcount; // 300 to 401
    Vector* points;
    Vector origin;     // on the unit sphere
    Vector fillcolour; // RGB of the faint fan
    Vector linecolour; // RGB of the additive strip
    float start;       // i / 20 for item i
    float end;         // start + 0.2

    // Draws the part grown by scene position pos, faded by sin over the growth and by alpha.
    // Issues no GL call at all while the growth is outside (0.0001, 0.9999) of its window.
    void draw(float alpha, float pos);
};

enum { KASVU_ITEMS = 20 };

extern KasvuItem* kasvut; // KASVU_ITEMS growths
extern Sync* kasvusync;   // 44 cues of 300 ms

#endif
