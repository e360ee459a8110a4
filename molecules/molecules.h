// The four molecules drawn as flat line drawings.
#ifndef ORDUNE_MOLECULES_MOLECULES_H
#define ORDUNE_MOLECULES_MOLECULES_H

void molekyyli_init();
void molekyyli_free();

#endif
