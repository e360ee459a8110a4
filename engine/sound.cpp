// An inert music player: no module is played yet, and the position stays at order 0, row 0.
#include "engine/sound.h"

int Sound::init() {
    return 1;
}
void Sound::play() {}
unsigned int Sound::getOrder() {
    return position = 0;
}
unsigned int Sound::getRow() {
    return position = 0;
}
void Sound::release() {}
int Sound::openOffline() {
    return 1;
}
void Sound::advanceTo(double, std::vector<short>*) {}
