// The music player `sound`: plays "music.xm" from the working directory through libopenmpt and
// SDL audio, and reports the pattern order and row being heard. Start-up: init, play, clock.
#ifndef ORDUNE_ENGINE_SOUND_H
#define ORDUNE_ENGINE_SOUND_H

#include <cstddef>
#include <string>
#include <vector>

// Every run renders the same samples: these settings are pinned on every module the player
// loads (sound_open_module applies them), and the tools that check the soundtrack use them too.
enum {
    SOUND_RATE = 44100,            // frames per second, 16-bit stereo interleaved
    SOUND_SUBSONG = 0,             // the module's first subsong, played once and stopped at its end
    SOUND_FILTER_TAPS = 4,         // interpolation filter length: cubic
    SOUND_STEREO_SEPARATION = 100, // percent
    SOUND_VOLUME_RAMPING = -1,     // libopenmpt's standard ramping
    SOUND_SLICE_FRAMES = 64,       // decoder position is recorded for every slice this long
    SOUND_DEVICE_FRAMES = 512      // SDL audio buffer asked for: 11.6 ms
};

// The positions the music played in a frame: since the frame before, in playing order, as
// distinct consecutive packed positions (sound_pack), the current one last.
enum { SOUND_READING_POSITIONS = 256 };
struct SoundReading {
    unsigned long long serial; // the frame's number: one more each frame, from 1; never reset
    int count;                 // 1..SOUND_READING_POSITIONS; past that, the latest
    unsigned int positions[SOUND_READING_POSITIONS];
};

class Sound {
  public:
    unsigned int position; // the last position reported

    Sound() : position(0) {}
    // Loads the module and opens the audio device, paused. Returns 1 on every path. A missing
    // or unusable file writes one line naming it and the cause, and the position stays 0. With
    // no audio device (SDL_AUDIODRIVER=dummy, or opening fails) one line says so, and the
    // module advances silently with the show clock `kello` instead.
    int init();
    // Starts playback. Show time 0 is this moment, so the clock is started right after.
    void play();
    // The index in the order list of the pattern being heard. The position is read once a
    // frame, so all queries within a frame agree.
    unsigned int getOrder();
    // The row being heard within that pattern.
    unsigned int getRow();
    // The frame's reading, whose last position getOrder and getRow report; valid until the next
    // query. A frame is, offline, each advanceTo that moves the module, else each new clock
    // reading (kello.time) at which the position is queried. Live, the reading lists the rows
    // heard since the frame before (as the device queue's record has them, a few seconds back
    // at most); offline and without a device, the rows rendered since; pinned, the pinned
    // position alone; with nothing loaded, (position, position). Offline, an advance nobody
    // queried still counts as a frame; elsewhere the player sees only the queried ones.
    const SoundReading& reading();
    // Stops the device and frees the module. The position queries then return the last value.
    void release();

    // Live only: what the device plays is heard `ms` later than the device reports, as a user
    // measured it (a receiver, a Bluetooth link). ms in 0..1000; outside, the nearest end. Kept
    // across init and release.
    void setLatency(int ms);
    // Live only: the device stops playing; the position queries keep returning the last
    // position until resume. No effect in the other modes.
    void pause();
    // Stops the device's playback and loads the module anew from its start, from the bytes init
    // or openOffline read, into offline mode: advanceTo then moves it as after openOffline.
    // Does nothing with no module loaded.
    void rewind();
    // Plays on from where advanceTo or pause left the module: through the device when init
    // opened one, else following kello as without a device. Set kello.time first to the time
    // the module stands at (the time advanceTo last moved it to; after a pause, the clock's
    // reading when paused, which the module leads by at most one device buffer): the clock and
    // the music then run together as after play(), and until the device sounds the first new
    // buffer the queries report the position held at resume. Does nothing with no module
    // loaded or while already playing live.
    void resume();

    // Makes getOrder/getRow report (order, row) until the next init, openOffline, play,
    // advanceTo, rewind, resume or release; for tests that drive sync tracks without music.
    void pinPosition(unsigned int order, unsigned int row);

    // Offline mode, for tools that run the show on a virtual clock without an audio device:
    // openOffline loads the module (returns 0, printing nothing, when it cannot: *cause, when
    // not null, is then one line such as "music.xm: No such file or directory"); advanceTo
    // renders the module up to `seconds` of show time, appending the SOUND_RATE interleaved
    // stereo samples to `pcm` when it is not null, and makes getOrder/getRow report the
    // position there. Times must not go backwards; an earlier time renders nothing. Past the
    // song's end the samples are silence and the position stays at the last row played.
    int openOffline(std::string* cause = nullptr);
    void advanceTo(double seconds, std::vector<short>* pcm);
};

// Modules with the pinned settings. libopenmpt's own handle; free it with
// openmpt_module_destroy.
struct openmpt_module;
// Reads and checks an XM file and loads it. Returns null and sets *cause to a short phrase
// ("no such file", "truncated: ...") when it cannot.
openmpt_module* sound_open_module(const char* path, std::string* cause);
// The structural check sound_open_module makes before libopenmpt sees the bytes (which would
// play a cut-off file as far as it goes): "" when every pattern and sample the headers
// declare lies within the bytes, else the cause.
std::string sound_check_xm(const unsigned char* bytes, size_t size);

// The player's position as one number, (order << 16) | row.
inline unsigned int sound_pack(unsigned int order, unsigned int row) {
    return (order << 16) | row;
}

// The live path without a device, for tests. sound_feed does what the audio callback does
// with a buffer of `frames` handed over at time at_us (microseconds on any steady clock):
// renders the loaded module into it, recording the position of each slice. sound_heard_at
// says which position is being heard at at_us. The device still holds one period (the buffer
// SDL reported on opening, SOUND_DEVICE_FRAMES with no device) when a buffer is handed over,
// and the user's latency (setLatency) follows; so the frame heard is the buffer's first frame
// plus the frames played since its hand-over (at most its length less one: a device that stops
// asking holds there), less the period, less the latency. Until that frame reaches the first
// one played (0, or where resume started), the position play or resume started from.
void sound_feed(short* out, int frames, long long at_us);
unsigned int sound_heard_at(long long at_us);

// The music player, one for the whole run.
extern Sound sound;

#endif
