// Seeking: brings the show to any frame of the virtual clock (show/offline.h) as if it had
// played every frame before it, by rebuilding the scenes and replaying only the frames that
// matter.
#ifndef ORDUNE_SHOW_REPLAY_H
#define ORDUNE_SHOW_REPLAY_H

// The frame a replay to frame k at fps starts drawing from: the first frame of the earliest
// window among the scenes frame k draws; k itself when it draws none.
//
// Why starting there is exact: a scene's frame depends only on its pos, its own state from its
// earlier frames, its own Sync tracks (fed by the music position, a function of the time) and
// the two generators. Frames advance each generator in one scene only: pyorre takes one shared
// number a frame (59.0 to 79.0 s), perhonen takes rand() on its ray cues (140.0 to 162.0 s), and
// nothing else draws from either after show_init. Each generator therefore reaches its scene's
// first frame as show_init left it, whatever frames come before. So the frames before the start
// change nothing that a scene drawn at frame k reads. The longest replay is 23 s of show time:
// ruutu's window (79.0 to 102.0 s) or kasvu's (101.0 to 124.0 s), with the scene overlapping it.
long replay_first(long k, double fps);

// Brings the show to where one that played frames [0, k) at fps stands, for every scene drawn
// at frame k or later, ready for offline_draw(k): show_restart, then the music rendered up to
// replay_first(k)'s time, then frames [replay_first(k), k) drawn unseen: through the null back
// end, but for frame k - 1, drawn through the back end in force so that the GL state frame k
// finds is the one a played show leaves (the picture it draws is overwritten by frame k's). A
// player open offline must not be past replay_first(k)'s time (rewind it first); one that is not
// open offline keeps its position.
void replay_to(long k, double fps);

// The same by the long way, every frame [0, k) after show_restart; for checking replay_to. A
// player open offline must stand at 0.
void replay_plain(long k, double fps);

#endif
