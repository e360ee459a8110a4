// The music player: libopenmpt decodes the module in short slices, SDL audio plays it, and the
// position heard is the decoder's record for the slice now leaving the device queue.
//
// Threads: after play() the SDL audio thread owns the decoder; it records each slice's
// position in a ring and publishes the hand-over of every buffer in one 64-bit atomic. The
// main thread only reads those atomics. release() closes the device, which joins the thread,
// before anything is freed.
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

openmpt_module* sound_open_module(const char* path, std::string* cause) {
    std::vector<unsigned char> bytes;
    if (!read_file(path, &bytes, cause))
        return nullptr;
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

// ---- Decoding ------------------------------------------------------------------------------

// The decoder: the module and how far it has been rendered. One owner at a time: the main
// thread until play(), then the audio thread until release() has closed the device.
struct Decoder {
    openmpt_module* module = nullptr;
    long long frames = 0;  // rendered since the module was loaded
    uint32_t position = 0; // packed, after the latest slice
    bool ended = false;
};
static Decoder decoder;

// Slice positions by slice number (frame / SOUND_SLICE_FRAMES). The audio thread writes at
// most one buffer ahead of what is heard, so 4096 slices (6 s) never wrap onto a slot read.
enum { RING_SLICES = 4096 };
static std::atomic<uint32_t> ring[RING_SLICES];

// Renders `frames` frames into out (or a scratch slice when out is null) in slices that end
// on multiples of SOUND_SLICE_FRAMES. After each, the decoder's position is the row of the
// slice's last frame, since libopenmpt processes a tick before rendering its samples; ring,
// when given, records it. At the song's end libopenmpt reports order 0 again, so the last
// position before the end is kept, and the rest is silence.
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
        decoder.frames += n;
        frames -= n;
        if (out)
            out += 2 * n;
    }
}

// Renders up to show time `seconds` and discards or keeps the samples.
static void decode_to(double seconds, std::vector<short>* pcm) {
    long long target = llround(seconds * SOUND_RATE);
    if (target <= decoder.frames)
        return;
    long long n = target - decoder.frames;
    short* out = nullptr;
    if (pcm) {
        size_t old = pcm->size();
        pcm->resize(old + 2 * (size_t)n);
        out = pcm->data() + old;
    }
    decode(out, n, nullptr);
}

// ---- The live queue ------------------------------------------------------------------------

// The latest hand-over: (first frame of the buffer << 32) | (time in 10 us units + 1), one
// atomic so that a reader never pairs one buffer's frame with another's time; 0 = none yet.
static std::atomic<uint64_t> handover(0);
static std::atomic<int> handover_frames(SOUND_DEVICE_FRAMES);

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
// device starts playing a buffer as its callback returns.
static void feed(short* out, int frames, const long long* at_us) {
    uint32_t first = (uint32_t)decoder.frames;
    decode(out, frames, ring);
    publish(first, frames, at_us ? *at_us : steady_us());
}

void sound_feed(short* out, int frames, long long at_us) {
    feed(out, frames, &at_us);
}

// SDL calls this on its audio thread when the device wants the next buffer.
static void mix(void*, Uint8* stream, int len) {
    feed((short*)stream, len / (int)(2 * sizeof(short)), nullptr);
}

unsigned int sound_heard_at(long long at_us) {
    uint64_t h = handover.load(std::memory_order_acquire);
    if (h == 0)
        return 0;
    uint32_t first = (uint32_t)(h >> 32);
    // Unsigned difference: the stamps wrap after 11.9 hours without harm.
    uint32_t elapsed10 = (uint32_t)(at_us / 10) - ((uint32_t)h - 1);
    long long played = elapsed10 > 0x7fffffffu ? 0 : (long long)elapsed10 * SOUND_RATE / 100000;
    // A device that stops asking holds the end of the last buffer, not beyond it.
    int frames = handover_frames.load(std::memory_order_relaxed);
    if (played > frames - 1)
        played = frames - 1;
    long long heard = (long long)first + played;
    return ring[(heard / SOUND_SLICE_FRAMES) % RING_SLICES].load(std::memory_order_relaxed);
}

// ---- The player ----------------------------------------------------------------------------

enum Mode {
    SILENT,  // nothing loaded: the position is left as it is
    LIVE,    // the device plays; the position is what it is sounding
    CLOCK,   // no device: the module follows kello silently
    OFFLINE, // advanceTo moves the module
};
static Mode mode = SILENT;
static bool pinned = false;
static unsigned int pinned_position = 0;
// One live reading per clock reading: every query within a frame then names the same row, so
// a row read just before a pattern change is never paired with the new pattern's order.
static float snapshot_time = -1.0f;
static unsigned int snapshot = 0;

static void unload() {
    if (mode == LIVE)
        SDL_CloseAudio();
    if (decoder.module)
        openmpt_module_destroy(decoder.module);
    decoder = Decoder();
    handover.store(0);
    mode = SILENT;
    pinned = false;
    snapshot_time = -1.0f;
}

static bool load() {
    unload();
    std::string cause;
    decoder.module = sound_open_module(MUSIC_FILE, &cause);
    if (!decoder.module) {
        fprintf(stderr, "ordune: %s: %s; the show runs silent\n", MUSIC_FILE, cause.c_str());
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

int Sound::init() {
    position = 0;
    if (!load())
        return 1;
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
    SDL_AudioSpec want = {};
    want.freq = SOUND_RATE;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = SOUND_DEVICE_FRAMES;
    want.callback = mix;
    // No obtained audio format: SDL converts to whatever the device takes, so the callback always
    // sees SOUND_RATE 16-bit stereo.
    if (SDL_OpenAudio(&want, nullptr) < 0) {
        without_device(SDL_GetError());
        return 1;
    }
    mode = LIVE;
    return 1;
}

void Sound::play() {
    pinned = false;
    snapshot_time = -1.0f;
    if (mode == LIVE)
        SDL_PauseAudio(0);
}

static unsigned int current() {
    switch (mode) {
    case LIVE:
        if (kello.time != snapshot_time) {
            snapshot = sound_heard_at(steady_us());
            snapshot_time = kello.time;
        }
        return snapshot;
    case CLOCK:
        decode_to(kello.time, nullptr);
        return decoder.position;
    case OFFLINE:
        return decoder.position;
    case SILENT:
        break;
    }
    return 0;
}

unsigned int Sound::getOrder() {
    if (pinned)
        return position = pinned_position >> 16;
    if (mode == SILENT)
        return position;
    return position = current() >> 16;
}

unsigned int Sound::getRow() {
    if (pinned)
        return position = pinned_position & 0xffff;
    if (mode == SILENT)
        return position;
    return position = current() & 0xffff;
}

void Sound::release() {
    unload();
}

void Sound::pinPosition(unsigned int order, unsigned int row) {
    pinned = true;
    pinned_position = sound_pack(order, row);
}

int Sound::openOffline() {
    position = 0;
    if (!load())
        return 0;
    mode = OFFLINE;
    return 1;
}

void Sound::advanceTo(double seconds, std::vector<short>* pcm) {
    pinned = false;
    if (mode == OFFLINE)
        decode_to(seconds, pcm);
}
