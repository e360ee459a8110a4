// An inert music player: no module is played yet, and the position stays at order 0, row 0.
#include "engine/sound.h"

int Sound::init() {
    return 1;
}
void Sound::play() {}
static unsigned int pinned_order = 0, pinned_row = 0;
unsigned int Sound::getOrder() {
    return position = pinned_order;
}
unsigned int Sound::getRow() {
    return position = pinned_row;
}
void Sound::pinPosition(unsigned int order, unsigned int row) {
    pinned_order = order;
    pinned_row = row;
}
void Sound::release() {}
int Sound::openOffline() {
    return 1;
}
void Sound::advanceTo(double, std::vector<short>*) {}
