// The soundtrack's composition: its form along the show's timeline, harmony and parts, and
// the table of cue rows on which the scenes fire their accents.
#ifndef ORDUNE_TOOLS_XMSONG_H
#define ORDUNE_TOOLS_XMSONG_H

#include "tools/xmwriter.h"

#include <vector>

// 64 rows at speed 3 and 170 BPM. At the 44.1 kHz the show plays at, libopenmpt mixes a tick
// as 648 whole frames (nominally 2.5 / 170 s, 648.5 frames), so a row lasts 1944 frames
// (44.08 ms) and an order 2.8212 s; 72 orders (203.1 s) outlast the 200-second show. Eight rows
// make a beat, a pattern two bars of 4/4.
const int SONG_ORDERS = 72;
const int SONG_ROWS = 64;
const int SONG_SPEED = 3;
const int SONG_BPM = 170;

// Channel layout. The first SONG_DRUM_CHANNELS carry the drums only.
enum SongChannel {
    CH_KICK,  // kick
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
    CH_ECHO, // the lead again, later, quieter and panned the other way; an octave up at the peak
    CH_STAB, // the cue layer: a chord hit on every row a scene's track fires on
    CH_CLAP, // the cue layer's claps over the build and its roll
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
