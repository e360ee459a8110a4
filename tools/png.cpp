// The PNG writer. libpng reports faults by longjmp; nothing with a destructor lives across the
// setjmp, so the jump back leaves no resource behind.
#include "tools/png.h"
#include "tools/output.h"

#include <csetjmp>
#include <png.h>

// libpng's own messages go nowhere: the caller prints one line of its own.
static void png_quiet(png_structp, png_const_charp) {}

static bool write_rows(FILE* f, const unsigned char* rgb, int w, int h) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, png_quiet);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_error_fn(png, nullptr, nullptr, png_quiet);
    png_init_io(png, f);
    png_set_IHDR(png, info, (png_uint_32)w, (png_uint_32)h, 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < h; y++)
        png_write_row(png, rgb + (size_t)y * (size_t)w * 3);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool png_write(const std::string& path, const unsigned char* rgb, int w, int h, std::string* why) {
    FILE* f = output_open(path, why);
    if (!f)
        return false;
    if (!write_rows(f, rgb, w, h)) {
        output_abandon(path, f);
        *why = "cannot encode " + path + " as PNG";
        return false;
    }
    return output_commit(path, f, why);
}
