// Readers of command-line values, shared by the show and its tools: a whole argument as a
// number or as a size, or false, so that each program words its own one-line fault.
#ifndef ORDUNE_SHOW_ARGUMENTS_H
#define ORDUNE_SHOW_ARGUMENTS_H

// The whole string as a finite number (strtod's syntax), or false.
bool parse_number(const char* s, double* out);
// "WxH" (or "WXH") with both sides whole numbers in [min, max], or false.
bool parse_size(const char* s, int min, int max, int* w, int* h);

#endif
