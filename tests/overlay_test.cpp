// The developers' overlay through the recorder: its glyph sheet, where each character's quad
// lands in the window and which cell it samples, the state it leaves, and its texture's life.
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/overlay.h"
#include "engine/texture.h"
#include "tests/batches.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

int sheet_width() {
    return (int)blob_word(overlay_glyphs, BLOB_WIDTH);
}
int cell_width() {
    return sheet_width() / (int)strlen(overlay_glyphs_chars);
}
int cell_height() {
    return (int)blob_word(overlay_glyphs, BLOB_HEIGHT);
}

// Everything the recorder models, as text, so that a difference reads plainly.
std::string state_of(const GlRecorder& r) {
    std::string s;
    auto add = [&s](const char* name, const float* v, int n) {
        s += name;
        for (int i = 0; i < n; i++)
            s += " " + std::to_string(v[i]);
        s += "\n";
    };
    for (const auto* stack : {&r.modelview, &r.projection, &r.texture})
        for (const GlMat4& m : *stack)
            add("matrix", m.m, 16);
    const GlDrawState& d = r.draw;
    const float flags[] = {(float)r.matrix_mode,  (float)d.blend,         (float)d.depth_test,
                           (float)d.depth_mask,   (float)d.texture,       (float)d.line_smooth,
                           (float)d.point_smooth, (float)d.blend_src,     (float)d.blend_dst,
                           (float)d.depth_func,   (float)d.bound_texture, d.line_width,
                           d.point_size,          (float)r.cull_face,     (float)r.lighting};
    add("mode, draw state, culling, lighting", flags, 15);
    add("colour", r.color, 4);
    add("texcoord", r.texcoord, 2);
    add("clear colour", r.clear_color, 4);
    const float viewport[] = {(float)r.viewport[0], (float)r.viewport[1], (float)r.viewport[2],
                              (float)r.viewport[3]};
    add("viewport", viewport, 4);
    s += "attrib depth " + std::to_string(r.attrib_stack.size()) + "\n";
    return s;
}

// A vertex of a batch in window pixels from the top-left, through its matrices and the viewport.
void window_pixel(const GlBatch& b, int i, int window_w, int window_h, float* x, float* y) {
    float eye[4], clip[4];
    gl_mat4_apply(b.mv, b.v[i * 3], b.v[i * 3 + 1], b.v[i * 3 + 2], eye);
    gl_mat4_apply(b.proj, eye[0], eye[1], eye[2], clip);
    *x = (clip[0] / clip[3] + 1) / 2 * (float)window_w;
    *y = (1 - clip[1] / clip[3]) / 2 * (float)window_h;
}

bool near(float a, float b) {
    return std::fabs(a - b) < 1e-3f;
}

class Overlay : public ::testing::Test {
  protected:
    void SetUp() override {
        gl_use_recorder();
        overlay_free(); // forget a texture of an earlier test's recorder
        gl_recorder_reset();
    }
    void TearDown() override {
        overlay_free();
        gl_use_null();
    }
};

} // namespace

// Cell k of the sheet holds the k-th character: ink in every cell but the space's, black with
// the coverage in alpha.
TEST(OverlayGlyphs, EveryCellButTheSpaceHoldsInk) {
    const int cw = cell_width(), ch = cell_height(), w = sheet_width();
    ASSERT_EQ(w % cw, 0);
    const unsigned char* px = (const unsigned char*)(overlay_glyphs + BLOB_PIXELS);
    for (int k = 0; overlay_glyphs_chars[k]; k++) {
        int ink = 0;
        for (int y = 0; y < ch; y++)
            for (int x = k * cw; x < (k + 1) * cw; x++) {
                const unsigned char* p = px + 4 * (y * w + x);
                ASSERT_EQ(p[0] | p[1] | p[2], 0);
                ink += p[3] > 0;
            }
        EXPECT_EQ(ink > 0, overlay_glyphs_chars[k] != ' ') << overlay_glyphs_chars[k];
    }
}

TEST_F(Overlay, LeavesEveryModelledStateAsItFoundIt) {
    const std::vector<void (*)()> befores = {
        [] {}, // a fresh context
        [] {   // what a scene may leave, with the projection selected
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE);
            glEnable(GL_DEPTH_TEST);
            glDepthMask(GL_FALSE);
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, 7);
            glEnable(GL_CULL_FACE);
            glLineWidth(5);
            glColor4f(0.2f, 0.3f, 0.4f, 0.5f);
            glTexCoord2f(0.25f, 0.75f);
            glViewport(0, 0, 512, 512);
            glMatrixMode(GL_MODELVIEW);
            glTranslatef(1, 2, 3);
            glMatrixMode(GL_PROJECTION);
            gluPerspective(60, 4.0 / 3, 1, 100);
        }};
    const char* const lines[] = {"t 12.34 s", "order 3 row 17"};
    for (size_t i = 0; i < befores.size(); i++) {
        gl_recorder_reset();
        befores[i]();
        std::string before = state_of(*gl_recorder());
        overlay_panel(800, 600, 8, 8, lines, 2);
        EXPECT_EQ(state_of(*gl_recorder()), before) << "case " << i;
        EXPECT_EQ(gl_recorder()->errors, 0) << "case " << i;
        EXPECT_EQ(gl_recorder()->batches.size(), 2u) << "case " << i; // the panel, the glyphs
    }
}

// One textured quad a drawn character, in its cell of the window at 1:1, sampling the
// character's cell of the sheet; spaces and characters the sheet lacks leave a gap.
TEST_F(Overlay, DrawsEachCharacterInItsCellFromItsCellOfTheSheet) {
    const int window_w = 800, window_h = 600, cw = cell_width(), ch = cell_height();
    const struct {
        int x, y;
        std::vector<const char*> lines;
        std::vector<std::pair<char, std::pair<int, int>>> drawn; // character, (column, line)
    } cases[] = {
        {10, 20, {"A"}, {{'A', {0, 0}}}},
        {0, 0, {"a b", "", "~"}, {{'a', {0, 0}}, {'b', {2, 0}}, {'~', {0, 2}}}},
        {500, 300, {"\x01\xc3\xa9?"}, {{'?', {3, 0}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines[0]);
        gl_recorder_reset();
        overlay_panel(window_w, window_h, c.x, c.y, c.lines.data(), (int)c.lines.size());
        EXPECT_EQ(calls_named("glViewport").at(0).a[2], window_w);
        EXPECT_EQ(calls_named("glViewport").at(0).a[3], window_h);
        const std::vector<GlBatch>& b = gl_recorder()->batches;
        ASSERT_EQ(b.size(), 2u);

        // The panel: untextured, translucent black, over the whole text and its padding.
        int w, h;
        overlay_panel_size(c.lines.data(), (int)c.lines.size(), &w, &h);
        size_t longest = 0;
        for (const char* line : c.lines)
            longest = std::max(longest, strlen(line));
        EXPECT_EQ(w, (int)longest * cw + 2 * OVERLAY_PADDING);
        EXPECT_EQ(h, (int)c.lines.size() * ch + 2 * OVERLAY_PADDING);
        ASSERT_EQ(b[0].prim, (GLenum)GL_QUADS);
        ASSERT_EQ(b[0].count(), 4);
        EXPECT_FALSE(b[0].state.texture);
        EXPECT_TRUE(b[0].state.blend);
        EXPECT_FALSE(b[0].state.depth_test);
        float lo[2] = {1e9f, 1e9f}, hi[2] = {-1e9f, -1e9f};
        for (int i = 0; i < 4; i++) {
            float px, py;
            window_pixel(b[0], i, window_w, window_h, &px, &py);
            lo[0] = std::min(lo[0], px), lo[1] = std::min(lo[1], py);
            hi[0] = std::max(hi[0], px), hi[1] = std::max(hi[1], py);
            EXPECT_EQ(b[0].c[i * 4], 0.0f);
            EXPECT_GT(alpha(b[0], i), 0.0f);
            EXPECT_LT(alpha(b[0], i), 1.0f);
        }
        EXPECT_NEAR(lo[0], c.x, 1e-3);
        EXPECT_NEAR(lo[1], c.y, 1e-3);
        EXPECT_NEAR(hi[0], c.x + w, 1e-3);
        EXPECT_NEAR(hi[1], c.y + h, 1e-3);

        // The glyphs: white, textured with the sheet, one quad each in drawing order.
        const GlBatch& g = b[1];
        ASSERT_EQ(g.prim, (GLenum)GL_QUADS);
        ASSERT_EQ(g.count(), 4 * (int)c.drawn.size());
        EXPECT_TRUE(g.state.texture);
        EXPECT_EQ(g.state.bound_texture, (GLuint)calls_named("glBindTexture").at(0).a[1]);
        EXPECT_EQ(g.state.blend_src, (GLenum)GL_SRC_ALPHA);
        EXPECT_EQ(g.state.blend_dst, (GLenum)GL_ONE_MINUS_SRC_ALPHA);
        for (size_t q = 0; q < c.drawn.size(); q++) {
            int cell = (int)(strchr(overlay_glyphs_chars, c.drawn[q].first) - overlay_glyphs_chars);
            float left = (float)(c.x + OVERLAY_PADDING + c.drawn[q].second.first * cw);
            float top = (float)(c.y + OVERLAY_PADDING + c.drawn[q].second.second * ch);
            for (int k = 0; k < 4; k++) {
                int i = (int)q * 4 + k;
                float px, py;
                window_pixel(g, i, window_w, window_h, &px, &py);
                // Texture s and t run with window x and y: the sheet's first row at the top.
                float s = g.t[i * 2], t = g.t[i * 2 + 1];
                EXPECT_NEAR(px, left + (s * (float)sheet_width() - (float)(cell * cw)), 1e-3)
                    << c.drawn[q].first;
                EXPECT_NEAR(py, top + t * (float)ch, 1e-3) << c.drawn[q].first;
                EXPECT_TRUE(near(px, left) || near(px, left + (float)cw)) << c.drawn[q].first;
                EXPECT_TRUE(t == 0 || t == 1);
                EXPECT_EQ(g.c[i * 4] + g.c[i * 4 + 1] + g.c[i * 4 + 2] + alpha(g, i), 4.0f);
            }
        }
    }
}

// Nothing until the first panel; one upload of the whole sheet as an alpha texture that needs no
// mipmaps; none on later panels; deleted by overlay_free and made again after it.
TEST_F(Overlay, UploadsTheSheetOnFirstUseOnly) {
    const char* const line[] = {"fps 60"};
    overlay_free();
    EXPECT_TRUE(gl_recorder()->calls.empty());
    overlay_panel(1024, 768, 0, 0, line, 1);
    std::vector<GlCall> uploads = calls_named("glTexImage2D");
    ASSERT_EQ(uploads.size(), 1u);
    EXPECT_EQ(uploads[0].a[0], 0); // level
    EXPECT_EQ(uploads[0].a[1], sheet_width());
    EXPECT_EQ(uploads[0].a[2], cell_height());
    EXPECT_EQ(uploads[0].a[3], GL_ALPHA8);
    EXPECT_EQ(calls_named("gluBuild2DMipmaps").size(), 0u);
    bool plain_min_filter = false;
    for (const GlCall& c : calls_named("glTexParameteri"))
        if (c.a[1] == GL_TEXTURE_MIN_FILTER)
            plain_min_filter = c.a[2] == GL_NEAREST || c.a[2] == GL_LINEAR;
    EXPECT_TRUE(plain_min_filter);
    GLuint name = gl_recorder()->batches.at(1).state.bound_texture;

    overlay_panel(1024, 768, 0, 0, line, 1);
    EXPECT_EQ(calls_named("glGenTextures").size(), 1u);
    EXPECT_EQ(calls_named("glTexImage2D").size(), 1u);
    overlay_free();
    ASSERT_EQ(calls_named("glDeleteTextures").size(), 1u);
    EXPECT_EQ(calls_named("glDeleteTextures")[0].a[1], name);
    overlay_panel(1024, 768, 0, 0, line, 1);
    EXPECT_EQ(calls_named("glTexImage2D").size(), 2u);
}
