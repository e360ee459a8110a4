// The shared readers of command-line values.
#include "show/arguments.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

bool parse_number(const char* s, double* out) {
    char* end;
    errno = 0;
    double v = strtod(s, &end);
    if (end == s || *end != '\0' || errno == ERANGE || !std::isfinite(v))
        return false;
    *out = v;
    return true;
}

bool parse_size(const char* s, int min, int max, int* w, int* h) {
    char* end;
    long a = strtol(s, &end, 10);
    if (end == s || (*end != 'x' && *end != 'X'))
        return false;
    const char* second = end + 1;
    long b = strtol(second, &end, 10);
    if (end == second || *end != '\0')
        return false;
    if (a < min || a > max || b < min || b > max)
        return false;
    *w = (int)a;
    *h = (int)b;
    return true;
}
