// The composition, in A minor at 170 BPM: a form that follows the show's scenes, voice-led
// pad chords, a bass on the chord roots, arpeggios, a lead theme with its echo, bells, and
// drums whose hits fall on every row a scene's sync track fires on.
#include "tools/xmsong.h"

#include "tools/xmsynth.h"

#include <algorithm>
#include <string>

namespace {

struct CueLine {
    int firstOrder, lastOrder; // inclusive
    std::vector<int> rows;
};

// Cue rows shared by several scenes: the groove's six accents and its two-step variant.
const std::vector<int> GROOVE_CUES = {0, 12, 20, 44, 48, 52};
const std::vector<int> TWO_STEP_CUES = {0, 26, 48, 52};

// The scenes' sync tables, (order, row), the one place they are written down here.
const CueLine CUE_TABLE[] = {
    // kellu, the floating sticks (built at start-up though never scheduled)
    {4, 16, {0, 12, 44}},
    {17, 17, {0, 12, 44, 54}},
    {18, 18, {0, 12, 44}},
    {19, 19, {12, 44}},
    // viivatus, the hatched ribbons: each cue turns the world
    {14, 16, {0, 12, 44}},
    {17, 17, {0, 12, 44, 54}},
    {18, 18, {0, 12, 44}},
    {19, 19, {32, 44}},
    {20, 21, {0, 32, 40}},
    // pyorre, the vortex: a camera cut on each cue
    {22, 23, {0, 32, 40}},
    {24, 24, {40}},
    {25, 25, {0, 8, 20, 32, 40}},
    {27, 27, {44, 50, 56}},
    // ruutu, the plasma field: the camera pulls back on each cue
    {28, 28, GROOVE_CUES},
    {29, 29, TWO_STEP_CUES},
    {30, 32, GROOVE_CUES},
    {33, 33, TWO_STEP_CUES},
    {34, 34, GROOVE_CUES},
    {35, 35, {0, 12, 20, 44, 48, 52, 56, 60}},
    // kasvu, the growths: each cue swaps the bars' colour
    {36, 36, GROOVE_CUES},
    {37, 37, TWO_STEP_CUES},
    {38, 40, GROOVE_CUES},
    {41, 41, TWO_STEP_CUES},
    {42, 43, GROOVE_CUES},
    // perhonen, the butterflies: its marker and camera tracks together; order 52 is a roll,
    // every second row up to 32, then every row to 46
    {50, 50, {0, 8, 20, 36, 48, 60}},
    {51, 51, {0, 6, 12, 22, 28, 32, 44}},
    {52, 52, {0,  2,  4,  6,  8,  10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30,
              32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46}},
    {53, 53, GROOVE_CUES},
    {54, 54, TWO_STEP_CUES},
    {55, 57, GROOVE_CUES},
    // virta, the stream
    {54, 54, TWO_STEP_CUES},
    {55, 57, GROOVE_CUES},
    {58, 58, TWO_STEP_CUES},
    {59, 59, GROOVE_CUES},
    {60, 60, {0, 12, 20, 44, 48, 52, 56, 60}},
    {61, 61, GROOVE_CUES},
    {62, 62, TWO_STEP_CUES},
    {63, 63, GROOVE_CUES},
};

// The form, following the scenes' windows on the timeline (an order is 2.8235 s).
enum Section {
    INTRO,     // 0-3, the opening: pad alone, swelling
    RISE,      // 4-13, soft toms on the cues, then hats, bass and arpeggio come in
    GROOVE,    // 14-21, the first full groove under the ribbons
    VORTEX,    // 22-27, long lead notes over the vortex
    THEME,     // 28-35, the theme
    GROWTH,    // 36-43, bells answer the groove
    BREAKDOWN, // 44-49, no drums under the funnel
    BUILD,     // 50-52, drums return on the butterflies' cues, ending in a roll
    PEAK,      // 53-57, the theme again with everything
    STREAM,    // 58-63, the stream
    FINALE,    // 64-70, the city: the theme once more, thinning out, fading by 200 s
    SILENCE    // 71, the module's tail after the show
};

Section section_of(int order) {
    const int ends[] = {3, 13, 21, 27, 35, 43, 49, 52, 57, 63, 70};
    for (int s = 0; s < 11; s++)
        if (order <= ends[s])
            return Section(s);
    return SILENCE;
}

int section_start(int order) {
    int first = order;
    while (first > 0 && section_of(first - 1) == section_of(order))
        first--;
    return first;
}

bool section_ends(int order) {
    return section_of(order + 1) != section_of(order);
}

const int FADE_FIRST_ORDER = 68; // the fade runs from here to FADE_END (199.4 s)
const int FADE_END = 70 * SONG_ROWS + 40;
const int ROWS_PER_BEAT = 8;

// A chord: root pitch class (C = 0) and whether its third is minor.
struct Chord {
    int root;
    bool minor;
};

// One chord per order, two bars each.
const char* const HARMONY[SONG_ORDERS] = {
    "Am", "Am", "F",  "F",                                  // intro
    "Am", "F",  "C",  "G",  "Am", "F", "C",  "G", "F", "G", // rise
    "Am", "F",  "C",  "G",  "Am", "F", "C",  "G",           // groove
    "F",  "G",  "Am", "Am", "F",  "E",                      // vortex, ending on the dominant
    "Am", "F",  "C",  "G",  "Am", "F", "C",  "G",           // theme
    "F",  "G",  "Em", "Am", "F",  "G", "C",  "E",           // growth
    "Dm", "Am", "F",  "C",  "Dm", "E",                      // breakdown
    "F",  "G",  "E",                                        // build
    "Am", "F",  "C",  "G",  "Am",                           // peak
    "F",  "G",  "C",  "Am", "F",  "E",                      // stream
    "Am", "F",  "C",  "G",  "Am", "F", "Am",                // finale
    "Am"};

Chord chord_at(int order) {
    const std::string name = HARMONY[order];
    const int pitch[7] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    return {pitch[name[0] - 'A'], name.size() > 1 && name[1] == 'm'};
}

// The chord's tones as MIDI notes from the root placed in [low, low + 12): root, third, fifth.
void triad(const Chord& c, int low, int out[3]) {
    out[0] = low + ((c.root - low) % 12 + 12) % 12;
    out[1] = out[0] + (c.minor ? 3 : 4);
    out[2] = out[0] + 7;
}

// MIDI note 60 (C4) is XM note 49 (C-4).
int xm_note(int midi) {
    return midi - 11;
}

// The volume column's set-volume command for a volume 0..64 (clamped).
uint8_t volume_column(int vol) {
    return uint8_t(0x10 + std::min(64, std::max(0, vol)));
}

// The patterns addressed by song row (order * 64 + row), one pattern per order.
class Score {
  public:
    explicit Score(XmModule& m) : module(m) {}

    bool inside(int pos) const { return pos >= 0 && pos < SONG_ORDERS * SONG_ROWS; }
    XmCell& at(int pos, int ch) {
        return module.patterns[pos / SONG_ROWS].cells[(pos % SONG_ROWS) * SONG_CHANNELS + ch];
    }
    bool has_note(int pos, int ch) {
        return inside(pos) && at(pos, ch).note > 0 && at(pos, ch).note < XM_KEY_OFF;
    }
    // A note at volume 0..64; pan 0..255 through the panning effect, or -1 for the sample's.
    void note(int pos, int ch, int midi, int instrument, int vol, int pan = -1) {
        if (!inside(pos))
            return;
        XmCell& c = at(pos, ch);
        c.note = uint8_t(xm_note(midi));
        c.instrument = uint8_t(instrument);
        c.volume = volume_column(vol);
        if (pan >= 0) {
            c.effect = XM_EFFECT_PANNING;
            c.param = uint8_t(pan);
        }
    }
    // A note released after `length` rows, unless something already starts there.
    void held(int pos, int ch, int midi, int instrument, int vol, int length, int pan = -1) {
        note(pos, ch, midi, instrument, vol, pan);
        off(pos + length, ch);
    }
    void off(int pos, int ch) {
        if (inside(pos) && at(pos, ch).note == 0)
            at(pos, ch).note = XM_KEY_OFF;
    }
    // Changes a sounding note's volume without retriggering it.
    void volume(int pos, int ch, int vol) {
        if (inside(pos) && at(pos, ch).note == 0)
            at(pos, ch).volume = volume_column(vol);
    }

  private:
    XmModule& module;
};

int pos_of(int order, int row) {
    return order * SONG_ROWS + row;
}

// Linear ramp from a to b as order runs from first to last.
int ramp(int order, int first, int last, int a, int b) {
    if (last == first)
        return b;
    return a + (b - a) * (order - first) / (last - first);
}

// Pad: three voices, each moving to the nearest tone of the next chord, so changes are
// smooth and only the voices that move are retriggered.
void pads(Score& s) {
    const int channels[3] = {CH_PAD1, CH_PAD2, CH_PAD3};
    const int pans[3] = {0x50, 0x80, 0xb0};
    int voices[3] = {0, 0, 0};
    for (int order = 0; order < SONG_ORDERS - 1; order++) {
        Section sec = section_of(order);
        int tones[3];
        triad(chord_at(order), 57, tones);
        // Inversions of the chord within A3..A4 and the one with the least total movement.
        int best[3] = {tones[0], tones[1], tones[2]}, bestCost = 1 << 30;
        for (int inv = 0; inv < 3; inv++) {
            int cand[3];
            for (int k = 0; k < 3; k++)
                cand[k] = tones[(k + inv) % 3] + (k + inv >= 3 ? 12 : 0);
            for (int shift = -12; shift <= 0; shift += 12) {
                int cost = 0;
                for (int k = 0; k < 3; k++)
                    cost += voices[k] ? std::abs(cand[k] + shift - voices[k]) : 0;
                if (cand[0] + shift >= 52 && cost < bestCost) {
                    bestCost = cost;
                    for (int k = 0; k < 3; k++)
                        best[k] = cand[k] + shift;
                }
            }
        }
        int vol = sec == INTRO                   ? 14
                  : sec == BREAKDOWN             ? 34
                  : sec == PEAK || sec == STREAM ? 26
                                                 : 30;
        for (int k = 0; k < 3; k++) {
            if (best[k] != voices[k])
                s.note(pos_of(order, 0), channels[k], best[k], INS_PAD, vol, pans[k]);
            else
                s.volume(pos_of(order, 0), channels[k], vol);
            voices[k] = best[k];
        }
        if (sec == INTRO) // swell through the opening
            for (int row = 4; row < SONG_ROWS; row += 4)
                for (int k = 0; k < 3; k++)
                    s.volume(pos_of(order, row), channels[k],
                             14 + (order * SONG_ROWS + row) * 14 / (4 * SONG_ROWS));
    }
    for (int k = 0; k < 3; k++)
        s.off(pos_of(SONG_ORDERS - 1, 0), channels[k]);
}

// Bass figures: (row, interval above the root, length in rows).
struct Step {
    int row, interval, length;
};
const Step BASS_GROOVE[] = {{0, 0, 10}, {12, 0, 6},  {20, 12, 4}, {26, 7, 4}, {32, 0, 10},
                            {44, 0, 4}, {48, 12, 4}, {52, 0, 6},  {58, 7, 4}};
const Step BASS_ROLLING[] = {{0, 0, 3},  {4, 0, 3},  {8, 12, 3},  {12, 0, 3},
                             {16, 7, 3}, {20, 0, 3}, {24, 12, 3}, {28, 7, 3},
                             {32, 0, 3}, {36, 0, 3}, {40, 12, 3}, {44, 0, 3},
                             {48, 7, 3}, {52, 0, 3}, {56, 12, 3}, {60, 10, 3}};
const Step BASS_LONG[] = {{0, 0, 30}, {32, 0, 28}};

void bass_line(Score& s) {
    for (int order = 8; order < SONG_ORDERS - 1; order++) {
        Section sec = section_of(order);
        int tones[3];
        triad(chord_at(order), 33, tones); // roots from A1 to G#2
        int root = tones[0];
        const Step* steps = BASS_GROOVE;
        int count = 9, vol = 40;
        if (sec == RISE || sec == BREAKDOWN || order >= FADE_FIRST_ORDER) {
            steps = BASS_LONG;
            count = 2;
            vol = sec == RISE ? ramp(order, 8, 13, 26, 40) : 38;
        } else if (sec == BUILD || sec == PEAK || sec == STREAM) {
            steps = BASS_ROLLING;
            count = 16;
            vol = sec == BUILD ? ramp(order, 50, 52, 30, 40) : 40;
        }
        for (int i = 0; i < count; i++) {
            const Step& st = steps[i];
            int accent = st.row % ROWS_PER_BEAT == 0 ? 0 : -6;
            s.held(pos_of(order, st.row), CH_BASS, root + st.interval, INS_BASS, vol + accent,
                   st.length);
        }
    }
}

// Arpeggio in sixteenths (two rows) over the chord, rising through two octaves in the peak.
void arpeggio(Score& s) {
    const int figure[8] = {0, 1, 2, 3, 2, 1, 2, 3};
    const int climb[16] = {0, 1, 2, 3, 4, 5, 6, 5, 4, 3, 4, 5, 6, 5, 4, 3};
    for (int order = 10; order < FADE_FIRST_ORDER; order++) {
        Section sec = section_of(order);
        if (sec == VORTEX || (sec == BREAKDOWN && order < 46))
            continue;
        int t[3];
        triad(chord_at(order), 64, t);
        const int tones[7] = {t[0], t[1], t[2], t[0] + 12, t[1] + 12, t[2] + 12, t[0] + 24};
        int level = sec == RISE        ? ramp(order, 10, 13, 10, 18)
                    : sec == BREAKDOWN ? 12
                    : sec == BUILD     ? ramp(order, 50, 52, 14, 24)
                                       : 24;
        bool peak = sec == PEAK || sec == STREAM;
        for (int row = 0; row < SONG_ROWS; row += 2) {
            int step = row / 2;
            int tone = peak ? tones[climb[step % 16]] : tones[figure[step % 8]];
            int vol = level + (row % ROWS_PER_BEAT == 0 ? 8 : row % 4 == 0 ? 3 : 0);
            s.note(pos_of(order, row), CH_ARP, tone, INS_PLUCK, vol);
        }
    }
}

// Melody notes: (row, MIDI note, length in rows); length 0 ends a phrase.
struct Tone {
    int row, midi, length;
};
typedef std::vector<Tone> Phrase;

// The theme over Am F C G; the second pass ends rising back to the tonic.
const Phrase THEME_LINE[4] = {
    {{0, 69, 8},
     {8, 72, 4},
     {12, 76, 12},
     {24, 74, 8},
     {32, 72, 8},
     {40, 71, 4},
     {44, 72, 8},
     {52, 69, 12}},
    {{0, 69, 8}, {8, 72, 4}, {12, 77, 12}, {24, 76, 8}, {32, 72, 16}, {48, 69, 8}, {56, 72, 8}},
    {{0, 67, 8},
     {8, 72, 4},
     {12, 76, 12},
     {24, 79, 8},
     {32, 76, 8},
     {40, 74, 4},
     {44, 72, 12},
     {56, 74, 8}},
    {{0, 71, 8}, {8, 74, 4}, {12, 79, 12}, {24, 74, 8}, {32, 71, 16}, {48, 74, 8}, {56, 76, 8}}};
const Phrase THEME_TURN = {{0, 71, 8},  {8, 74, 4},  {12, 79, 12}, {24, 74, 8},
                           {32, 71, 8}, {40, 72, 4}, {44, 74, 8},  {52, 76, 12}};

// Long notes over the vortex's F G Am Am F E.
const Phrase VORTEX_LINE[6] = {{{0, 72, 24}, {24, 69, 8}, {32, 72, 16}, {48, 74, 16}},
                               {{0, 74, 24}, {24, 71, 8}, {32, 74, 16}, {48, 76, 16}},
                               {{0, 76, 32}, {32, 72, 16}, {48, 74, 16}},
                               {{0, 76, 24}, {24, 79, 8}, {32, 76, 32}},
                               {{0, 77, 24}, {24, 76, 8}, {32, 72, 32}},
                               {{0, 71, 24}, {24, 76, 8}, {32, 68, 24}}};

// Over the stream's F G C Am F E, climbing and falling back towards the final theme.
const Phrase STREAM_LINE[6] = {{{0, 77, 12}, {12, 76, 12}, {24, 72, 8}, {32, 69, 16}, {48, 72, 16}},
                               {{0, 74, 12}, {12, 76, 12}, {24, 79, 8}, {32, 74, 32}},
                               {{0, 76, 12}, {12, 79, 12}, {24, 84, 8}, {32, 79, 16}, {48, 76, 16}},
                               {{0, 76, 24}, {24, 72, 8}, {32, 69, 32}},
                               {{0, 72, 12}, {12, 77, 12}, {24, 81, 8}, {32, 77, 16}, {48, 76, 16}},
                               {{0, 76, 16}, {16, 74, 8}, {24, 71, 8}, {32, 68, 24}, {56, 71, 8}}};

const int ECHO_DELAY = 6; // rows: a dotted sixteenth behind the lead

void phrase(Score& s, int order, const Phrase& p, int vol) {
    for (const Tone& t : p) {
        s.held(pos_of(order, t.row), CH_LEAD, t.midi, INS_LEAD, vol, t.length - 1, 0x98);
        s.held(pos_of(order, t.row) + ECHO_DELAY, CH_ECHO, t.midi, INS_LEAD, vol / 3, t.length - 1,
               0x58);
    }
}

void lead_line(Score& s) {
    for (int order = 22; order <= 27; order++)
        phrase(s, order, VORTEX_LINE[order - 22], 40);
    for (int order = 58; order <= 63; order++)
        phrase(s, order, STREAM_LINE[order - 58], 40);
    const int themeStarts[3] = {28, 53, 64};
    const int themeLengths[3] = {8, 5, 6};
    for (int k = 0; k < 3; k++)
        for (int i = 0; i < themeLengths[k]; i++) {
            int slot = i % 4;
            bool turn = slot == 3 && i >= 4;
            phrase(s, themeStarts[k] + i, turn ? THEME_TURN : THEME_LINE[slot], k == 1 ? 44 : 40);
        }
    s.held(pos_of(70, 0), CH_LEAD, 69, INS_LEAD, 30, 48, 0x98); // the last tonic, fading
}

// Bells: a counter-line on chord tones over the growths and the stream, a slow line in the
// breakdown, a few chimes in the intro and the finale.
void bells(Score& s) {
    for (int order = 2; order < SONG_ORDERS - 1; order++) {
        Section sec = section_of(order);
        int t[3];
        triad(chord_at(order), 72, t);
        if (sec == INTRO) {
            s.note(pos_of(order, 0), CH_BELL, t[2], INS_BELL, 14 + 4 * (order - 2));
            s.note(pos_of(order, 32), CH_BELL, t[1], INS_BELL, 12 + 4 * (order - 2));
        } else if (sec == GROWTH || sec == STREAM) {
            const int rows[4] = {0, 20, 32, 44}, pick[4] = {1, 2, 0, 2};
            int vol = sec == GROWTH ? 30 : 22;
            for (int i = 0; i < 4; i++)
                s.note(pos_of(order, rows[i]), CH_BELL, t[pick[i]] + (i == 2 ? 12 : 0), INS_BELL,
                       i == 0 ? vol : vol - 6);
        } else if (sec == BREAKDOWN) {
            const int rows[4] = {0, 24, 32, 48}, pick[4] = {1, 2, 0, 2};
            for (int i = 0; i < 4; i++)
                s.note(pos_of(order, rows[i]), CH_BELL, t[pick[i]] + (i == 2 ? 12 : 0), INS_BELL,
                       i % 2 ? 24 : 32);
        } else if (order >= FADE_FIRST_ORDER - 2 && sec == FINALE) {
            s.note(pos_of(order, 0), CH_BELL, t[0] + 12, INS_BELL, 28);
            s.note(pos_of(order, 32), CH_BELL, t[2], INS_BELL, 22);
        }
    }
}

const int KICK_NOTE = 60, SNARE_NOTE = 60, HAT_NOTE = 60, CRASH_NOTE = 60;
const int TOM_HIGH = 64, TOM_MID = 60, TOM_LOW = 55;

// A fill over the last quarter of an order: snare sixteenths growing louder, toms falling.
void fill(Score& s, int order) {
    for (int row = 48; row < SONG_ROWS; row += 2) {
        if (row == 50 || row == 54 || row == 58)
            s.note(pos_of(order, row), CH_PERC,
                   row == 50   ? TOM_HIGH
                   : row == 54 ? TOM_MID
                               : TOM_LOW,
                   INS_TOM, 44);
        else
            s.note(pos_of(order, row), CH_SNARE, SNARE_NOTE, INS_SNARE, 40 + (row - 48) * 3 / 2);
    }
}

// The groove: a half-time backbeat (snare on beat three of each bar) with kicks around it and
// eighth-note hats, sixteenths when busy. It varies over each four-order phrase so that no two
// neighbouring orders repeat: a two-step kick, a ghost snare, then an open hat and a pickup.
// Under the growths the hats move to the off-beats.
void groove(Score& s, int order, bool busy, bool offbeat) {
    const int kicks[4] = {0, 20, 32, 52};
    int phrase = order % 4;
    for (int row : kicks)
        s.note(pos_of(order, row), CH_KICK, KICK_NOTE, INS_KICK, 50);
    if (phrase == 1)
        s.note(pos_of(order, 26), CH_KICK, KICK_NOTE, INS_KICK, 40);
    s.note(pos_of(order, 16), CH_SNARE, SNARE_NOTE, INS_SNARE, 62);
    s.note(pos_of(order, 48), CH_SNARE, SNARE_NOTE, INS_SNARE, 62);
    if (phrase == 2)
        s.note(pos_of(order, 38), CH_SNARE, SNARE_NOTE, INS_SNARE, 24);
    if (phrase == 3) {
        s.note(pos_of(order, 60), CH_HAT, HAT_NOTE, INS_OPEN_HAT, 40);
        s.note(pos_of(order, 62), CH_SNARE, SNARE_NOTE, INS_SNARE, 26);
    }
    for (int row = 0; row < SONG_ROWS; row += busy ? 2 : 4) {
        if (s.has_note(pos_of(order, row), CH_HAT))
            continue;
        if (offbeat && row % ROWS_PER_BEAT == 4) {
            s.note(pos_of(order, row), CH_HAT, HAT_NOTE, INS_OPEN_HAT, 30);
            continue;
        }
        if (busy && row == 28) {
            s.note(pos_of(order, row), CH_HAT, HAT_NOTE, INS_OPEN_HAT, 36);
            continue;
        }
        int vol = row % ROWS_PER_BEAT == 0 ? 46 : row % 4 == 0 ? 36 : 22;
        s.note(pos_of(order, row), CH_HAT, HAT_NOTE, INS_CLOSED_HAT, vol);
    }
}

void drums(Score& s) {
    for (int order = 0; order < SONG_ORDERS - 1; order++) {
        Section sec = section_of(order);
        switch (sec) {
        case INTRO:
        case BREAKDOWN:
        case SILENCE:
            break;
        case RISE:
            if (order >= 8)
                for (int row = 0; row < SONG_ROWS; row += order >= 11 ? 4 : 8)
                    s.note(pos_of(order, row), CH_HAT, HAT_NOTE, INS_CLOSED_HAT,
                           ramp(order, 8, 13, 8, 18) + (row % 8 ? 0 : 4));
            if (order >= 10)
                s.note(pos_of(order, 32), CH_KICK, KICK_NOTE, INS_KICK,
                       ramp(order, 10, 13, 24, 40));
            if (section_ends(order))
                fill(s, order);
            break;
        case BUILD:
            s.note(pos_of(order, 0), CH_KICK, KICK_NOTE, INS_KICK, 56);
            for (int row = 0; row < SONG_ROWS; row += 8)
                s.note(pos_of(order, row), CH_HAT, HAT_NOTE, INS_CLOSED_HAT, 16);
            if (order == 51)
                s.note(pos_of(order, 32), CH_KICK, KICK_NOTE, INS_KICK, 52);
            if (order == 52) // the roll: every second row, then every row, then a breath
                for (int row = 0; row < 56; row += row < 32 ? 2 : 1)
                    s.note(pos_of(order, row), CH_SNARE, SNARE_NOTE, INS_SNARE, 20 + row * 36 / 56);
            break;
        default:
            if (order >= FADE_FIRST_ORDER) { // the city thins out to kick and hats
                for (int row = 0; row < SONG_ROWS; row += 8) {
                    if (row % 32 == 0 && order < 70)
                        s.note(pos_of(order, row), CH_KICK, KICK_NOTE, INS_KICK, 48);
                    s.note(pos_of(order, row), CH_HAT, HAT_NOTE, INS_CLOSED_HAT, 16);
                }
                break;
            }
            groove(s, order, sec == THEME || sec == PEAK || sec == STREAM, sec == GROWTH);
            if (order == section_start(order))
                s.note(pos_of(order, 0), CH_PERC, CRASH_NOTE, INS_CRASH, 40);
            if (section_ends(order) || order == 17 || order == 60)
                fill(s, order);
        }
    }
}

// Every cue row gets an audible hit: where the part has none on the kick, snare or tom
// channels, a tom in the quiet sections and the build, a kick elsewhere.
void accent_cues(Score& s) {
    for (const SongCue& cue : song_cues()) {
        int pos = pos_of(cue.order, cue.row);
        if (s.has_note(pos, CH_KICK) || s.has_note(pos, CH_SNARE) || s.has_note(pos, CH_PERC))
            continue;
        Section sec = section_of(cue.order);
        if (sec == RISE)
            s.note(pos, CH_PERC, TOM_MID, INS_TOM, ramp(cue.order, 4, 13, 18, 40));
        else if (sec == BUILD)
            s.note(pos, CH_PERC, cue.row % 16 < 8 ? TOM_HIGH : TOM_LOW, INS_TOM, 46);
        else
            s.note(pos, CH_KICK, KICK_NOTE, INS_KICK, 48);
    }
}

// The closing fade: the global volume falls evenly to 0, stepped every two rows.
void fade(Score& s) {
    int first = pos_of(FADE_FIRST_ORDER, 0);
    for (int pos = first; pos <= FADE_END; pos += 2) {
        XmCell& c = s.at(pos, CH_KICK);
        c.effect = XM_EFFECT_GLOBAL_VOLUME;
        c.param = uint8_t(64 * (FADE_END - pos) / (FADE_END - first));
    }
}

} // namespace

std::vector<SongCue> song_cues() {
    std::vector<SongCue> cues;
    for (const CueLine& line : CUE_TABLE)
        for (int order = line.firstOrder; order <= line.lastOrder; order++)
            for (int row : line.rows)
                cues.push_back({order, row});
    std::sort(cues.begin(), cues.end(), [](const SongCue& a, const SongCue& b) {
        return a.order != b.order ? a.order < b.order : a.row < b.row;
    });
    cues.erase(std::unique(cues.begin(), cues.end(),
                           [](const SongCue& a, const SongCue& b) {
                               return a.order == b.order && a.row == b.row;
                           }),
               cues.end());
    return cues;
}

XmModule song_compose() {
    XmModule m;
    m.name = "Ordune";
    m.channels = SONG_CHANNELS;
    m.speed = SONG_SPEED;
    m.bpm = SONG_BPM;
    m.instruments = synth_instruments();
    m.patterns.resize(SONG_ORDERS);
    for (int i = 0; i < SONG_ORDERS; i++) {
        m.patterns[i].rows = SONG_ROWS;
        m.patterns[i].cells.assign(SONG_ROWS * SONG_CHANNELS, XmCell());
        m.orders.push_back(i);
    }
    Score s(m);
    pads(s);
    bass_line(s);
    arpeggio(s);
    lead_line(s);
    bells(s);
    drums(s);
    accent_cues(s);
    fade(s);
    return m;
}
