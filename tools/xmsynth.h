// The soundtrack's instruments, every one synthesised here: drums as one-shot samples, tonal
// voices as waveforms whose loop holds a whole number of periods of every partial.
#ifndef ORDUNE_TOOLS_XMSYNTH_H
#define ORDUNE_TOOLS_XMSYNTH_H

#include "tools/xmwriter.h"

#include <vector>

// Pattern instrument numbers (1-based, the order synth_instruments returns them in).
enum SynthInstrument {
    INS_KICK = 1,
    INS_SNARE,
    INS_CLOSED_HAT,
    INS_OPEN_HAT,
    INS_TOM,
    INS_CRASH,
    INS_BASS,
    INS_PAD,
    INS_PLUCK,
    INS_LEAD,
    INS_BELL,
    INS_STAB,
    INS_CLAP,
    INS_LAST = INS_CLAP
};

// Every instrument, tuned so that a pattern note sounds at its equal-tempered pitch with
// C-4 (note 49) at 261.63 Hz; drums sound as synthesised at C-4. Same output on every host:
// only +, -, *, / and integer arithmetic are used, no library transcendental functions.
std::vector<XmInstrument> synth_instruments();

// Deterministic replacements for the library functions (error below 1e-12 over the ranges
// the synthesis uses). Public so that the generator's callers can reuse them.
double synth_sin(double x);
double synth_exp(double x);
double synth_log2(double x);

#endif
