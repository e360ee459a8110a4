// The named colours, as byte values over 255 in single precision.
#include "engine/colors.h"

Vector harmaa(190 / 255.0f, 196 / 255.0f, 0.8f);
Vector oranssi(242 / 255.0f, 103 / 255.0f, 33 / 255.0f);
Vector sininen(31 / 255.0f, 65 / 255.0f, 126 / 255.0f);
Vector punainen(0.9f, 0.3f, 0.3f);
Vector violetti(0.6f, 0.3f, 0.6f);
Vector clearcolor(0, 0, 0);
