// The music player: libopenmpt decodes the module in short slices, SDL audio plays it, and the
// position heard is the decoder's record for the slice now leaving the device queue.
//
// Threads: while the device plays, the SDL audio thread owns the decoder; it records each
// slice's position in a ring and publishes the hand-over of every buffer in one 64-bit atomic,
// which the main thread reads. rewind() takes the decoder back (see take_from_device) and
// resume() hands it over again; release() closes the device, which joins the thread, before
// anything is freed.
#include "engine/sound.h"
#include "engine/timer.h"

#include <SDL.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <libopenmpt/libopenmpt.h>
#include <sys/stat.h>

Sound sound;

static const char* const MUSIC_FILE = "music.xm";
// Anything larger is not a soundtrack; the cap also keeps a device file from reading forever.
static const long MAX_MODULE_BYTES = 64L << 20;

// ---- Loading -------------------------------------------------------------------------------

static uint32_t le(const unsigned char* p, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; i--)
        v = (v << 8) | p[i];
    return v;
}

static std::string truncated(uint64_t need, size_t size) {
    char cause[96];
    snprintf(cause, sizeof cause, "truncated: the module needs %llu bytes, the file has %zu",
             (unsigned long long)need, size);
    return cause;
}

std::string sound_check_xm(const unsigned char* bytes, size_t size) {
    static const char signature[] = "Extended Module: ";
    if (size < 17 || memcmp(bytes, signature, 17) != 0)
        return "not an XM module";
    // Each extent is checked before the fields inside it are read. The sums are 64-bit, so
    // hostile 32-bit lengths cannot wrap around to a small offset.
    if (size < 80)
        return truncated(80, size);
    uint64_t at = 60 + (uint64_t)le(bytes + 60, 4);
    int patterns = (int)le(bytes + 70, 2);
    int instruments = (int)le(bytes + 72, 2);
    for (int p = 0; p < patterns; p++) {
        if (at + 9 > size)
            return truncated(at + 9, size);
        at += (uint64_t)le(bytes + at, 4) + le(bytes + at + 7, 2);
        if (at > size)
            return truncated(at, size);
    }
    for (int i = 0; i < instruments; i++) {
        if (at + 29 > size)
            return truncated(at + 29, size);
        uint64_t header = le(bytes + at, 4);
        int samples = (int)le(bytes + at + 27, 2);
        if (samples == 0) {
            at += header;
            if (at > size)
                return truncated(at, size);
            continue;
        }
        if (at + 33 > size)
            return truncated(at + 33, size);
        uint64_t stride = le(bytes + at + 29, 4);
        uint64_t headers = at + header;
        uint64_t data = headers + (uint64_t)samples * stride;
        for (int s = 0; s < samples; s++) {
            uint64_t length = headers + (uint64_t)s * stride;
            if (length + 4 > size)
                return truncated(length + 4, size);
            data += le(bytes + length, 4);
        }
        if (data > size)
            return truncated(data, size);
        at = data;
    }
    return "";
}

static bool read_file(const char* path, std::vector<unsigned char>* bytes, std::string* cause) {
    struct stat st;
    if (stat(path, &st) != 0) {
        *cause = strerror(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        *cause = "not a regular file";
        return false;
    }
    FILE* f = fopen(path, "rb");
    if (!f) {
        *cause = strerror(errno);
        return false;
    }
    unsigned char chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0 && (long)bytes->size() <= MAX_MODULE_BYTES)
        bytes->insert(bytes->end(), chunk, chunk + n);
    bool failed = ferror(f);
    int error = errno;
    fclose(f);
    if (failed)
        *cause = std::string("cannot read: ") + strerror(error);
    else if ((long)bytes->size() > MAX_MODULE_BYTES)
        *cause = "larger than 64 MiB";
    else if (bytes->empty())
        *cause = "empty file";
    else
        return true;
    return false;
}

static openmpt_module* open_bytes(const std::vector<unsigned char>& bytes, std::string* cause) {
    *cause = sound_check_xm(bytes.data(), bytes.size());
    if (!cause->empty())
        return nullptr;

    // Stop at the song's end rather than fade or loop; no dither, whose noise would differ
    // between runs.
    const openmpt_module_initial_ctl ctls[] = {
        {"play.at_end", "stop"}, {"dither", "0"}, {nullptr, nullptr}};
    int error = 0;
    const char* message = nullptr;
    openmpt_module* mod = openmpt_module_create_from_memory2(
        bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
        nullptr, &error, &message, ctls);
    if (!mod) {
        *cause =
            std::string("libopenmpt cannot load it (") + (message ? message : "no reason") + ")";
        openmpt_free_string(message);
        return nullptr;
    }
    openmpt_free_string(message);
    openmpt_module_select_subsong(mod, SOUND_SUBSONG);
    openmpt_module_set_repeat_count(mod, 0);
    openmpt_module_set_render_param(mod, OPENMPT_MODULE_RENDER_MASTERGAIN_MILLIBEL, 0);
    openmpt_module_set_render_param(mod, OPENMPT_MODULE_RENDER_STEREOSEPARATION_PERCENT,
                                    SOUND_STEREO_SEPARATION);
    openmpt_module_set_render_param(mod, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH,
                                    SOUND_FILTER_TAPS);
    openmpt_module_set_render_param(mod, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH,
                                    SOUND_VOLUME_RAMPING);
    return mod;
}

openmpt_module* sound_open_module(const char* path, std::string* cause) {
    std::vector<unsigned char> bytes;
    if (!read_file(path, &bytes, cause))
        return nullptr;
    return open_bytes(bytes, cause);
}

// ---- Position lists ------------------------------------------------------------------------

// Appends a position unless it repeats the last one. A frame may take seconds (a stalled
// machine, a debugger), so the list is fixed storage that keeps the latest positions: when
// full, the oldest goes. SOUND_READING_POSITIONS rows are seconds of music, more than any
// frame worth following.
static void note(unsigned int* list, int* count, unsigned int position) {
    if (*count > 0 && list[*count - 1] == position)
        return;
    if (*count == SOUND_READING_POSITIONS) {
        memmove(list, list + 1, sizeof(unsigned int) * (SOUND_READING_POSITIONS - 1));
        --*count;
    }
    list[(*count)++] = position;
}

// Offline and without a device: the positions rendered since the latest reading, main thread.
static unsigned int rendered[SOUND_READING_POSITIONS];
static int rendered_count = 0;

// ---- Decoding ------------------------------------------------------------------------------

// The decoder: the module and how far it has been rendered. One owner at a time: the main
// thread, or the audio thread while the device plays it (from play() or resume() to rewind()
// or release()).
struct Decoder {
    openmpt_module* module = nullptr;
    long long frames = 0;  // rendered since the module was loaded
    uint32_t position = 0; // packed, after the latest slice
    bool ended = false;
};
static Decoder decoder;

// Slice positions by slice number (frame / SOUND_SLICE_FRAMES), 11.9 s of them. The audio
// thread writes ahead of what is heard by at most two buffers, the device period and the
// latency (under 2 s together); readers look back at most LOOKBACK_SLICES, so they never meet a
// slot being rewritten.
enum { RING_SLICES = 8192, LOOKBACK_SLICES = RING_SLICES / 2 };
static std::atomic<uint32_t> ring[RING_SLICES];

// Renders `frames` frames into out (or a scratch slice when out is null) in slices that end
// on multiples of SOUND_SLICE_FRAMES. After each, the decoder's position is the row of the
// slice's last frame, since libopenmpt processes a tick before rendering its samples; ring,
// when given, records it (the live path), else the rendered list does. At the song's end
// libopenmpt reports order 0 again, so the last position before the end is kept, and the rest
// is silence.
static void decode(short* out, long long frames, std::atomic<uint32_t>* slices) {
    short scratch[2 * SOUND_SLICE_FRAMES];
    while (frames > 0) {
        // Past the end nothing changes: a long silent stretch is skipped, not rendered.
        if (decoder.ended && !out && !slices) {
            decoder.frames += frames;
            return;
        }
        long long n = SOUND_SLICE_FRAMES - decoder.frames % SOUND_SLICE_FRAMES;
        if (n > frames)
            n = frames;
        short* dst = out ? out : scratch;
        size_t got = 0;
        if (!decoder.ended && decoder.module)
            got =
                openmpt_module_read_interleaved_stereo(decoder.module, SOUND_RATE, (size_t)n, dst);
        if ((long long)got < n) {
            decoder.ended = true;
            memset(dst + 2 * got, 0, sizeof(short) * 2 * (size_t)(n - (long long)got));
        } else {
            decoder.position =
                sound_pack((unsigned)openmpt_module_get_current_order(decoder.module),
                           (unsigned)openmpt_module_get_current_row(decoder.module));
        }
        if (slices)
            slices[(decoder.frames / SOUND_SLICE_FRAMES) % RING_SLICES].store(
                decoder.position, std::memory_order_relaxed);
        else
            note(rendered, &rendered_count, decoder.position);
        decoder.frames += n;
        frames -= n;
        if (out)
            out += 2 * n;
    }
}

// Renders up to show time `seconds` and discards or keeps the samples. Returns whether the
// module moved.
static bool decode_to(double seconds, std::vector<short>* pcm) {
    long long target = llround(seconds * SOUND_RATE);
    if (target <= decoder.frames)
        return false;
    long long n = target - decoder.frames;
    short* out = nullptr;
    if (pcm) {
        size_t old = pcm->size();
        pcm->resize(old + 2 * (size_t)n);
        out = pcm->data() + old;
    }
    decode(out, n, nullptr);
    return true;
}

// ---- The live queue ------------------------------------------------------------------------

// The latest hand-over: (first frame of the buffer << 32) | (time in 10 us units + 1), one
// atomic so that a reader never pairs one buffer's frame with another's time; 0 = none yet.
static std::atomic<uint64_t> handover(0);
static std::atomic<int> handover_frames(SOUND_DEVICE_FRAMES);

// Main thread only. The device's period in frames, as SDL reported it; the user's latency in
// frames; and where the device started playing: the first frame it was handed and the
// position reported until that frame is heard.
static long long device_period = SOUND_DEVICE_FRAMES;
static long long latency_frames = 0;
static long long start_frame = 0;
static unsigned int start_position = 0;

static long long steady_us() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

static void publish(uint32_t first, int frames, long long at_us) {
    handover_frames.store(frames, std::memory_order_relaxed);
    uint32_t stamp = (uint32_t)(at_us / 10) + 1;
    handover.store(((uint64_t)first << 32) | stamp, std::memory_order_release);
}

// Stamps the hand-over at at_us, or, when null, on the steady clock after the rendering: the
// buffer joins the device's queue as its callback returns.
static void feed(short* out, int frames, const long long* at_us) {
    uint32_t first = (uint32_t)decoder.frames;
    decode(out, frames, ring);
    publish(first, frames, at_us ? *at_us : steady_us());
}

void sound_feed(short* out, int frames, long long at_us) {
    feed(out, frames, &at_us);
}

// Whether the callback may render from the decoder; guarded by the audio lock, under which SDL
// runs the callback. Cleared, the callback hands over silence and leaves the decoder alone.
static bool device_owns_decoder = false;

// SDL calls this on its audio thread when the device wants the next buffer.
static void mix(void*, Uint8* stream, int len) {
    if (!device_owns_decoder) {
        memset(stream, 0, (size_t)len);
        return;
    }
    feed((short*)stream, len / (int)(2 * sizeof(short)), nullptr);
}

// The frame being heard at at_us; false while nothing played since start_frame is heard yet.
static bool heard_frame(long long at_us, long long* frame) {
    uint64_t h = handover.load(std::memory_order_acquire);
    if (h == 0)
        return false;
    long long first = (long long)(h >> 32);
    // Unsigned difference: the stamps wrap after 11.9 hours without harm.
    uint32_t elapsed10 = (uint32_t)(at_us / 10) - ((uint32_t)h - 1);
    long long played = elapsed10 > 0x7fffffffu ? 0 : (long long)elapsed10 * SOUND_RATE / 100000;
    // A device that stops asking holds the end of the last buffer, not beyond it.
    int frames = handover_frames.load(std::memory_order_relaxed);
    if (played > frames - 1)
        played = frames - 1;
    *frame = first + played - device_period - latency_frames;
    return *frame >= start_frame;
}

static unsigned int ring_at(long long frame) {
    return ring[(frame / SOUND_SLICE_FRAMES) % RING_SLICES].load(std::memory_order_relaxed);
}

unsigned int sound_heard_at(long long at_us) {
    long long frame;
    return heard_frame(at_us, &frame) ? ring_at(frame) : start_position;
}

// ---- The player ----------------------------------------------------------------------------

enum Mode {
    SILENT,  // nothing loaded: the position is left as it is
    LIVE,    // the device plays; the position is what it is sounding
    PAUSED,  // the device is stopped; the position holds
    CLOCK,   // no device: the module follows kello silently
    OFFLINE, // advanceTo moves the module
};
static Mode mode = SILENT;
static bool device_open = false;
static bool pinned = false;
static unsigned int pinned_position = 0;
// The module as read from the file, for rewind.
static std::vector<unsigned char> module_bytes;

// One reading a frame: offline each advance of the module is a frame, elsewhere each new clock
// reading (kello.time) at which the position is queried. Every query within a frame then names
// the same row, so a row read just before a pattern change is never paired with the new
// pattern's order. `latest` is built at the frame's first query; until then its serial lags.
static SoundReading latest = {0, 1, {0}};
static unsigned long long frames_begun = 1; // the serial of the current frame's reading
static float frame_time = 0.0f;             // the clock reading that began it, but offline
static long long reading_heard = 0;         // live: the frame heard at the latest reading

static void begin_frame() {
    frames_begun++;
}

// A frame begins afresh: nothing before it counts as played since.
static void restart_readings() {
    begin_frame();
    rendered_count = 0;
    reading_heard = start_frame;
}

static void unload() {
    if (device_open)
        SDL_CloseAudio();
    device_open = false;
    device_owns_decoder = false;
    device_period = SOUND_DEVICE_FRAMES;
    if (decoder.module)
        openmpt_module_destroy(decoder.module);
    decoder = Decoder();
    module_bytes.clear();
    handover.store(0);
    start_frame = 0;
    start_position = 0;
    mode = SILENT;
    pinned = false;
    restart_readings();
}

// Reads and opens the module; false with the cause ("music.xm: ...") when it cannot.
static bool load(std::string* cause) {
    unload();
    std::string why;
    if (read_file(MUSIC_FILE, &module_bytes, &why))
        decoder.module = open_bytes(module_bytes, &why);
    if (!decoder.module) {
        module_bytes.clear();
        *cause = std::string(MUSIC_FILE) + ": " + why;
        return false;
    }
    return true;
}

static void without_device(const char* why) {
    fprintf(stderr, "ordune: no audio device (%s); the show runs without sound\n", why);
    mode = CLOCK;
}

static void alsa_quiet(const char*, int, const char*, int, const char*, ...) {}

// SDL reaches ALSA through dlopen, and ALSA reports a missing card on stderr in several lines of
// its own before SDL gives up. Loading the same library first and giving it a silent handler
// leaves our one line as the only word on it. Without libasound there is nothing to quiet.
static void quiet_alsa() {
    void* alsa = dlopen("libasound.so.2", RTLD_LAZY);
    if (!alsa)
        return;
    typedef int (*SetHandler)(void (*)(const char*, int, const char*, int, const char*, ...));
    SetHandler set = (SetHandler)dlsym(alsa, "snd_lib_error_set_handler");
    if (set)
        set(alsa_quiet);
    // Kept loaded: the handler must stay installed for as long as SDL uses the library.
}

// Opens the device, paused, with the callback rendering SOUND_RATE 16-bit stereo, and learns
// its period. Returns SDL's error, or null.
static const char* open_device() {
    SDL_AudioSpec want = {};
    want.freq = SOUND_RATE;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = SOUND_DEVICE_FRAMES;
    want.callback = mix;
    SDL_AudioSpec got = {};
    if (SDL_OpenAudio(&want, &got) < 0)
        return SDL_GetError();
    if (got.freq != want.freq || got.format != want.format || got.channels != want.channels) {
        // The device took another format, which the callback would then have to render. Opened
        // again without `obtained`, SDL converts to it instead, so the decoder keeps its one
        // format (the one the offline tools render, sample for sample); the device's period
        // stays as first reported.
        SDL_CloseAudio();
        if (SDL_OpenAudio(&want, nullptr) < 0)
            return SDL_GetError();
    }
    if (got.freq > 0 && got.samples > 0)
        device_period = (long long)got.samples * SOUND_RATE / got.freq;
    return nullptr;
}

int Sound::init() {
    position = 0;
    std::string cause;
    if (!load(&cause)) {
        fprintf(stderr, "ordune: %s; the show runs silent\n", cause.c_str());
        return 1;
    }
    quiet_alsa();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) {
        without_device(SDL_GetError());
        return 1;
    }
    char driver[32] = "";
    SDL_AudioDriverName(driver, sizeof driver);
    if (strcmp(driver, "dummy") == 0) {
        without_device("the dummy audio driver");
        return 1;
    }
    // Set before the device opens: it opens paused, so no callback reads it yet.
    device_owns_decoder = true;
    if (const char* error = open_device()) {
        device_owns_decoder = false;
        without_device(error);
        return 1;
    }
    device_open = true;
    mode = LIVE;
    return 1;
}

void Sound::play() {
    pinned = false;
    restart_readings();
    if (mode == LIVE)
        SDL_PauseAudio(0);
}

// The main thread takes the decoder back. Pausing stops the callbacks to come, but one that
// SDL had already begun may still be waiting for the audio lock; so the callback's permission
// is withdrawn under that lock as well, and any callback after it renders silence.
static void take_from_device() {
    SDL_PauseAudio(1);
    SDL_LockAudio();
    device_owns_decoder = false;
    SDL_UnlockAudio();
}

// Hands the decoder to the device, which plays on from the decoder's frame. Under the audio
// lock, so that the callback sees the new start and permission together; the hand-over record
// is cleared, so no position from before is reported (the ring's older slots lie before
// start_frame and are never read).
static void give_to_device(unsigned int held) {
    SDL_LockAudio();
    handover.store(0);
    start_frame = decoder.frames;
    start_position = held;
    device_owns_decoder = true;
    SDL_UnlockAudio();
    SDL_PauseAudio(0);
}

// The positions played since the latest reading, the current one last.
static void read_positions(SoundReading* r) {
    unsigned int before = r->positions[r->count - 1];
    r->count = 0;
    switch (mode) {
    case LIVE: {
        long long heard;
        if (!heard_frame(steady_us(), &heard)) {
            note(r->positions, &r->count, start_position);
            break;
        }
        long long from = reading_heard;
        if (from < heard - (long long)LOOKBACK_SLICES * SOUND_SLICE_FRAMES)
            from = heard - (long long)LOOKBACK_SLICES * SOUND_SLICE_FRAMES;
        if (from < start_frame || from > heard)
            from = heard;
        for (long long s = from / SOUND_SLICE_FRAMES; s < heard / SOUND_SLICE_FRAMES; s++)
            note(r->positions, &r->count, ring_at(s * SOUND_SLICE_FRAMES));
        note(r->positions, &r->count, ring_at(heard));
        reading_heard = heard;
        break;
    }
    case CLOCK:
    case OFFLINE:
        for (int i = 0; i < rendered_count; i++)
            note(r->positions, &r->count, rendered[i]);
        rendered_count = 0;
        note(r->positions, &r->count, decoder.position);
        break;
    case PAUSED:
        note(r->positions, &r->count, before);
        break;
    case SILENT: // both queries report `position` as it stands
        note(r->positions, &r->count, sound_pack(sound.position, sound.position));
        break;
    }
}

const SoundReading& Sound::reading() {
    bool new_time = mode != OFFLINE && kello.time != frame_time;
    frame_time = kello.time;
    bool moved = mode == CLOCK && decode_to(kello.time, nullptr);
    if (new_time || moved)
        begin_frame();
    if (latest.serial != frames_begun) {
        latest.serial = frames_begun;
        if (pinned) {
            latest.count = 1;
            latest.positions[0] = pinned_position;
        } else {
            read_positions(&latest);
        }
    }
    return latest;
}

static unsigned int current() {
    const SoundReading& r = sound.reading();
    return r.positions[r.count - 1];
}

unsigned int Sound::getOrder() {
    if (mode == SILENT && !pinned)
        return position;
    return position = current() >> 16;
}

unsigned int Sound::getRow() {
    if (mode == SILENT && !pinned)
        return position;
    return position = current() & 0xffff;
}

void Sound::release() {
    unload();
}

void Sound::setLatency(int ms) {
    ms = ms < 0 ? 0 : ms > 1000 ? 1000 : ms;
    latency_frames = (long long)ms * SOUND_RATE / 1000;
}

void Sound::pause() {
    if (mode != LIVE)
        return;
    SDL_PauseAudio(1);
    mode = PAUSED;
}

void Sound::rewind() {
    if (!decoder.module)
        return;
    if (device_open)
        take_from_device();
    openmpt_module_destroy(decoder.module);
    decoder = Decoder();
    std::string cause;
    decoder.module = open_bytes(module_bytes, &cause); // loaded once already: cannot fail
    mode = decoder.module ? OFFLINE : SILENT;
    pinned = false;
    restart_readings();
}

void Sound::resume() {
    if (!decoder.module || mode == LIVE)
        return;
    unsigned int held = mode == PAUSED ? latest.positions[latest.count - 1] : decoder.position;
    pinned = false;
    if (device_open) {
        give_to_device(held);
        mode = LIVE;
    } else {
        mode = CLOCK;
    }
    restart_readings();
}

void Sound::pinPosition(unsigned int order, unsigned int row) {
    pinned = true;
    pinned_position = sound_pack(order, row);
    begin_frame();
}

int Sound::openOffline(std::string* cause) {
    position = 0;
    std::string why;
    if (!load(&why)) {
        if (cause)
            *cause = why;
        return 0;
    }
    mode = OFFLINE;
    return 1;
}

void Sound::advanceTo(double seconds, std::vector<short>* pcm) {
    bool moved = mode == OFFLINE && decode_to(seconds, pcm);
    if (moved || pinned)
        begin_frame();
    pinned = false;
}
