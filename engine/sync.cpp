// Event tracks: fire on the music's order and row, or on the rows played since the frame
// before, then decay by the show clock in whole milliseconds, the main loop's truncation.
#include "engine/sync.h"
#include "engine/position.h"
#include "engine/sound.h"
#include "engine/timer.h"

#include <cstring>

static int* zeroed(int n) {
    int* a = new int[n];
    memset(a, 0, sizeof(int) * n);
    return a;
}

// Built on first use, so tracks constructed during static initialisation find it ready.
static std::vector<const Sync*>& registry() {
    static std::vector<const Sync*> tracks;
    return tracks;
}

const std::vector<const Sync*>& sync_tracks() {
    return registry();
}

Sync::Sync(int capacity, const char* scene)
    : activated(0), capacity(capacity < 0 ? 0 : capacity), count(0), scene(scene), lastReading(0) {
    registry().push_back(this);
    eventOrder = zeroed(this->capacity);
    eventRow = zeroed(this->capacity);
    eventDuration = zeroed(this->capacity);
    eventStart = zeroed(this->capacity);
    eventEnd = zeroed(this->capacity);
    eventFired = zeroed(this->capacity);
}

// The arrays of a zero-capacity track are empty allocations; they are released all the same.
Sync::~Sync() {
    std::vector<const Sync*>& tracks = registry();
    for (size_t i = 0; i < tracks.size(); i++)
        if (tracks[i] == this) {
            tracks.erase(tracks.begin() + (long)i);
            break;
        }
    delete[] eventOrder;
    delete[] eventRow;
    delete[] eventDuration;
    delete[] eventStart;
    delete[] eventEnd;
    delete[] eventFired;
}

void Sync::add(int order, int row, int duration) {
    if (count < capacity) {
        eventOrder[count] = order;
        eventRow[count] = row;
        eventDuration[count] = duration;
    }
    count++;
}

void Sync::fire(int order, int row, int now) {
    for (int i = 0; i < capacity; i++) {
        if (eventOrder[i] == order && eventRow[i] == row && eventFired[i] == 0) {
            activated = 1;
            eventFired[i] = 1;
            eventStart[i] = now;
            eventEnd[i] = now + eventDuration[i];
        }
    }
}

float Sync::getValue() {
    int row = (int)sound.getRow();
    int order = (int)sound.getOrder();
    const SoundReading& reading = sound.reading();
    int now = (int)(kello.time * 1000.0f);

    // Read at the reading before, the track has seen every row up to it: the rows played since
    // come before the current one. Otherwise (a first read, a frame or more not read, a second
    // read in the frame) only the current one counts.
    int first = lastReading != 0 && reading.serial == lastReading + 1 ? 0 : reading.count - 1;
    lastReading = reading.serial;
    activated = 0;
    for (int k = first; k < reading.count - 1; k++)
        fire((int)(reading.positions[k] >> 16), (int)(reading.positions[k] & 0xffff), now);
    fire(order, row, now);

    float sum = 0.0f;
    for (int i = 0; i < capacity; i++)
        if (eventFired[i] == 1)
            sum += 1.0f - calcPosInt(now, eventStart[i], eventEnd[i]);
    return sum > 1.0f ? 1.0f : sum;
}

int Sync::getActivated() {
    return activated;
}
