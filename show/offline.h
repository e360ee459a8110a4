// The show on a virtual clock, for the trace tool, the offline renderer and seeking (replay.h):
// frame k at F frames per second is drawn at show time k/F, with the music position of the
// module rendered offline up to that time. Scene state, sync tracks and both random generators
// then evolve exactly as in a live run at a steady F fps. Draws through whatever GL back end is
// in force.
//
// The music follows the frames when the player is open offline (Sound::openOffline, as
// offline_begin opens it); otherwise its position stays where it is.
#ifndef ORDUNE_SHOW_OFFLINE_H
#define ORDUNE_SHOW_OFFLINE_H

#include <string>
#include <vector>

// Show time of frame k at fps, in float seconds as the clock holds it.
float offline_time(long k, double fps);
// The frame whose time is closest to `seconds`.
long offline_frame_at(double seconds, double fps);
// The number of frames a live run at fps draws: up to and including the first past 199999 ms.
long offline_frame_count(double fps);

// Builds the show (show_init) on the current back end and, when `music`, opens music.xm
// offline. The clock reads 0. Prints nothing: offline_music_fault() tells why music failed.
void offline_begin(bool music = true);
// Sets the clock and the music position to frame k, then draws it with show_frame. Appends the
// frame's audio to pcm when pcm is not null. Frames must be drawn in order, none skipped, from
// show_init or show_restart on (replay_to starts later, where that draws the same).
void offline_draw(long k, double fps, std::vector<short>* pcm);
// The same at show time `seconds` off any grid, for a driver whose clock follows something else
// (the web page, its music): the clock reads `seconds`, the music moves there, the frame is drawn.
// Times must not go backwards.
void offline_draw_at(float seconds, std::vector<short>* pcm);
// Draws frames [from, to) through the null back end and restores the back end in force.
void offline_skip(long from, long to, double fps);
// Renders the music up to frame k's time without drawing, appending to pcm when not null.
// Before a render's first frame k0 it catches the music up (pcm null), so that frame k0 adds
// no sound of the frame before it; after its last frame k1, offline_audio_to(k1 + 1, ...) adds
// the sound the last frame is shown for. Times must not go backwards.
void offline_audio_to(long k, double fps, std::vector<short>* pcm);
// Whether offline_begin found and opened music.xm.
bool offline_music();
// Why offline_begin could not open music.xm it was asked for, as one line ("music.xm: No such
// file or directory"); empty when it opened it or was not asked to.
const std::string& offline_music_fault();
void offline_end();

#endif
