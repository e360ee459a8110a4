// ordune-lettering: the build-time generator of the lettering pictures and glyph sheets. Renders
// each entry of the input file with FreeType into a black picture whose alpha is the coverage.
//
//   ordune-lettering INPUT FONTDIR OUTPUT.cpp [PREVIEWDIR]
//
// INPUT is a list of entries, each a header line followed by its text lines:
//   picture SYMBOL WIDTH HEIGHT FONTFILE [HEADINGFONTFILE]
// HEADINGFONTFILE, when given, sets the first line (in the same size and line spacing).
// Lines starting with '#' are comments; blank lines inside a picture are empty text lines
// (blank lines at its end are dropped). Every picture's text is set in one size, the largest
// whose ink fits inside the picture less a margin, each line centred on its own ink, the block
// centred as a whole.
//   glyphs SYMBOL CELLWIDTH CELLHEIGHT FONTFILE
// followed by one line of distinct printable ASCII characters (not starting with '#'): a glyph
// sheet, one row of equal cells in the order of that line. All glyphs are set in one size, the
// largest at which the ink of every one fits a cell, on one baseline, the union of their ink
// centred in the cell. OUTPUT.cpp defines each SYMBOL as an image blob (engine/texture.h); a glyph
// sheet's SYMBOL is declared there too, with SYMBOL_chars, its characters as a string, cell k
// holding the k-th. PREVIEWDIR, if given, receives SYMBOL.png (the picture, dark on white) and a
// magnified SYMBOL-x4.png.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// Empty pixels kept round the ink: the anti-aliased rim must not touch the picture's edge,
// which the texture wraps onto the opposite edge when it is filtered.
static const int margin = 1;
// The font sizes searched, in 26.6 pixels: from one pixel up to twice the picture's height.
static const long size_min = 64;
// Magnification of the second preview, for looking at the small pictures pixel by pixel.
static const int preview_zoom = 4;

__attribute__((format(printf, 1, 2), noreturn)) static void fail(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    fprintf(stderr, "ordune-lettering: ");
    vfprintf(stderr, fmt, ap);
    fprintf(stderr, "\n");
    va_end(ap);
    exit(1);
}

struct Picture {
    std::string symbol, font, heading_font; // heading_font: empty for none
    bool glyph_sheet = false;               // a glyphs entry: width and height are one cell's
    int width = 0, height = 0;
    std::vector<std::string> lines;
    int line_number = 0; // of the header, for messages
};

static const char* kind(const Picture& p) {
    return p.glyph_sheet ? "glyph sheet" : "picture";
}

// A coverage image, one byte a pixel, top row first.
struct Canvas {
    int width, height;
    std::vector<uint8_t> a;
    Canvas(int w, int h) : width(w), height(h), a((size_t)w * (size_t)h, 0) {}
};

// A glyph sheet holds one line of distinct printable ASCII characters, each a byte the engine
// can look up directly, and fits the widest texture any driver takes.
static void check_glyph_line(const char* path, const Picture& p) {
    if (p.lines.size() != 1)
        fail("%s:%d: glyph sheet %s wants exactly one line of characters", path, p.line_number,
             p.symbol.c_str());
    const std::string& chars = p.lines[0];
    for (size_t i = 0; i < chars.size(); i++)
        if (chars[i] < 32 || chars[i] > 126 || chars.find(chars[i]) != i)
            fail("%s:%d: glyph sheet %s: character %zu is not printable ASCII or is repeated", path,
                 p.line_number + 1, p.symbol.c_str(), i + 1);
    if (chars.size() * (size_t)p.width > 4096)
        fail("%s:%d: glyph sheet %s is wider than 4096 pixels", path, p.line_number,
             p.symbol.c_str());
}

static std::vector<Picture> read_pictures(const char* path) {
    FILE* f = fopen(path, "r");
    if (!f)
        fail("cannot open %s: %s", path, strerror(errno));
    std::vector<Picture> pictures;
    char buf[1024];
    int number = 0;
    while (fgets(buf, sizeof buf, f)) {
        number++;
        std::string line(buf);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        if (!line.empty() && line[0] == '#')
            continue;
        if (line.compare(0, 8, "picture ") == 0) {
            Picture p;
            char symbol[128], font[256], heading[256] = "";
            char extra;
            int n = sscanf(line.c_str(), "picture %127s %d %d %255s %255s %c", symbol, &p.width,
                           &p.height, font, heading, &extra);
            if (n != 4 && n != 5)
                fail("%s:%d: expected \"picture SYMBOL WIDTH HEIGHT FONTFILE [HEADINGFONTFILE]\"",
                     path, number);
            if (p.width <= 2 * margin || p.height <= 2 * margin || p.width > 4096 ||
                p.height > 4096)
                fail("%s:%d: picture size %dx%d is outside %dx%d..4096x4096", path, number, p.width,
                     p.height, 2 * margin + 1, 2 * margin + 1);
            p.symbol = symbol;
            p.font = font;
            p.heading_font = heading;
            p.line_number = number;
            pictures.push_back(p);
        } else if (line.compare(0, 7, "glyphs ") == 0) {
            Picture p;
            char symbol[128], font[256];
            char extra;
            int n = sscanf(line.c_str(), "glyphs %127s %d %d %255s %c", symbol, &p.width, &p.height,
                           font, &extra);
            if (n != 4)
                fail("%s:%d: expected \"glyphs SYMBOL CELLWIDTH CELLHEIGHT FONTFILE\"", path,
                     number);
            if (p.width < 1 || p.height < 1 || p.width > 256 || p.height > 256)
                fail("%s:%d: cell size %dx%d is outside 1x1..256x256", path, number, p.width,
                     p.height);
            p.symbol = symbol;
            p.font = font;
            p.glyph_sheet = true;
            p.line_number = number;
            pictures.push_back(p);
        } else if (!pictures.empty()) {
            pictures.back().lines.push_back(line);
        } else if (!line.empty()) {
            fail("%s:%d: text before the first picture line", path, number);
        }
    }
    fclose(f);
    for (Picture& p : pictures) {
        while (!p.lines.empty() && p.lines.back().empty())
            p.lines.pop_back();
        if (p.lines.empty())
            fail("%s:%d: %s %s has no text", path, p.line_number, kind(p), p.symbol.c_str());
        if (p.glyph_sheet)
            check_glyph_line(path, p);
    }
    if (pictures.empty())
        fail("%s: no pictures", path);
    return pictures;
}

// The code points of a UTF-8 line.
static std::vector<uint32_t> decode_utf8(const std::string& s, const Picture& p) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = (unsigned char)s[i];
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + (size_t)extra >= s.size() + (extra ? 0 : 1))
            fail("picture %s: the text \"%s\" is not UTF-8", p.symbol.c_str(), s.c_str());
        uint32_t cp = extra ? c & (0x3F >> extra) : c;
        for (int k = 1; k <= extra; k++) {
            unsigned char d = (unsigned char)s[i + k];
            if ((d >> 6) != 2)
                fail("picture %s: the text \"%s\" is not UTF-8", p.symbol.c_str(), s.c_str());
            cp = (cp << 6) | (d & 0x3F);
        }
        out.push_back(cp);
        i += (size_t)extra + 1;
    }
    return out;
}

// One rendered glyph, placed in layout pixels (x right, y down, first baseline at y = 0).
struct Placed {
    int x, y, w, h;
    std::vector<uint8_t> a;
};

struct Layout {
    std::vector<Placed> glyphs;
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0; // ink bounds, exclusive at x1, y1
    bool ink = false;
};

static void add_ink(Layout& l, int x0, int y0, int x1, int y1) {
    if (!l.ink) {
        l.x0 = x0, l.y0 = y0, l.x1 = x1, l.y1 = y1;
        l.ink = true;
        return;
    }
    l.x0 = std::min(l.x0, x0), l.y0 = std::min(l.y0, y0);
    l.x1 = std::max(l.x1, x1), l.y1 = std::max(l.y1, y1);
}

// Renders the glyph `index` (for code point cp) of face at its current size, the pen at pen
// (26.6) on the baseline row. The outline is shifted by the pen's fraction of a pixel first, so
// only whole pixels are left to place. Fills *out and says whether the glyph has ink; the glyph
// stays loaded in face->glyph, for its advance.
static bool render_glyph(FT_Face face, uint32_t cp, FT_UInt index, long pen, int baseline,
                         Placed* out) {
    if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_LIGHT | FT_LOAD_NO_BITMAP))
        fail("%s: cannot load the glyph for U+%04X", face->family_name, (unsigned)cp);
    FT_GlyphSlot g = face->glyph;
    long whole = pen & ~63L;
    if (g->format == FT_GLYPH_FORMAT_OUTLINE)
        FT_Outline_Translate(&g->outline, pen - whole, 0);
    if (FT_Render_Glyph(g, FT_RENDER_MODE_LIGHT))
        fail("%s: cannot render the glyph for U+%04X", face->family_name, (unsigned)cp);
    const FT_Bitmap& b = g->bitmap;
    if (b.width == 0 || b.rows == 0)
        return false;
    out->x = (int)(whole >> 6) + g->bitmap_left;
    out->y = baseline - g->bitmap_top;
    out->w = (int)b.width;
    out->h = (int)b.rows;
    out->a.resize((size_t)out->w * (size_t)out->h);
    for (int r = 0; r < out->h; r++)
        memcpy(&out->a[(size_t)r * out->w], b.buffer + (ptrdiff_t)r * b.pitch, (size_t)out->w);
    return true;
}

// Sets the lines at size (26.6 pixels per em). Glyphs are hinted vertically only, so stems
// and baselines sit on whole pixels while the pen advances by the unhinted widths; each glyph
// is shifted by the pen's fraction of a pixel before it is rendered, so the spacing stays even.
// faces[i] sets line i; the line spacing is that of the last line's font, the body text's.
static Layout set_text(const std::vector<FT_Face>& faces,
                       const std::vector<std::vector<uint32_t>>& lines, long size) {
    for (FT_Face face : faces)
        if (FT_Set_Char_Size(face, 0, size, 72, 72))
            fail("%s: cannot set the size %.2f px", face->family_name, size / 64.0);
    long pitch = faces.back()->size->metrics.height; // 26.6, the font's own line spacing
    Layout block;
    for (size_t li = 0; li < lines.size(); li++) {
        FT_Face face = faces[li];
        Layout line;
        int baseline = (int)((pitch * (long)li + 32) >> 6);
        long pen = 0; // 26.6
        FT_UInt previous = 0;
        for (uint32_t cp : lines[li]) {
            FT_UInt index = FT_Get_Char_Index(face, cp);
            if (FT_HAS_KERNING(face) && previous && index) {
                FT_Vector k;
                if (!FT_Get_Kerning(face, previous, index, FT_KERNING_UNFITTED, &k))
                    pen += k.x;
            }
            previous = index;
            Placed p;
            if (render_glyph(face, cp, index, pen, baseline, &p)) {
                add_ink(line, p.x, p.y, p.x + p.w, p.y + p.h);
                line.glyphs.push_back(std::move(p));
            }
            pen += face->glyph->linearHoriAdvance >> 10; // 16.16 to 26.6
        }
        if (!line.ink)
            continue; // an empty line only takes its place in the pitch
        // Centre the line on its own ink; whole pixels keep the hinted rows crisp.
        int shift = -((line.x0 + line.x1) >> 1);
        for (Placed& p : line.glyphs) {
            p.x += shift;
            block.glyphs.push_back(std::move(p));
        }
        add_ink(block, line.x0 + shift, line.y0, line.x1 + shift, line.y1);
    }
    return block;
}

// Whether the ink lies inside w x h less m pixels on every side.
static bool fits(const Layout& l, int w, int h, int m) {
    return l.ink && l.x1 - l.x0 <= w - 2 * m && l.y1 - l.y0 <= h - 2 * m;
}

// The largest size (26.6) at which set(size) fits w x h less m pixels on every side. Ink grows
// with the size, give or take a pixel of hinting, so a bisection finds it; only sizes that were
// seen to fit are kept.
template <class Set>
static long largest_size(const Picture& p, int w, int h, int m, const Set& set) {
    if (!fits(set(size_min), w, h, m))
        fail("%s %s: the text does not fit %dx%d even at 1 px", kind(p), p.symbol.c_str(), w, h);
    long lo = size_min, hi = 2L * h * 64;
    while (hi - lo > 1) {
        long mid = (lo + hi) / 2;
        if (fits(set(mid), w, h, m))
            lo = mid;
        else
            hi = mid;
    }
    return lo;
}

// Paints the glyphs of l into c, each moved by (ox, oy).
static void paint(Canvas& c, const Layout& l, int ox, int oy) {
    for (const Placed& g : l.glyphs)
        for (int r = 0; r < g.h; r++)
            for (int col = 0; col < g.w; col++) {
                uint8_t& dst = c.a[(size_t)(g.y + oy + r) * c.width + (size_t)(g.x + ox + col)];
                // Neighbouring glyphs may overlap by a pixel; the union of their ink is wanted,
                // not a darker seam.
                dst = std::max(dst, g.a[(size_t)r * g.w + col]);
            }
}

static FT_Face open_face(FT_Library lib, const char* fontdir, const std::string& file,
                         const Picture& p) {
    std::string path = std::string(fontdir) + "/" + file;
    FT_Face face;
    if (FT_New_Face(lib, path.c_str(), 0, &face))
        fail("%s %s: cannot open the font %s", kind(p), p.symbol.c_str(), path.c_str());
    return face;
}

static void check_glyphs(FT_Face face, const std::vector<uint32_t>& cps, const Picture& p) {
    for (uint32_t cp : cps)
        if (!FT_Get_Char_Index(face, cp))
            fail("%s %s: the font %s has no glyph for U+%04X", kind(p), p.symbol.c_str(),
                 face->family_name, (unsigned)cp);
}

static Canvas render_picture(FT_Library lib, const char* fontdir, const Picture& p) {
    FT_Face body = open_face(lib, fontdir, p.font, p);
    FT_Face heading = p.heading_font.empty() ? nullptr : open_face(lib, fontdir, p.heading_font, p);
    std::vector<FT_Face> faces;
    std::vector<std::vector<uint32_t>> lines;
    for (const std::string& s : p.lines) {
        faces.push_back(heading && faces.empty() ? heading : body);
        lines.push_back(decode_utf8(s, p));
        check_glyphs(faces.back(), lines.back(), p);
    }
    long size = largest_size(p, p.width, p.height, margin,
                             [&](long s) { return set_text(faces, lines, s); });
    Layout l = set_text(faces, lines, size);
    FT_Done_Face(body);
    if (heading)
        FT_Done_Face(heading);

    Canvas c(p.width, p.height);
    paint(c, l, (p.width - (l.x1 - l.x0)) / 2 - l.x0, (p.height - (l.y1 - l.y0)) / 2 - l.y0);
    fprintf(stderr, "ordune-lettering: %s %dx%d: %s at %.2f px, ink %dx%d\n", p.symbol.c_str(),
            p.width, p.height, p.font.c_str(), size / 64.0, l.x1 - l.x0, l.y1 - l.y0);
    return c;
}

// Sets every character with its pen at the origin of its own cell, cell k starting at
// x = k * cell_width, all on the baseline y = 0. The ink bounds are the union of the glyphs'
// ink within a cell, so they say how large a cell the set needs.
static Layout set_glyphs(FT_Face face, const std::vector<uint32_t>& chars, int cell_width,
                         long size) {
    if (FT_Set_Char_Size(face, 0, size, 72, 72))
        fail("%s: cannot set the size %.2f px", face->family_name, size / 64.0);
    Layout l;
    for (size_t k = 0; k < chars.size(); k++) {
        Placed g;
        if (!render_glyph(face, chars[k], FT_Get_Char_Index(face, chars[k]), 0, 0, &g))
            continue;
        add_ink(l, g.x, g.y, g.x + g.w, g.y + g.h);
        g.x += (int)k * cell_width;
        l.glyphs.push_back(std::move(g));
    }
    return l;
}

// A glyph sheet: the characters in one row of cells, all in the largest size whose ink fits a
// cell, the union of their ink centred in it, so every cell has its baseline on the same row.
static Canvas render_glyph_sheet(FT_Library lib, const char* fontdir, const Picture& p) {
    FT_Face face = open_face(lib, fontdir, p.font, p);
    std::vector<uint32_t> chars = decode_utf8(p.lines[0], p);
    check_glyphs(face, chars, p);
    // Cells are drawn 1:1 and sampled texel for texel, so ink may reach the cell's edge.
    long size = largest_size(p, p.width, p.height, 0,
                             [&](long s) { return set_glyphs(face, chars, p.width, s); });
    Layout l = set_glyphs(face, chars, p.width, size);
    FT_Done_Face(face);

    Canvas c(p.width * (int)chars.size(), p.height);
    int oy = (p.height - (l.y1 - l.y0)) / 2 - l.y0;
    paint(c, l, (p.width - (l.x1 - l.x0)) / 2 - l.x0, oy);
    fprintf(stderr, "ordune-lettering: %s %zu cells of %dx%d: %s at %.2f px, baseline row %d\n",
            p.symbol.c_str(), chars.size(), p.width, p.height, p.font.c_str(), size / 64.0, oy);
    return c;
}

// A glyph sheet is not among the engine header's pictures: its blob and its characters are
// declared here, which also gives the constant arrays external linkage.
static void write_glyph_declarations(FILE* f, const Picture& p) {
    const char* sym = p.symbol.c_str();
    fprintf(
        f,
        "\n// %s: a glyph sheet, one row of %dx%d-pixel cells, cell k holding %s_chars[k].\n"
        "extern const uint32_t %s[];\nextern const char %s_chars[];\nconst char %s_chars[] = \"",
        sym, p.width, p.height, sym, sym, sym, sym);
    for (char ch : p.lines[0]) {
        if (ch == '"' || ch == '\\' || ch == '?') // '?' too, so that no "??" reads as a trigraph
            fputc('\\', f);
        fputc(ch, f);
    }
    fputs("\";\n", f);
}

// The blob words are written through BE(), which stores a number so that its bytes lie
// big-endian in memory on any host; a pixel's coverage then lands in its A byte.
static void write_source(const char* path, const char* input, const std::vector<Picture>& ps,
                         const std::vector<Canvas>& cs) {
    FILE* f = fopen(path, "w");
    if (!f)
        fail("cannot write %s: %s", path, strerror(errno));
    fprintf(f,
            "// The lettering pictures as image blobs, written by ordune-lettering from %s.\n"
            "// Generated at build time; edit the input text instead.\n"
            "#include \"engine/texture.h\"\n\n"
            "#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__\n"
            "#define BE(x) ((((x)&0xFFu) << 24) | (((x)&0xFF00u) << 8) | (((x) >> 8) & 0xFF00u) | "
            "((x) >> 24))\n"
            "#else\n"
            "#define BE(x) (x)\n"
            "#endif\n",
            input);
    for (size_t i = 0; i < ps.size(); i++) {
        const Canvas& c = cs[i];
        if (ps[i].glyph_sheet)
            write_glyph_declarations(f, ps[i]);
        fprintf(f, "\nconst uint32_t %s[] = {\nBE(%du), BE(%du), BE(4u),\n", ps[i].symbol.c_str(),
                c.width, c.height);
        for (int y = 0; y < c.height; y++) {
            for (int x = 0; x < c.width; x++) {
                unsigned v = c.a[(size_t)y * c.width + x];
                if (v)
                    fprintf(f, "BE(%uu),", v);
                else
                    fputs("0,", f);
            }
            fputc('\n', f);
        }
        // The engine's header fixes each picture's bound; a picture of another size stops here.
        fprintf(f, "0};\nstatic_assert(sizeof %s / sizeof %s[0] == %d + 1, \"%s is not %dx%d\");\n",
                ps[i].symbol.c_str(), ps[i].symbol.c_str(), 3 + c.width * c.height,
                ps[i].symbol.c_str(), c.width, c.height);
    }
    if (fclose(f))
        fail("cannot write %s: %s", path, strerror(errno));
}

// PNG: an 8-bit grey image in stored (uncompressed) deflate blocks, which needs no zlib.
static uint32_t crc32(const uint8_t* p, size_t n, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < n; i++) {
        crc ^= p[i];
        for (int k = 0; k < 8; k++)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

static void put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int s = 24; s >= 0; s -= 8)
        v.push_back((uint8_t)(x >> s));
}

static void chunk(FILE* f, const char* type, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> c;
    put32(c, (uint32_t)data.size());
    c.insert(c.end(), type, type + 4);
    c.insert(c.end(), data.begin(), data.end());
    put32(c, crc32(c.data() + 4, c.size() - 4));
    fwrite(c.data(), 1, c.size(), f);
}

// Dark lettering on white, as the show composes it, magnified zoom times.
static void write_png(const std::string& path, const Canvas& c, int zoom) {
    int w = c.width * zoom, h = c.height * zoom;
    std::vector<uint8_t> raw;
    for (int y = 0; y < h; y++) {
        raw.push_back(0); // no row filter
        for (int x = 0; x < w; x++)
            raw.push_back((uint8_t)(255 - c.a[(size_t)(y / zoom) * c.width + x / zoom]));
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    const size_t block = 65535;
    for (size_t at = 0; at < raw.size() || at == 0; at += block) {
        size_t n = std::min(block, raw.size() - at);
        z.push_back(at + n >= raw.size() ? 1 : 0);
        z.push_back((uint8_t)n), z.push_back((uint8_t)(n >> 8));
        z.push_back((uint8_t)~n), z.push_back((uint8_t)(~n >> 8));
        z.insert(z.end(), raw.begin() + (ptrdiff_t)at, raw.begin() + (ptrdiff_t)(at + n));
    }
    uint32_t s1 = 1, s2 = 0; // Adler-32
    for (uint8_t b : raw)
        s1 = (s1 + b) % 65521, s2 = (s2 + s1) % 65521;
    put32(z, (s2 << 16) | s1);

    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        fail("cannot write %s: %s", path.c_str(), strerror(errno));
    fwrite("\x89PNG\r\n\x1a\n", 1, 8, f);
    std::vector<uint8_t> header;
    put32(header, (uint32_t)w);
    put32(header, (uint32_t)h);
    header.insert(header.end(), {8, 0, 0, 0, 0}); // 8-bit grey, deflate, no filter, no interlace
    chunk(f, "IHDR", header);
    chunk(f, "IDAT", z);
    chunk(f, "IEND", {});
    if (fclose(f))
        fail("cannot write %s: %s", path.c_str(), strerror(errno));
}

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        fprintf(stderr, "usage: ordune-lettering INPUT FONTDIR OUTPUT.cpp [PREVIEWDIR]\n");
        return 2;
    }
    std::vector<Picture> pictures = read_pictures(argv[1]);
    FT_Library lib;
    if (FT_Init_FreeType(&lib))
        fail("cannot start FreeType");
    std::vector<Canvas> canvases;
    for (const Picture& p : pictures)
        canvases.push_back(p.glyph_sheet ? render_glyph_sheet(lib, argv[2], p)
                                         : render_picture(lib, argv[2], p));
    FT_Done_FreeType(lib);
    write_source(argv[3], argv[1], pictures, canvases);
    if (argc == 5)
        for (size_t i = 0; i < pictures.size(); i++) {
            std::string base = std::string(argv[4]) + "/" + pictures[i].symbol;
            write_png(base + ".png", canvases[i], 1);
            write_png(base + "-x" + std::to_string(preview_zoom) + ".png", canvases[i],
                      preview_zoom);
        }
    return 0;
}
