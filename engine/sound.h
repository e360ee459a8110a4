// The music player `sound`: plays "music.xm" from the working directory and reports the
// pattern order and row being heard. Start-up order: init, play, then the clock starts.
#ifndef ORDUNE_ENGINE_SOUND_H
#define ORDUNE_ENGINE_SOUND_H

#include <vector>

class Sound {
  public:
    unsigned int position; // the last position reported

    Sound() : position(0) {}
    // Loads the module. Returns 1; a missing or unreadable file leaves the show silent.
    int init();
    void play();
    // The index in the order list of the pattern being heard.
    unsigned int getOrder();
    // The row being heard within that pattern.
    unsigned int getRow();
    void release();

    // Makes getOrder/getRow report (order, row) until the next play, advanceTo or release;
    // for tests that drive sync tracks without music.
    void pinPosition(unsigned int order, unsigned int row);

    // Offline mode, for tools that run the show on a virtual clock without an audio device:
    // openOffline loads the module (returns 0 with one line on stderr when it cannot); advanceTo
    // renders the module up to `seconds` of show time, appending the 44100 Hz interleaved
    // stereo samples to `pcm` when it is not null, and makes getOrder/getRow report the
    // position there. Times must not go backwards.
    int openOffline();
    void advanceTo(double seconds, std::vector<short>* pcm);
};

#endif
