// The soundtrack's composition: its form along the show's timeline, harmony and parts, and
// the table of cue rows on which the scenes fire their accents.
#ifndef ORDUNE_TOOLS_XMSONG_H
#define ORDUNE_TOOLS_XMSONG_H

#include "tools/xmwriter.h"

#include <vector>

// 64 rows at speed 3 and 170 BPM: a row lasts 3 * 2.5 / 170 s (44.1 ms), an order 2.8235 s,
// so 72 orders (203.3 s) outlast the 200-second show. Eight rows make a beat, a pattern two
// bars of 4/4.
const int SONG_ORDERS = 72;
const int SONG_ROWS = 64;
const int SONG_SPEED = 3;
const int SONG_BPM = 170;

// Channel layout. The first SONG_DRUM_CHANNELS carry the drums only.
enum SongChannel {
    CH_KICK,  // kick; its effect column also carries the closing fade (global volume)
    CH_SNARE, // snare
    CH_HAT,   // closed and open hi-hats
    CH_PERC,  // toms and crash
    CH_BASS,
    CH_PAD1,
    CH_PAD2,
    CH_PAD3,
    CH_ARP,
    CH_LEAD,
    CH_BELL,
    CH_ECHO, // the lead again, later, quieter and panned the other way
    SONG_CHANNELS
};
const int SONG_DRUM_CHANNELS = 4;

struct SongCue {
    int order, row;
};

// Every (order, row) a scene's sync track fires on, order by order, without repeats.
std::vector<SongCue> song_cues();

// The whole module, instruments included. Pure: the same result on every call.
XmModule song_compose();

#endif
