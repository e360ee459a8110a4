// Scene aukko's data: the camera path past the funnel. Built by aukko_init, deleted by
// aukko_free; everything else in the scene is drawn from pos alone.
#ifndef ORDUNE_SCENES_AUKKO_H
#define ORDUNE_SCENES_AUKKO_H

class Path;

extern Path* aukkokamera; // eight points; the eye sits at 0.97 * pos along it

#endif
