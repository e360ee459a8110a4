// The scenes' entry points. Each scene has three: name_init() builds its data before the clock
// starts, name(pos) draws one frame at pos 0..1 through its window, name_free() releases what
// name_init built. The scheduled ten run on the timeline; rata, neuronit, kellu and runko are
// built into the show but no window draws them.
#ifndef ORDUNE_SCENES_SCENES_H
#define ORDUNE_SCENES_SCENES_H

#define ORDUNE_SCENE(name)                                                                         \
    void name##_init();                                                                            \
    void name(float pos);                                                                          \
    void name##_free();

ORDUNE_SCENE(alku)
ORDUNE_SCENE(rakenne)
ORDUNE_SCENE(viivatus)
ORDUNE_SCENE(pyorre)
ORDUNE_SCENE(ruutu)
ORDUNE_SCENE(kasvu)
ORDUNE_SCENE(aukko)
ORDUNE_SCENE(perhonen)
ORDUNE_SCENE(virta)
ORDUNE_SCENE(kaupunki)
ORDUNE_SCENE(rata)
ORDUNE_SCENE(neuronit)
ORDUNE_SCENE(kellu)
ORDUNE_SCENE(runko)

#undef ORDUNE_SCENE

#endif
