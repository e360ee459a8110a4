// Synthesis of the soundtrack's instruments. Drums are one-shot samples that end at zero;
// tonal voices are additive waveforms of integer-Hz partials, so a loop of whole seconds (or a
// divisor of the sample rate) repeats every partial exactly and starts where all phases are 0.
#include "tools/xmsynth.h"

#include <cmath>
#include <cstdint>
#include <functional>

namespace {

const int RATE = 32000; // every sample's recording rate; 16 kHz of bandwidth is plenty here
const double PI = 3.14159265358979323846;
const double LN2 = 0.69314718055994530942;
const double C4_HZ = 261.62556530059862; // equal temperament, A-4 = 440 Hz
const double XM_NATURAL_RATE = 8363.0;   // the rate a sample plays at for effective note C-4
const double PEAK = 0.9;                 // normalised sample peak, below the 16-bit limit

// Repeatable white noise in -1..1 (xorshift32): the drums sound the same on every build.
class Noise {
  public:
    explicit Noise(uint32_t seed) : state(seed) {}
    double next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return double(state) / 2147483648.0 - 1.0;
    }

  private:
    uint32_t state;
};

typedef std::vector<double> Wave;

double seconds(int frame) {
    return double(frame) / RATE;
}
int frames(double s) {
    return int(s * RATE);
}

// sin(2 pi f n / RATE) for an integer frequency, from the exact phase (f n mod RATE), so the
// value repeats bit for bit after every RATE / gcd(f, RATE) frames.
double exact_partial(int64_t hz, int n) {
    return synth_sin(2.0 * PI * double((hz * n) % RATE) / RATE);
}

// A gentle low-pass response: the amplitude of a partial at f for a cut-off fc.
double lowpass(double f, double fc) {
    double x = f / fc;
    return 1.0 / (1.0 + x * x * x * x);
}

// A linear fade to silence over the last `length` frames, so a one-shot never ends on a step.
void fade_tail(Wave& w, int length) {
    int n = int(w.size());
    for (int i = 0; i < length && i < n; i++)
        w[n - 1 - i] *= double(i) / length;
}

// A linear rise over the first frames: a drum's transient without a step from silence.
void fade_head(Wave& w, int length) {
    for (int i = 0; i < length && i < int(w.size()); i++)
        w[i] *= double(i) / length;
}

// Soft saturation that rounds peaks (the kick's punch) and is smooth through zero.
double soft_clip(double x) {
    if (x > 1.0)
        return 2.0 / 3.0;
    if (x < -1.0)
        return -2.0 / 3.0;
    return x - x * x * x / 3.0;
}

// Scales to PEAK of full scale and rounds to 16 bits.
XmSample make_sample(const Wave& w, const char* name) {
    double peak = 0.0;
    for (double v : w)
        peak = std::fabs(v) > peak ? std::fabs(v) : peak;
    double gain = peak > 0.0 ? PEAK * 32767.0 / peak : 0.0;
    XmSample s;
    s.name = name;
    s.data.resize(w.size());
    for (size_t i = 0; i < w.size(); i++)
        s.data[i] = int16_t(std::floor(w[i] * gain + 0.5));
    return s;
}

// Relative note and finetune that make pattern note C-4 sound at C4_HZ for a sample whose
// waveform, played at RATE, sounds at contentHz.
void tune(XmSample& s, double contentHz) {
    double semis = 12.0 * synth_log2(RATE * C4_HZ / (XM_NATURAL_RATE * contentHz));
    int whole = int(std::floor(semis));
    int fine = int(std::floor((semis - whole) * 128.0 + 0.5));
    if (fine >= 128) {
        whole += 1;
        fine -= 128;
    }
    s.relativeNote = whole;
    s.finetune = fine;
}

XmInstrument one_shot(const Wave& w, const char* name, int panning) {
    XmInstrument ins;
    ins.name = name;
    ins.sample = make_sample(w, name);
    ins.sample.panning = panning;
    tune(ins.sample, C4_HZ);
    return ins;
}

// A looped voice: the loop is [loopStart, end), which must hold whole periods of every
// partial; the sample starts at phase 0 of all of them, and so does the loop.
XmInstrument looped(const Wave& w, const char* name, int loopStart, double contentHz) {
    XmInstrument ins;
    ins.name = name;
    ins.sample = make_sample(w, name);
    ins.sample.loop = true;
    ins.sample.loopStart = loopStart;
    ins.sample.loopLength = int(w.size()) - loopStart;
    tune(ins.sample, contentHz);
    return ins;
}

// Sum of integer-Hz harmonics of f0 with amplitudes amp(h, t); amp must stop changing at the
// loop start for the loop to be seamless. Even harmonics are inverted, which starts a
// sawtooth halfway along its ramp (a gentle zero crossing) instead of on its jump, so a note
// does not begin with a step.
Wave additive(int length, int f0, int harmonics, const std::function<double(int, double)>& amp) {
    Wave w(length, 0.0);
    for (int h = 1; h <= harmonics; h++) {
        double sign = h % 2 ? 1.0 : -1.0;
        for (int n = 0; n < length; n++)
            w[n] += sign * amp(h, seconds(n)) * exact_partial(int64_t(h) * f0, n);
    }
    return w;
}

// Kick: a sine swept from about 160 Hz down to 45 Hz (the sweep is the "thump"), a 2 ms
// burst of low-passed noise for the beater, soft-clipped for weight.
XmInstrument kick() {
    Wave w(frames(0.36));
    Noise noise(0x4b1c);
    double phase = 0.0, click = 0.0;
    for (int n = 0; n < int(w.size()); n++) {
        double t = seconds(n);
        phase += (45.0 + 115.0 * synth_exp(-t / 0.03)) / RATE;
        click += 0.3 * (noise.next() - click);
        double body = synth_sin(2.0 * PI * phase) * synth_exp(-t / 0.15);
        w[n] = soft_clip(1.4 * body + 0.5 * click * synth_exp(-t / 0.002));
    }
    fade_head(w, 16);
    fade_tail(w, frames(0.03));
    return one_shot(w, "kick", 128);
}

// Snare: two short tones for the drum's body, a 5 ms crack of bright noise for the stick, and
// high-passed noise for the wires, which ring longer than the body but not for long.
XmInstrument snare() {
    Wave w(frames(0.36));
    Noise noise(0x5a4e);
    double p1 = 0.0, p2 = 0.0, previous = 0.0;
    for (int n = 0; n < int(w.size()); n++) {
        double t = seconds(n);
        p1 += 185.0 * (1.0 + 0.25 * synth_exp(-t / 0.01)) / RATE;
        p2 += 330.0 / RATE;
        double body =
            (0.65 * synth_sin(2 * PI * p1) + 0.35 * synth_sin(2 * PI * p2)) * synth_exp(-t / 0.05);
        double white = noise.next();
        double bright = white - previous;
        previous = white;
        double wires = bright * (0.6 * synth_exp(-t / 0.07) + 0.8 * synth_exp(-t / 0.005));
        w[n] = soft_clip(1.2 * body + 0.7 * wires);
    }
    fade_head(w, 8);
    fade_tail(w, frames(0.04));
    return one_shot(w, "snare", 118);
}

// Hi-hat: doubly differentiated noise (bright, no low end) plus a few inharmonic sines that
// give it a metallic ring; `decay` separates the closed hat from the open one.
Wave hat(double length, double decay, uint32_t seed) {
    Wave w(frames(length));
    Noise noise(seed);
    const double ring[4] = {3120.0, 4410.0, 5870.0, 7330.0};
    double x1 = 0.0, x2 = 0.0;
    for (int n = 0; n < int(w.size()); n++) {
        double t = seconds(n);
        double x = noise.next();
        double bright = x - 2.0 * x1 + x2;
        x2 = x1;
        x1 = x;
        double metal = 0.0;
        for (double f : ring)
            metal += synth_sin(2 * PI * f * t);
        w[n] = (0.5 * bright + 0.08 * metal) * synth_exp(-t / decay);
    }
    fade_head(w, 8);
    fade_tail(w, frames(length * 0.2));
    return w;
}

XmInstrument closed_hat() {
    return one_shot(hat(0.12, 0.025, 0xc105), "closed hat", 168);
}
XmInstrument open_hat() {
    return one_shot(hat(0.6, 0.2, 0x09e4), "open hat", 168);
}

// Tom: a pitched drum for the quiet intro pulses and the fills; played at other notes it
// gives the high and low toms.
XmInstrument tom() {
    Wave w(frames(0.6));
    Noise noise(0x7011);
    double phase = 0.0;
    for (int n = 0; n < int(w.size()); n++) {
        double t = seconds(n);
        phase += 150.0 * (1.0 + 0.6 * synth_exp(-t / 0.04)) / RATE;
        w[n] = synth_sin(2 * PI * phase) * synth_exp(-t / 0.22) +
               0.15 * noise.next() * synth_exp(-t / 0.01);
    }
    fade_head(w, 8);
    fade_tail(w, frames(0.05));
    return one_shot(w, "tom", 96);
}

// Crash: noise with a fast initial drop and a long shimmering tail, marking section starts.
XmInstrument crash() {
    Wave w(frames(2.2));
    Noise noise(0xc4a5);
    double previous = 0.0;
    for (int n = 0; n < int(w.size()); n++) {
        double t = seconds(n);
        double x = noise.next();
        double bright = x - 0.7 * previous;
        previous = x;
        double metal = synth_sin(2 * PI * 2650.0 * t) * synth_sin(2 * PI * 3970.0 * t);
        w[n] = (bright + 0.3 * metal) * (0.6 * synth_exp(-t / 0.05) + 0.4 * synth_exp(-t / 0.7));
    }
    fade_head(w, 16);
    fade_tail(w, frames(0.3));
    return one_shot(w, "crash", 150);
}

// Bass: a sawtooth whose low-pass closes over the first 0.4 s (the pluck of each note), plus
// extra fundamental for weight. 65 Hz repeats every 6400 frames (0.2 s), so the loop is the
// last 0.2 s, after the filter has settled.
XmInstrument bass() {
    const int f0 = 65, period = RATE / 5, settle = 2 * period;
    double settled = seconds(settle);
    Wave w = additive(3 * period, f0, 90, [&](int h, double t) {
        double fc = 420.0 + 2400.0 * synth_exp(-(t < settled ? t : settled) / 0.08);
        return (1.0 / h + (h == 1 ? 0.4 : 0.0)) * lowpass(h * f0, fc);
    });
    XmInstrument ins = looped(w, "bass", settle, f0);
    ins.volumeEnvelope.points = {{0, 0}, {1, 64}, {6, 54}, {14, 0}};
    ins.volumeEnvelope.sustain = 2;
    return ins;
}

// Pad: a sawtooth and a quieter one 1 Hz sharp (a slow chorus; quieter so that the beat's
// crest stays low and the pad is loud for its peak) through a soft low-pass open to the
// presence band (5 kHz), so the chords carry some air. With integer frequencies the whole
// second of waveform repeats exactly, so the entire sample is the loop; the slow attack and
// release come from the volume envelope.
XmInstrument pad() {
    const int voices[2] = {262, 263};
    const double levels[2] = {1.0, 0.4};
    Wave w(RATE, 0.0);
    for (int i = 0; i < 2; i++) {
        int f = voices[i];
        Wave v = additive(RATE, f, 40, [&](int h, double) { return lowpass(h * f, 5000.0) / h; });
        for (int n = 0; n < RATE; n++)
            w[n] += levels[i] * v[n];
    }
    XmInstrument ins = looped(w, "pad", 0, 262);
    ins.volumeEnvelope.points = {{0, 0}, {20, 64}, {80, 0}};
    ins.volumeEnvelope.sustain = 1;
    return ins;
}

// Pluck for the arpeggios: harmonics that die away faster the higher they are, as on a
// plucked string; it decays to nothing on its own, so it needs no loop.
XmInstrument pluck() {
    const int f0 = 524;
    Wave w = additive(frames(0.9), f0, 12,
                      [&](int h, double t) { return synth_exp(-t * (5.0 + 2.5 * h)) / h; });
    fade_head(w, frames(0.002));
    fade_tail(w, frames(0.05));
    XmInstrument ins;
    ins.name = "pluck";
    ins.sample = make_sample(w, "pluck");
    ins.sample.panning = 80;
    tune(ins.sample, f0);
    return ins;
}

// Lead: a hollow square-ish tone (odd harmonics strong, even ones weak) with a second
// oscillator 2 Hz sharp and a bright attack that settles within 0.5 s on a filter still open
// to 3.4 kHz, so the line sits in the presence band. 524 and 526 Hz both
// repeat after 16000 frames, so the loop is the second half-second.
XmInstrument lead() {
    const int f0 = 524, half = RATE / 2;
    double settled = seconds(half);
    auto amp = [&](int h, double t) {
        double fc = 3400.0 + 3000.0 * synth_exp(-(t < settled ? t : settled) / 0.07);
        return (h % 2 ? 1.0 : 0.3) / h * lowpass(h * f0, fc);
    };
    Wave w = additive(2 * half, f0, 14, amp);
    Wave detuned = additive(2 * half, f0 + 2, 14, amp);
    for (int n = 0; n < 2 * half; n++)
        w[n] += 0.35 * detuned[n];
    XmInstrument ins = looped(w, "lead", half, f0 + 0.8);
    ins.volumeEnvelope.points = {{0, 0}, {2, 64}, {12, 50}, {26, 0}};
    ins.volumeEnvelope.sustain = 2;
    ins.vibratoDepth = 3;
    ins.vibratoRate = 12;
    ins.vibratoSweep = 40; // the vibrato eases in, so short notes stay straight
    return ins;
}

// Bell: inharmonic partials, the low ones ringing longest, the high ones giving the strike.
XmInstrument bell() {
    const double f0 = 524.0;
    const double ratio[6] = {0.5, 1.0, 2.0, 2.76, 4.07, 5.43};
    const double level[6] = {0.25, 1.0, 0.45, 0.35, 0.2, 0.12};
    const double decay[6] = {1.6, 1.2, 0.7, 0.45, 0.25, 0.15};
    Wave w(frames(2.4), 0.0);
    for (int n = 0; n < int(w.size()); n++) {
        double t = seconds(n);
        for (int k = 0; k < 6; k++)
            w[n] += level[k] * synth_sin(2 * PI * ratio[k] * f0 * t) * synth_exp(-t / decay[k]);
    }
    fade_head(w, 32);
    fade_tail(w, frames(0.2));
    XmInstrument ins;
    ins.name = "bell";
    ins.sample = make_sample(w, "bell");
    ins.sample.panning = 184;
    tune(ins.sample, f0);
    return ins;
}

// Stab: a chord hit for the cue rows. Root, fifth and octave (no third, so it fits major and
// minor chords) on bright detuned sawtooths, with a fast decay; it is a one-shot.
XmInstrument stab() {
    const int f0 = 262;
    Wave w(frames(0.5), 0.0);
    const int notes[4] = {f0, f0 + 1, 393, 524}; // root twice (detuned), fifth, octave
    for (int f : notes) {
        Wave v = additive(int(w.size()), f, 24, [&](int h, double t) {
            return lowpass(h * f, 2500.0 + 4000.0 * synth_exp(-t / 0.04)) / h *
                   synth_exp(-t / 0.12);
        });
        for (size_t n = 0; n < w.size(); n++)
            w[n] += v[n];
    }
    fade_head(w, 16);
    fade_tail(w, frames(0.1));
    XmInstrument ins = one_shot(w, "stab", 128);
    tune(ins.sample, f0);
    return ins;
}

// Clap: three quick bursts of band-limited noise, then a short tail, as hands clap together.
XmInstrument clap() {
    Wave w(frames(0.3));
    Noise noise(0xc1a9);
    double low = 0.0, previous = 0.0;
    for (int n = 0; n < int(w.size()); n++) {
        double t = seconds(n);
        double x = noise.next();
        low += 0.35 * (x - low); // takes off the top; the difference below takes off the bottom
        double band = low - previous;
        previous = low;
        double bursts = 0.0;
        for (int k = 0; k < 3; k++) {
            double since = t - 0.011 * k;
            if (since >= 0.0)
                bursts += synth_exp(-since / 0.004);
        }
        w[n] = band * (bursts + 0.6 * synth_exp(-t / 0.07));
    }
    fade_head(w, 8);
    fade_tail(w, frames(0.05));
    return one_shot(w, "clap", 110);
}

} // namespace

double synth_sin(double x) {
    double r = x - 2.0 * PI * std::floor(x / (2.0 * PI) + 0.5); // -pi..pi
    if (r > PI / 2)
        r = PI - r;
    else if (r < -PI / 2)
        r = -PI - r;
    double r2 = r * r, term = r, sum = r;
    for (int i = 1; i <= 10; i++) {
        term *= -r2 / ((2.0 * i) * (2.0 * i + 1.0));
        sum += term;
    }
    return sum;
}

double synth_exp(double x) {
    if (x < -700.0)
        return 0.0;
    double k = std::floor(x / LN2 + 0.5);
    double r = x - k * LN2; // |r| <= ln2 / 2
    double term = 1.0, sum = 1.0;
    for (int i = 1; i <= 18; i++) {
        term *= r / i;
        sum += term;
    }
    return std::ldexp(sum, int(k));
}

double synth_log2(double x) {
    int e = 0;
    double m = std::frexp(x, &e); // x = m * 2^e, m in [0.5, 1)
    double z = (m - 1.0) / (m + 1.0), z2 = z * z, term = z, sum = 0.0;
    for (int i = 0; i < 32; i++) {
        sum += term / (2 * i + 1);
        term *= z2;
    }
    return e + 2.0 * sum / LN2;
}

std::vector<XmInstrument> synth_instruments() {
    // The order matches SynthInstrument.
    return {kick(), snare(), closed_hat(), open_hat(), tom(),  crash(), bass(),
            pad(),  pluck(), lead(),       bell(),     stab(), clap()};
}
