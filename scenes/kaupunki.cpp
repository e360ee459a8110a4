// Scene kaupunki: not drawn yet; its window on the timeline is already reserved.
#include "scenes/scenes.h"

void kaupunki_init() {}
void kaupunki(float) {}
void kaupunki_free() {}
