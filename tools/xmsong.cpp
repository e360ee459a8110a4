// The composition, in A minor at 170 BPM: a form whose sections start on the scenes' cuts,
// voice-led pad chords, a bass on the chord roots, arpeggios, a hook that grows into the lead's
// theme, bells, drums, and a cue layer that sounds on every row a scene's sync track fires on.
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

// The form: a section starts on the order nearest each scene's start (an order is 2.8212 s).
enum Section {
    INTRO,     // 0-6, alku: the pad swelling, the hook on the bells, toms on the cues
    RISE,      // 7-13, rakenne: hats, bass and arpeggio come in, the hook on the lead
    GROOVE,    // 14-20, viivatus: the first full groove
    VORTEX,    // 21-27, pyorre: long lead notes over a two-step
    THEME,     // 28-35, ruutu: the theme, grown from the hook
    GROWTH,    // 36-43, kasvu: bells answer the groove, hats on the off-beats
    BREAKDOWN, // 44-49, aukko: no drums, the pad and bells alone, quiet
    BUILD,     // 50-52, perhonen: drums return on the butterflies' cues, ending in a roll
    PEAK,      // 53-55, the theme again, louder, the lead doubled an octave up
    STREAM,    // 56-62, virta: the stream, the bells' counter-line
    FINALE,    // 63-70, kaupunki: a drop, the theme once more, a final chord at order 70
    TAIL       // 71, the module's tail after the show
};
const int SECTION_ENDS[] = {6, 13, 20, 27, 35, 43, 49, 52, 55, 62, 70};

Section section_of(int order) {
    for (int s = 0; s < TAIL; s++)
        if (order <= SECTION_ENDS[s])
            return Section(s);
    return TAIL;
}

int section_start(int order) {
    int first = order;
    while (first > 0 && section_of(first - 1) == section_of(order))
        first--;
    return first;
}

int first_order(Section s) {
    return s == INTRO ? 0 : SECTION_ENDS[s - 1] + 1;
}

bool section_ends(int order) {
    return section_of(order + 1) != section_of(order);
}

// Every note's volume is scaled by its section's level (percent), which gives the song its
// loudness shape: quiet intro and breakdown, grooves near -13.5 LUFS, the peak 2 LU above the
// first theme (also by its doubled lead). The parts' volumes below are their balance at 100;
// above it the loudest parts stop at the volume column's 64, which keeps the drums' peaks down.
const int SECTION_LEVEL[TAIL + 1] = {60, 95, 140, 140, 120, 145, 55, 110, 150, 145, 140, 140};

const int FINAL_CHORD_ORDER = 70; // struck at its row 0 (197.5 s), ringing past 200 s
const int CITY_ACCENT_ROW = 24;   // order 63, row 24: 178.8 s, where kaupunki opens
const int ROWS_PER_BEAT = 8;

// A chord: root pitch class (C = 0) and whether its third is minor.
struct Chord {
    int root;
    bool minor;
};

// One chord per order, two bars each. No four-chord loop repeats for more than two rounds.
const char* const HARMONY[SONG_ORDERS] = {
    "Am", "Am", "Am", "F",  "Am", "F", "E",       // intro
    "Am", "F",  "C",  "G",  "Dm", "F", "E",       // rise
    "Am", "G",  "F",  "E",  "Am", "G", "E",       // groove, descending
    "Dm", "F",  "G",  "Am", "Am", "F", "E",       // vortex, ending on the dominant
    "Am", "F",  "C",  "G",  "Am", "F", "C", "G",  // theme
    "F",  "G",  "Em", "Am", "F",  "G", "C", "E",  // growth
    "Dm", "Am", "F",  "C",  "Dm", "E",            // breakdown
    "F",  "G",  "E",                              // build
    "Am", "F",  "C",                              // peak
    "G",  "F",  "G",  "C",  "Am", "F", "E",       // stream
    "Am", "Am", "F",  "C",  "G",  "F", "E", "Am", // finale and the final chord
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

// The volume column's set-volume command for a part's volume 0..64 at the order's section
// level (clamped).
uint8_t volume_column(int order, int vol) {
    int level = vol * SECTION_LEVEL[section_of(order)] / 100;
    return uint8_t(0x10 + std::min(64, std::max(0, level)));
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
        c.volume = volume_column(pos / SONG_ROWS, vol);
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
            at(pos, ch).volume = volume_column(pos / SONG_ROWS, vol);
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
// smooth and only the voices that move are retriggered. It holds through the final chord.
void pads(Score& s) {
    const int channels[3] = {CH_PAD1, CH_PAD2, CH_PAD3};
    const int pans[3] = {0x30, 0x80, 0xd0};
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
        int vol = sec == INTRO || sec == BREAKDOWN ? 44 : 40;
        for (int k = 0; k < 3; k++) {
            if (best[k] != voices[k] || order == FINAL_CHORD_ORDER)
                s.note(pos_of(order, 0), channels[k], best[k], INS_PAD, vol, pans[k]);
            else
                s.volume(pos_of(order, 0), channels[k], vol);
            voices[k] = best[k];
        }
        if (order < 2) // swell through the first orders
            for (int row = 4; row < SONG_ROWS; row += 4)
                for (int k = 0; k < 3; k++)
                    s.volume(pos_of(order, row), channels[k],
                             20 + (order * SONG_ROWS + row) * 20 / (2 * SONG_ROWS));
    }
    for (int k = 0; k < 3; k++)
        s.off(pos_of(SONG_ORDERS - 1, 0), channels[k]);
}

// Bass figures: (row, interval above the root, length in rows).
struct Step {
    int row, interval, length;
};
typedef std::vector<Step> Figure;
const Figure BASS_GROOVE = {{0, 0, 10}, {12, 0, 6},  {20, 12, 4}, {26, 7, 4}, {32, 0, 10},
                            {44, 0, 4}, {48, 12, 4}, {52, 0, 6},  {58, 7, 4}};
const Figure BASS_ROLLING = {{0, 0, 3},  {4, 0, 3},  {8, 12, 3},  {12, 0, 3},
                             {16, 7, 3}, {20, 0, 3}, {24, 12, 3}, {28, 7, 3},
                             {32, 0, 3}, {36, 0, 3}, {40, 12, 3}, {44, 0, 3},
                             {48, 7, 3}, {52, 0, 3}, {56, 12, 3}, {60, 10, 3}};
const Figure BASS_LONG = {{0, 0, 30}, {32, 0, 28}};
const int BASS_VOL = 34;

void bass_line(Score& s) {
    for (int order = 9; order < FINAL_CHORD_ORDER; order++) {
        Section sec = section_of(order);
        int tones[3];
        triad(chord_at(order), 33, tones); // roots from A1 to G#2
        const Figure* steps = &BASS_GROOVE;
        int vol = BASS_VOL;
        if (sec == RISE || sec == BREAKDOWN || order == first_order(FINALE)) {
            steps = &BASS_LONG;
            vol = sec == RISE ? ramp(order, 9, 13, 24, BASS_VOL) : BASS_VOL;
        } else if (sec == BUILD || sec == PEAK || sec == STREAM) {
            steps = &BASS_ROLLING;
            vol = sec == BUILD ? ramp(order, 50, 52, 26, BASS_VOL) : BASS_VOL;
        }
        for (const Step& st : *steps) {
            int accent = st.row % ROWS_PER_BEAT == 0 ? 0 : -6;
            s.held(pos_of(order, st.row), CH_BASS, tones[0] + st.interval, INS_BASS, vol + accent,
                   st.length);
        }
    }
}

// Arpeggio figures in sixteenths (two rows): indices into the chord's tones over two octaves.
// The figure changes every four orders; the peak climbs through both octaves.
const int ARP_FIGURES[4][16] = {{0, 1, 2, 3, 2, 1, 2, 3, 0, 1, 2, 3, 2, 1, 2, 3},
                                {0, 2, 4, 2, 3, 2, 4, 5, 0, 2, 4, 2, 3, 2, 4, 5},
                                {3, 2, 1, 2, 0, 1, 2, 1, 3, 2, 1, 2, 4, 3, 2, 1},
                                {0, 3, 1, 4, 2, 5, 1, 4, 0, 3, 1, 4, 2, 5, 3, 2}};
const int ARP_CLIMB[16] = {0, 1, 2, 3, 4, 5, 6, 5, 4, 3, 4, 5, 6, 5, 4, 3};

void arpeggio(Score& s) {
    for (int order = 9; order < FINAL_CHORD_ORDER - 1; order++) {
        Section sec = section_of(order);
        if (sec == VORTEX || (sec == BREAKDOWN && order < 46) || order == first_order(FINALE))
            continue;
        int t[3];
        triad(chord_at(order), 64, t);
        const int tones[7] = {t[0], t[1], t[2], t[0] + 12, t[1] + 12, t[2] + 12, t[0] + 24};
        const int* figure = sec == PEAK ? ARP_CLIMB : ARP_FIGURES[(order / 4) % 4];
        int level = sec == RISE        ? ramp(order, 9, 13, 14, 24)
                    : sec == BREAKDOWN ? 16
                    : sec == BUILD     ? ramp(order, 50, 52, 18, 28)
                                       : 28;
        for (int row = 0; row < SONG_ROWS; row += 2) {
            int vol = level + (row % ROWS_PER_BEAT == 0 ? 8 : row % 4 == 0 ? 3 : 0);
            s.note(pos_of(order, row), CH_ARP, tones[figure[row / 2 % 16]], INS_PLUCK, vol);
        }
    }
}

// Melody notes: (row, MIDI note, length in rows); length 0 ends a phrase.
struct Tone {
    int row, midi, length;
};
typedef std::vector<Tone> Phrase;

// The hook: A C E D C, heard in the intro and the rise; the theme opens with it.
const Phrase HOOK = {{0, 69, 8}, {8, 72, 4}, {12, 76, 12}, {24, 74, 8}, {32, 72, 24}};

// The theme over Am F C G, the hook carried on; the second pass ends rising back to the tonic.
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

// Long notes over the vortex's Dm F G Am Am F E.
const Phrase VORTEX_LINE[7] = {{{0, 74, 24}, {24, 77, 8}, {32, 74, 16}, {48, 72, 16}},
                               {{0, 72, 24}, {24, 69, 8}, {32, 72, 16}, {48, 74, 16}},
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

// The last bars over F and E, leading into the final A.
const Phrase CODA_LINE[2] = {{{0, 72, 8}, {8, 77, 4}, {12, 81, 12}, {24, 79, 8}, {32, 77, 32}},
                             {{0, 76, 16}, {16, 74, 8}, {24, 71, 8}, {32, 68, 16}, {48, 71, 16}}};

const int ECHO_DELAY = 6; // rows: a dotted sixteenth behind the lead

// The phrase on the lead with its echo; at the peak the echo is an octave up and as loud.
void phrase(Score& s, int order, const Phrase& p, int vol) {
    bool doubled = section_of(order) == PEAK;
    for (const Tone& t : p) {
        int pos = pos_of(order, t.row);
        s.held(pos, CH_LEAD, t.midi, INS_LEAD, vol, t.length - 1, 0x98);
        if (doubled)
            s.held(pos, CH_ECHO, t.midi + 12, INS_LEAD, vol, t.length - 1, 0x68);
        else
            s.held(pos + ECHO_DELAY, CH_ECHO, t.midi, INS_LEAD, vol / 3, t.length - 1, 0x58);
    }
}

void lead_line(Score& s) {
    for (int order : {7, 11})
        phrase(s, order, HOOK, 30);
    for (int order = 21; order <= 27; order++)
        phrase(s, order, VORTEX_LINE[order - 21], 44);
    for (int order = 57; order <= 62; order++)
        phrase(s, order, STREAM_LINE[order - 57], 44);
    const int themeStarts[3] = {28, 53, 64};
    const int themeLengths[3] = {8, 4, 4};
    for (int k = 0; k < 3; k++)
        for (int i = 0; i < themeLengths[k]; i++) {
            int slot = i % 4;
            bool turn = slot == 3 && i >= 4;
            phrase(s, themeStarts[k] + i, turn ? THEME_TURN : THEME_LINE[slot], 46);
        }
    phrase(s, 68, CODA_LINE[0], 46);
    phrase(s, 69, CODA_LINE[1], 46);
}

// Bells: the hook in the intro, a counter-line on chord tones over the growths and the stream,
// a slow line in the breakdown, the hook again at the city's drop.
void bells(Score& s) {
    for (int order = 2; order < FINAL_CHORD_ORDER; order++) {
        Section sec = section_of(order);
        int t[3];
        triad(chord_at(order), 72, t);
        if (order == 2 || order == 4 || order == first_order(FINALE)) {
            for (const Tone& tone : HOOK)
                s.note(pos_of(order, tone.row), CH_BELL, tone.midi, INS_BELL, 40);
        } else if (sec == INTRO) {
            s.note(pos_of(order, 0), CH_BELL, t[2], INS_BELL, 26);
            s.note(pos_of(order, 32), CH_BELL, t[1], INS_BELL, 22);
        } else if (sec == GROWTH || sec == STREAM) {
            const int rows[4] = {0, 20, 32, 44}, pick[4] = {1, 2, 0, 2};
            for (int i = 0; i < 4; i++)
                s.note(pos_of(order, rows[i]), CH_BELL, t[pick[i]] + (i == 2 ? 12 : 0), INS_BELL,
                       i == 0 ? 34 : 28);
        } else if (sec == BREAKDOWN) {
            const int rows[4] = {0, 24, 32, 48}, pick[4] = {1, 2, 0, 2};
            for (int i = 0; i < 4; i++)
                s.note(pos_of(order, rows[i]), CH_BELL, t[pick[i]] + (i == 2 ? 12 : 0), INS_BELL,
                       i % 2 ? 30 : 40);
        }
    }
}

const int KICK_NOTE = 60, SNARE_NOTE = 60, HAT_NOTE = 60, CRASH_NOTE = 60, CLAP_NOTE = 60;
const int TOM_HIGH = 64, TOM_MID = 60, TOM_LOW = 55;
const int KICK_VOL = 34, SNARE_VOL = 44;

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
            s.note(pos_of(order, row), CH_SNARE, SNARE_NOTE, INS_SNARE, 36 + (row - 48) * 3 / 2);
    }
}

// The grooves. Each is a half-time backbeat (snare on beat three of each bar) with kicks around
// it and hats, varied over a four-order phrase so that no two neighbouring orders repeat.
enum Groove {
    STRAIGHT, // eighth-note hats, sixteenths when busy
    TWO_STEP, // the vortex: kicks off the beat, a rim of closed hats on the quarters
    OFF_BEAT  // the growths and the stream: open hats on the off-beats
};

void groove(Score& s, int order, Groove kind, bool busy) {
    const int straightKicks[4] = {0, 20, 32, 52}, twoStepKicks[4] = {0, 26, 36, 58};
    int phrase = order % 4;
    for (int row : kind == TWO_STEP ? twoStepKicks : straightKicks)
        s.note(pos_of(order, row), CH_KICK, KICK_NOTE, INS_KICK, KICK_VOL);
    if (phrase == 1 && kind != TWO_STEP)
        s.note(pos_of(order, 26), CH_KICK, KICK_NOTE, INS_KICK, KICK_VOL - 10);
    s.note(pos_of(order, 16), CH_SNARE, SNARE_NOTE, INS_SNARE, SNARE_VOL);
    s.note(pos_of(order, 48), CH_SNARE, SNARE_NOTE, INS_SNARE, SNARE_VOL);
    if (phrase == 2)
        s.note(pos_of(order, 38), CH_SNARE, SNARE_NOTE, INS_SNARE, 22);
    if (phrase == 3) {
        s.note(pos_of(order, 60), CH_HAT, HAT_NOTE, INS_OPEN_HAT, 30);
        s.note(pos_of(order, 62), CH_SNARE, SNARE_NOTE, INS_SNARE, 24);
    }
    int step = kind == TWO_STEP ? 8 : busy ? 2 : 4;
    for (int row = 0; row < SONG_ROWS; row += step) {
        if (s.has_note(pos_of(order, row), CH_HAT))
            continue;
        if (kind == OFF_BEAT && row % ROWS_PER_BEAT == 4) {
            s.note(pos_of(order, row), CH_HAT, HAT_NOTE, INS_OPEN_HAT, 24);
            continue;
        }
        if (busy && row == 28) {
            s.note(pos_of(order, row), CH_HAT, HAT_NOTE, INS_OPEN_HAT, 26);
            continue;
        }
        int vol = row % ROWS_PER_BEAT == 0 ? 34 : row % 4 == 0 ? 26 : 16;
        s.note(pos_of(order, row), CH_HAT, HAT_NOTE, INS_CLOSED_HAT, vol);
    }
}

void drums(Score& s) {
    for (int order = 0; order < FINAL_CHORD_ORDER; order++) {
        Section sec = section_of(order);
        switch (sec) {
        case INTRO:
        case BREAKDOWN:
        case TAIL:
            break;
        case RISE:
            for (int row = 0; row < SONG_ROWS; row += order >= 11 ? 4 : 8)
                s.note(pos_of(order, row), CH_HAT, HAT_NOTE, INS_CLOSED_HAT,
                       ramp(order, 7, 13, 10, 20) + (row % 8 ? 0 : 4));
            if (order >= 9)
                s.note(pos_of(order, 32), CH_KICK, KICK_NOTE, INS_KICK,
                       ramp(order, 9, 13, 26, KICK_VOL));
            if (section_ends(order))
                fill(s, order);
            break;
        case BUILD:
            s.note(pos_of(order, 0), CH_KICK, KICK_NOTE, INS_KICK, KICK_VOL + 6);
            for (int row = 0; row < SONG_ROWS; row += 8)
                s.note(pos_of(order, row), CH_HAT, HAT_NOTE, INS_CLOSED_HAT, 16);
            if (order == 51)
                s.note(pos_of(order, 32), CH_KICK, KICK_NOTE, INS_KICK, KICK_VOL);
            if (order == 52) // the roll: every second row, then every row, then a breath
                for (int row = 0; row < 56; row += row < 32 ? 2 : 1)
                    s.note(pos_of(order, row), CH_SNARE, SNARE_NOTE, INS_SNARE, 20 + row * 36 / 56);
            break;
        default:
            if (order == first_order(FINALE)) { // the city's drop: kick and hats only
                for (int row = 0; row < SONG_ROWS; row += 8) {
                    if (row % 32 == 0)
                        s.note(pos_of(order, row), CH_KICK, KICK_NOTE, INS_KICK, KICK_VOL);
                    s.note(pos_of(order, row), CH_HAT, HAT_NOTE, INS_CLOSED_HAT, 20);
                }
                s.note(pos_of(order, CITY_ACCENT_ROW), CH_PERC, CRASH_NOTE, INS_CRASH, 48);
                break;
            }
            Groove kind = sec == VORTEX                    ? TWO_STEP
                          : sec == GROWTH || sec == STREAM ? OFF_BEAT
                                                           : STRAIGHT;
            groove(s, order, kind, sec == THEME || sec == PEAK || sec == FINALE);
            if (order == section_start(order) || order == first_order(FINALE) + 1)
                s.note(pos_of(order, 0), CH_PERC, CRASH_NOTE, INS_CRASH, 36);
            if (section_ends(order) || order == 17 || order == 60)
                fill(s, order);
        }
    }
}

// The cue layer: every cue row gets a sound of its own, a chord hit on the order's root and
// fifth (claps over the build and its roll), and an audible drum hit beneath it: where the
// part has none on the kick, snare or tom channels, a tom in the quiet sections and the build,
// a kick elsewhere.
void accent_cues(Score& s) {
    for (const SongCue& cue : song_cues()) {
        int pos = pos_of(cue.order, cue.row);
        Section sec = section_of(cue.order);
        if (sec == BUILD)
            s.note(pos, CH_CLAP, CLAP_NOTE, INS_CLAP, 36);
        else {
            int t[3];
            triad(chord_at(cue.order), 57, t);
            s.note(pos, CH_STAB, t[0], INS_STAB, sec == INTRO || sec == RISE ? 30 : 34);
        }
        if (s.has_note(pos, CH_KICK) || s.has_note(pos, CH_SNARE) || s.has_note(pos, CH_PERC))
            continue;
        if (sec == INTRO || sec == RISE)
            s.note(pos, CH_PERC, TOM_MID, INS_TOM, ramp(cue.order, 4, 13, 30, 40));
        else if (sec == BUILD)
            s.note(pos, CH_PERC, cue.row % 16 < 8 ? TOM_HIGH : TOM_LOW, INS_TOM, 46);
        else
            s.note(pos, CH_KICK, KICK_NOTE, INS_KICK, KICK_VOL);
    }
}

// The ending: the last tonic struck on every voice with a crash and a kick at order 70, left to
// ring past the show's last frame (the pad holds it; the module ends a bar later).
void final_chord(Score& s) {
    int pos = pos_of(FINAL_CHORD_ORDER, 0);
    s.note(pos, CH_KICK, KICK_NOTE, INS_KICK, KICK_VOL);
    s.note(pos, CH_PERC, CRASH_NOTE, INS_CRASH, 52);
    s.note(pos, CH_STAB, 57, INS_STAB, 40);
    s.note(pos, CH_BELL, 81, INS_BELL, 40);
    s.held(pos, CH_BASS, 33, INS_BASS, 44, SONG_ROWS + 8);
    s.held(pos, CH_LEAD, 69, INS_LEAD, 40, SONG_ROWS + 8, 0x98);
    s.held(pos, CH_ECHO, 76, INS_LEAD, 24, SONG_ROWS + 8, 0x58);
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
    final_chord(s);
    return m;
}
