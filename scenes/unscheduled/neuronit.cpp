// Scene neuronit, which no timeline window draws: not drawn yet.
#include "scenes/scenes.h"

void neuronit_init() {}
void neuronit(float) {}
void neuronit_free() {}
