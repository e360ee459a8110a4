// Sync: an event track keyed to the music's pattern order and row, whose pulses decay by the
// show clock. Scenes build tracks in _init (new, then add), read them once a frame, delete in
// _free.
#ifndef ORDUNE_ENGINE_SYNC_H
#define ORDUNE_ENGINE_SYNC_H

#include <vector>

// Each event fires at the first getValue() that finds the music at its (order, row), or finds
// that the music played that row since the track's getValue() in the frame before (so a slow
// frame loses no cue: every row played in between fires, in playing order). A fired event
// contributes a pulse that is 1 at the firing millisecond and falls linearly to 0 over its
// duration. getValue() reads the position from the global player `sound` (row first, then
// order, then the rows played since its reading before) and the time from the global clock
// `kello` (seconds, truncated to whole ms). Tests drive both: set `kello.time`, and pin the
// position with `sound.pinPosition(order, row)` or play a module offline.
//
// All slots take part, not only the filled ones: an unfilled slot is the event (0, 0, 0) and
// fires at order 0, row 0 like any other. Each event fires at most once per run. A row that
// passes while the track is not read (before its first read, or while its scene is not drawn
// for a frame or more) is missed for good. Used from the main thread only.
class Sync {
  public:
    int activated; // 1 when the latest getValue() fired at least one event
    int capacity;  // number of slots, fixed at construction
    int count;     // add() calls so far; keeps counting past capacity
    // capacity ints each, owned by the track, zero after construction.
    int* eventOrder;    // pattern-order index at which the event fires
    int* eventRow;      // row within that pattern
    int* eventDuration; // pulse length, ms
    int* eventStart;    // clock ms at which it fired
    int* eventEnd;      // eventStart + eventDuration
    int* eventFired;    // 0 until it fires, then 1 for good

    const char* scene; // the name of the scene that made the track, "" for none; not owned

    // A negative capacity is taken as 0: a track with no slots, whose value is always 0. A scene
    // names itself (`new Sync(8, "virta")`), so that the cue sheet knows whose track it is.
    explicit Sync(int capacity, const char* scene = "");
    ~Sync();
    Sync(const Sync&) = delete;
    Sync& operator=(const Sync&) = delete;

    // Stores the event in slot `count` while there is room; an add past capacity is dropped.
    // duration in ms.
    void add(int order, int row, int duration);
    // Fires the events at the current position and at those played since the track's previous
    // read, each starting its pulse now; then returns the sum of live pulses capped at 1, in
    // [0, 1].
    float getValue();
    // activated as the latest getValue() left it.
    int getActivated();

  private:
    unsigned long long lastReading; // the player's reading at the latest getValue(), 0 for none
    void fire(int order, int row, int now);
};

// Every track alive, in construction order: a track joins the list when constructed and leaves
// it when deleted. For tools that list the show's cues.
const std::vector<const Sync*>& sync_tracks();

#endif
