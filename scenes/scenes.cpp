// The show's scenes in one table: names, windows, drawing and start-up order. The show, the
// tools and the tests all take their list of scenes from here.
#include "scenes/scenes.h"

#include <cstring>
#include <string>

// The build order is part of what the show draws: viivatus_init takes its random numbers from
// where pyorre_init left the shared generator, and kellu_init from where virta_init left it.
const SceneEntry scenes[SCENE_COUNT] = {
    {"alku", alku_init, alku, alku_free, {0, 23500}, 6},
    {"rakenne", rakenne_init, rakenne, rakenne_free, {20000, 40000}, 1},
    {"viivatus", viivatus_init, viivatus, viivatus_free, {39500, 59800}, 3},
    {"pyorre", pyorre_init, pyorre, pyorre_free, {59000, 79000}, 2},
    {"ruutu", ruutu_init, ruutu, ruutu_free, {79000, 102000}, 4},
    {"kasvu", kasvu_init, kasvu, kasvu_free, {101000, 124000}, 0},
    {"aukko", aukko_init, aukko, aukko_free, {124000, 141000}, 5},
    {"perhonen", perhonen_init, perhonen, perhonen_free, {140000, 162000}, 7},
    {"virta", virta_init, virta, virta_free, {159000, 180000}, 9},
    {"kaupunki", kaupunki_init, kaupunki, kaupunki_free, {178800, 200000}, 8},
    {"rata", rata_init, rata, rata_free, {-1, -1}, -1},
    {"neuronit", neuronit_init, neuronit, neuronit_free, {-1, -1}, -1},
    {"kellu", kellu_init, kellu, kellu_free, {-1, -1}, 10},
    {"runko", runko_init, runko, runko_free, {-1, -1}, -1},
};

const SceneEntry* scene_find(const char* name) {
    for (const SceneEntry& s : scenes)
        if (strcmp(s.name, name) == 0)
            return &s;
    return nullptr;
}

const char* scene_names() {
    static std::string names;
    if (names.empty())
        for (const SceneEntry& s : scenes)
            names += (names.empty() ? "" : ", ") + std::string(s.name);
    return names.c_str();
}
