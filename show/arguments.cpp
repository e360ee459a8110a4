// The shared readers of command-line values.
#include "show/arguments.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <cstring>

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

bool parse_rate(const char* s, FrameRate* rate) {
    // The broadcast rates, written as their rounded decimals.
    static const struct {
        const char* text;
        long num;
    } ntsc[] = {{"23.976", 24000}, {"29.97", 30000}, {"59.94", 60000}};
    for (const auto& r : ntsc)
        if (strcmp(s, r.text) == 0) {
            *rate = {r.num, 1001};
            return true;
        }
    long num, den = 1;
    const char* slash = strchr(s, '/');
    if (slash) {
        std::string top(s, slash);
        char* end;
        num = strtol(top.c_str(), &end, 10);
        if (top.empty() || *end != '\0')
            return false;
        den = strtol(slash + 1, &end, 10);
        if (end == slash + 1 || *end != '\0')
            return false;
    } else {
        // A decimal, exactly: its digits over a power of ten, at most six after the point.
        double v;
        const char* point = strchr(s, '.');
        size_t decimals = point ? strlen(point + 1) : 0;
        if (!parse_number(s, &v) || decimals > 6 || strpbrk(s, "eExXpP"))
            return false;
        for (size_t i = 0; i < decimals; i++)
            den *= 10;
        num = lround(v * (double)den);
    }
    if (num <= 0 || den <= 0 || num > 1000 * den)
        return false;
    long a = num, b = den;
    while (b) {
        long t = a % b;
        a = b;
        b = t;
    }
    *rate = {num / a, den / a};
    return true;
}

ArgStep next_argument(ArgReader* r, std::string* name, std::string* value, std::string* fault) {
    if (r->next >= r->argc)
        return ARG_DONE;
    std::string arg = r->argv[r->next++];
    size_t eq = arg.find('=');
    std::string head = arg.substr(0, eq);
    bool takes_value = false;
    for (const char* const* v = r->valued; *v; v++)
        takes_value |= head == *v;
    value->clear();
    if (!takes_value) {
        *name = arg;
        return ARG_OPTION;
    }
    *name = head;
    if (eq != std::string::npos) {
        *value = arg.substr(eq + 1);
    } else if (r->next < r->argc) {
        *value = r->argv[r->next++];
    } else {
        *fault = head + " needs a value";
        return ARG_FAULT;
    }
    return ARG_OPTION;
}

int usage_fault(const char* tool, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    fprintf(stderr, "%s: ", tool);
    vfprintf(stderr, fmt, ap);
    fprintf(stderr, " (see %s --help)\n", tool);
    va_end(ap);
    return 2;
}
