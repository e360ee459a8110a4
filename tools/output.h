// Output files that appear whole or not at all: each is written as NAME.part and renamed to
// NAME once complete, so an interrupted or failed render never leaves a finished-looking file.
#ifndef ORDUNE_TOOLS_OUTPUT_H
#define ORDUNE_TOOLS_OUTPUT_H

#include <cstdio>
#include <string>

// Opens path.part for writing. On failure returns null and sets why to one line.
FILE* output_open(const std::string& path, std::string* why);
// Closes f, checking that every byte reached the disk, and renames path.part to path. On
// failure removes path.part, returns false and sets why.
bool output_commit(const std::string& path, FILE* f, std::string* why);
// The name a file is written under until complete, for writers in other processes.
std::string output_part_name(const std::string& path);
// Renames a complete path.part, written by another process, to path. Removes it and sets why
// on failure.
bool output_publish(const std::string& path, std::string* why);
// Closes f (when not null) and removes path.part.
void output_abandon(const std::string& path, FILE* f);
// Whether path can be written, checked before a long render starts: creates and removes
// path.part. Sets why on failure.
bool output_check(const std::string& path, std::string* why);
// Creates the folder when missing and checks that files can be made in it.
bool output_check_dir(const std::string& dir, std::string* why);

#endif
