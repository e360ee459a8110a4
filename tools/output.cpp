// Whole-or-nothing output files for the renderer. The rename is atomic on one file system, and
// NAME.part sits beside NAME, so the two always share one.
#include "tools/output.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

std::string output_part_name(const std::string& path) {
    return path + ".part";
}

static std::string fault(const std::string& what, const std::string& path) {
    return "cannot " + what + " " + path + ": " + strerror(errno);
}

FILE* output_open(const std::string& path, std::string* why) {
    FILE* f = fopen(output_part_name(path).c_str(), "wb");
    if (!f)
        *why = fault("write", path);
    return f;
}

bool output_commit(const std::string& path, FILE* f, std::string* why) {
    std::string part = output_part_name(path);
    bool written = !ferror(f);
    if (fclose(f) != 0)
        written = false;
    if (!written) {
        *why = fault("write", path);
        unlink(part.c_str());
        return false;
    }
    return output_publish(path, why);
}

bool output_publish(const std::string& path, std::string* why) {
    std::string part = output_part_name(path);
    if (rename(part.c_str(), path.c_str()) != 0) {
        *why = fault("rename " + part + " to", path);
        unlink(part.c_str());
        return false;
    }
    return true;
}

void output_abandon(const std::string& path, FILE* f) {
    if (f)
        fclose(f);
    unlink(output_part_name(path).c_str());
}

bool output_check(const std::string& path, std::string* why) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        *why = "cannot write " + path + ": it is a folder";
        return false;
    }
    FILE* f = output_open(path, why);
    if (!f)
        return false;
    output_abandon(path, f);
    return true;
}

bool output_check_dir(const std::string& dir, std::string* why) {
    if (mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST) {
        *why = fault("create the folder", dir);
        return false;
    }
    struct stat st;
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *why = "cannot write into " + dir + ": not a folder";
        return false;
    }
    if (access(dir.c_str(), W_OK) != 0) {
        *why = fault("write into", dir);
        return false;
    }
    return true;
}
