// Molecules: none are built yet.
#include "molecules/molecules.h"

void molekyyli_init() {}
void molekyyli_free() {}
