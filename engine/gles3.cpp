// The GLES 3 back end: the recorder's state model, with batches gathered into runs that are each
// drawn by one shader program. Only OpenGL ES 3.0 calls and `#version 300 es` shaders, for WebGL 2.
#define ORDUNE_GL_NO_MACROS
#include "engine/gles3.h"
#include "engine/glrecorder.h"

#include <GLES3/gl3.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

// What a batch is drawn as. Each kind has programs of its own (KIND in the shaders); a run of
// batches of several kinds is drawn by the mixed programs, which read the kind from each vertex.
enum Kind { KIND_POLYGONS = 0, KIND_LINES = 1, KIND_POINTS = 2, KIND_MIXED = 3, KINDS = 4 };

// How far in pixels the quad of a smooth line reaches past its sides and ends, or of a round
// point past its rim: a line's antialiased edge ramps over one pixel, from half a pixel inside
// to half a pixel outside, so no pixel centre further out is covered.
static const float smooth_reach = 0.5f;

// A run is drawn once it holds this many vertices: llvmpipe's work for a draw grows faster than
// the draw (viivatus on llvmpipe: 44 ms of CPU a frame in runs of any length, 39 with this).
static const size_t run_vertices = 4096;

// The shaders follow `#version 300 es` and the definitions of KIND and TEXTURED (0 or 1).
static const char* vertex_source = R"(
uniform mat4 u_mvp;
uniform mat4 u_texmat;
uniform vec2 u_half_viewport; // half the viewport's size in pixels
in vec3 a_pos;
in vec3 a_other;  // lines: the segment's other end
in vec4 a_color;
in vec2 a_tex;
in vec2 a_corner; // lines: (side -1 or 1, 0 at the first end or 1 at the second); points: (+-1, +-1)
in vec3 a_style;  // (kind, half the line width or point size in pixels, edge margin: 0 aliased)
in vec3 a_blend;  // the output's weights, see the fragment shader
out vec4 v_color;
out vec2 v_tex;
out vec2 v_offset; // pixels from the point's centre, or (across the line, 0)
out vec2 v_along;  // lines: pixels from the first end and from the second, positive between them
flat out int v_kind;
flat out vec2 v_shape; // (half, margin)
flat out vec3 v_blend;
const vec4 outside = vec4(2.0, 2.0, 2.0, 1.0);

void main() {
    v_color = clamp(a_color, 0.0, 1.0);
    v_tex = (u_texmat * vec4(a_tex, 0.0, 1.0)).xy;
    v_offset = vec2(0.0);
    v_along = vec2(0.0);
    v_shape = a_style.yz;
    v_blend = a_blend;
#if KIND == 3
    int kind = int(a_style.x);
#else
    const int kind = KIND;
#endif
    v_kind = kind;
    float reach = a_style.y + a_style.z;
    vec4 p = u_mvp * vec4(a_pos, 1.0);
    if (kind == 0) {
        gl_Position = p;
    } else if (kind == 2) {
        // Lines and points are widened in window pixels, so they are placed with w = 1: the
        // edge distances then interpolate linearly across the screen.
        if (any(greaterThan(abs(p.xyz), vec3(p.w)))) {
            gl_Position = outside; // a point whose centre is clipped is not drawn at all
            return;
        }
        v_offset = a_corner * reach;
        gl_Position = vec4(p.xy / p.w + v_offset / u_half_viewport, p.z / p.w, 1.0);
    } else {
        // The segment is cut at the near plane first (distance z + w in clip space).
        vec4 q = u_mvp * vec4(a_other, 1.0);
        float dp = p.z + p.w, dq = q.z + q.w;
        if (dp < 0.0 && dq < 0.0) {
            gl_Position = outside;
            return;
        }
        if (dp < 0.0)
            p = mix(p, q, dp / (dp - dq));
        else if (dq < 0.0)
            q = mix(q, p, dq / (dq - dp));
        vec2 wp = p.xy / p.w * u_half_viewport, wq = q.xy / q.w * u_half_viewport;
        float len = length(wq - wp), ends = a_style.z;
        vec2 dir = len > 0.0 ? (wq - wp) / len : vec2(a_corner.y == 0.0 ? 1.0 : -1.0, 0.0);
        vec2 normal = vec2(-dir.y, dir.x);
        vec2 w = wp + normal * a_corner.x * reach - dir * ends;
        // The normal turns with the direction, so the side's sign does too at the second end.
        v_offset = vec2((a_corner.y == 0.0 ? a_corner.x : -a_corner.x) * reach, 0.0);
        v_along = a_corner.y == 0.0 ? vec2(-ends, len + ends) : vec2(len + ends, -ends);
        gl_Position = vec4(w / u_half_viewport, p.z / p.w, 1.0);
    }
}
)";

static const char* fragment_source = R"(
precision highp float;
uniform sampler2D u_texture;
uniform bool u_premultiplied; // the vertices' output weights hold, else the colour goes as it is
in vec4 v_color;
in vec2 v_tex;
in vec2 v_offset;
in vec2 v_along;
flat in int v_kind;
flat in vec2 v_shape;
flat in vec3 v_blend;
out vec4 colour;

void main() {
    vec4 c = v_color;
#if TEXTURED
    c *= texture(u_texture, v_tex); // GL_MODULATE
#endif
#if KIND == 3
    int kind = v_kind;
#else
    const int kind = KIND;
#endif
    bool smoothed = v_shape.y > 0.0;
    if (kind == 1 && smoothed) {
        float cover = clamp(v_shape.x + 0.5 - abs(v_offset.x), 0.0, 1.0) *
                      clamp(min(v_along.x, v_along.y) + 0.5, 0.0, 1.0);
        if (cover <= 0.0)
            discard;
        c.a *= cover;
    } else if (kind == 2 && smoothed && length(v_offset) > v_shape.x) {
        discard; // round, with a hard rim
    }
    // (rgb * mix(1, a, x), a * y + z): as it is (0, 1, 0) for the context's blend function;
    // premultiplied for glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA): (1, 1, 0) for ordinary
    // alpha blending, (1, 0, 0) for additive, (0, 0, 1) for blending off.
    vec3 w = u_premultiplied ? v_blend : vec3(0.0, 1.0, 0.0);
    colour = vec4(c.rgb * mix(1.0, c.a, w.x), c.a * w.y + w.z);
}
)";

// The output weights of the fragment shader (a_blend) for a premultiplied run.
static const float blend_alpha[3] = {1, 1, 0};
static const float blend_additive[3] = {1, 0, 0};
static const float blend_off[3] = {0, 0, 1};

// One vertex as the shaders take it.
struct Vertex {
    float pos[3], other[3], color[4], tex[2], corner[2], style[3], blend[3];
};

namespace {
struct Program {
    GLuint id;
    GLint mvp, texmat, half_viewport, texture, premultiplied;
};

// A blend function in force: blending on or off, and the factors.
struct Blend {
    uint32_t on, src, dst;
    bool operator!=(const Blend& b) const { return on != b.on || src != b.src || dst != b.dst; }
};

// What a run of batches drawn as one shares; every field four bytes, so memcmp compares it.
struct RunState {
    GlMat4 mvp, texmat;
    int viewport[4];
    uint32_t depth_test, depth_mask, depth_func, texture; // texture: 0 for none
    uint32_t joinable; // batching, and the blend is one of the show's: the run may mix them
    Blend blend;       // when not joinable; zeros when it is
};
} // namespace

static Program programs[KINDS][2]; // by kind, then untextured or textured
static GLuint vertex_array, vertex_buffer, index_buffer;
static bool batching = true;
// The run waiting to be drawn, as triangles over its vertices; the vectors keep their capacity.
static std::vector<Vertex> vertices;
static std::vector<GLuint> indices;
static RunState run;
static int run_kind;       // a Kind, KIND_MIXED once the run holds more than one
static Blend run_blend;    // the first batch's blend function
static bool blends_differ; // whether a later batch's differs: the run is drawn premultiplied
static std::string failure;

// Shaders and programs.

static GLuint compile(GLenum type, const char* source, int kind, bool textured) {
    std::string text = "#version 300 es\n#define KIND " + std::to_string(kind) +
                       "\n#define TEXTURED " + (textured ? "1" : "0") + "\n" + source;
    const char* t = text.c_str();
    GLuint s = glCreateShader(type);
    glShaderSource(s, 1, &t, nullptr);
    glCompileShader(s);
    GLint ok = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[512] = "";
        glGetShaderInfoLog(s, sizeof log, nullptr, log);
        failure = std::string("the GLES 3 ") + (type == GL_VERTEX_SHADER ? "vertex" : "fragment") +
                  " shader does not compile: " + log;
        std::replace(failure.begin(), failure.end(), '\n', ' ');
        glDeleteShader(s);
        return 0;
    }
    return s;
}

static const char* const attributes[] = {"a_pos",    "a_other", "a_color", "a_tex",
                                         "a_corner", "a_style", "a_blend"};
enum { ATTRIBUTES = sizeof attributes / sizeof attributes[0] };

static bool build_program(int kind, bool textured, Program* p) {
    GLuint vs = compile(GL_VERTEX_SHADER, vertex_source, kind, textured);
    GLuint fs = vs ? compile(GL_FRAGMENT_SHADER, fragment_source, kind, textured) : 0;
    if (!fs) {
        glDeleteShader(vs);
        return false;
    }
    GLuint id = glCreateProgram();
    glAttachShader(id, vs);
    glAttachShader(id, fs);
    for (GLuint i = 0; i < ATTRIBUTES; i++)
        glBindAttribLocation(id, i, attributes[i]);
    glLinkProgram(id);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(id, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[512] = "";
        glGetProgramInfoLog(id, sizeof log, nullptr, log);
        failure = std::string("the GLES 3 shaders do not link: ") + log;
        std::replace(failure.begin(), failure.end(), '\n', ' ');
        glDeleteProgram(id);
        return false;
    }
    *p = Program{id,
                 glGetUniformLocation(id, "u_mvp"),
                 glGetUniformLocation(id, "u_texmat"),
                 glGetUniformLocation(id, "u_half_viewport"),
                 glGetUniformLocation(id, "u_texture"),
                 glGetUniformLocation(id, "u_premultiplied")};
    glUseProgram(id);
    glUniform1i(p->texture, 0);
    return true;
}

// The vertex array: a buffer of Vertex and one of indices, refilled for every run.
static void build_vertex_array() {
    glGenVertexArrays(1, &vertex_array);
    glBindVertexArray(vertex_array);
    glGenBuffers(1, &vertex_buffer);
    glBindBuffer(GL_ARRAY_BUFFER, vertex_buffer);
    glGenBuffers(1, &index_buffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, index_buffer);
    const struct {
        GLint size;
        size_t offset;
    } fields[ATTRIBUTES] = {{3, offsetof(Vertex, pos)},    {3, offsetof(Vertex, other)},
                            {4, offsetof(Vertex, color)},  {2, offsetof(Vertex, tex)},
                            {2, offsetof(Vertex, corner)}, {3, offsetof(Vertex, style)},
                            {3, offsetof(Vertex, blend)}};
    for (GLuint i = 0; i < ATTRIBUTES; i++) {
        glEnableVertexAttribArray(i);
        glVertexAttribPointer(i, fields[i].size, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                              (const void*)fields[i].offset);
    }
}

bool gles3_open(const char** why) {
    for (int kind = 0; kind < KINDS; kind++)
        for (int textured = 0; textured < 2; textured++)
            if (!build_program(kind, textured, &programs[kind][textured])) {
                *why = failure.c_str();
                return false;
            }
    build_vertex_array();
    vertices.clear();
    indices.clear();
    batching = true;
    gl_recorder_reset();
    GLint viewport[4];
    ::glGetIntegerv(GL_VIEWPORT, viewport);
    gl_recorder_api.glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    gl_recorder_clear_log();
    return true;
}

void gles3_batching(bool on) {
    gles3_flush();
    batching = on;
}

// Runs.

static void set(GLenum cap, bool on) {
    if (on)
        glEnable(cap);
    else
        glDisable(cap);
}

void gles3_flush() {
    if (indices.empty())
        return;
    const RunState& r = run;
    glViewport(r.viewport[0], r.viewport[1], r.viewport[2], r.viewport[3]);
    // A run of one blend function is drawn with it, which rounds as drawing one by one does.
    set(GL_BLEND, blends_differ || run_blend.on);
    if (blends_differ)
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    else
        glBlendFunc(run_blend.src, run_blend.dst);
    set(GL_DEPTH_TEST, r.depth_test);
    glDepthFunc(r.depth_func);
    glDepthMask(r.depth_mask ? GL_TRUE : GL_FALSE);
    glBindTexture(GL_TEXTURE_2D, r.texture);
    const Program& p = programs[run_kind][r.texture != 0];
    glUseProgram(p.id);
    glUniformMatrix4fv(p.mvp, 1, GL_FALSE, r.mvp.m);
    glUniformMatrix4fv(p.texmat, 1, GL_FALSE, r.texmat.m);
    glUniform2f(p.half_viewport, 0.5f * (float)r.viewport[2], 0.5f * (float)r.viewport[3]);
    glUniform1i(p.premultiplied, blends_differ);
    glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)(vertices.size() * sizeof(Vertex)), vertices.data(),
                 GL_STREAM_DRAW);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, (GLsizeiptr)(indices.size() * sizeof(GLuint)),
                 indices.data(), GL_STREAM_DRAW);
    glDrawElements(GL_TRIANGLES, (GLsizei)indices.size(), GL_UNSIGNED_INT, nullptr);
    vertices.clear();
    indices.clear();
}

// Batches.

static const GlRecorder& model() {
    return *gl_recorder();
}

// What every vertex of the batch being gathered carries besides its own data.
static float batch_style[3], batch_blend[3];

// Vertex i of the batch, as a corner of a line's or point's quad; returns its index.
static GLuint put(const GlBatch& b, int i, int other, float cx, float cy) {
    Vertex v;
    memcpy(v.pos, &b.v[(size_t)i * 3], sizeof v.pos);
    memcpy(v.other, &b.v[(size_t)other * 3], sizeof v.other);
    memcpy(v.color, &b.c[(size_t)i * 4], sizeof v.color);
    memcpy(v.tex, &b.t[(size_t)i * 2], sizeof v.tex);
    v.corner[0] = cx;
    v.corner[1] = cy;
    memcpy(v.style, batch_style, sizeof v.style);
    memcpy(v.blend, batch_blend, sizeof v.blend);
    vertices.push_back(v);
    return (GLuint)vertices.size() - 1;
}

static void triangle(GLuint a, GLuint b, GLuint c) {
    indices.insert(indices.end(), {a, b, c});
}

// Four corners as the triangles (0, 1, 2) and (0, 2, 3).
static void quad(GLuint a, GLuint b, GLuint c, GLuint d) {
    triangle(a, b, c);
    triangle(a, c, d);
}

// The segment from vertex a to vertex e as a quad. The normal the shader takes at each end turns
// with the direction, so side +1 at a lies with side -1 at e.
static void put_segment(const GlBatch& b, int a, int e) {
    GLuint a1 = put(b, a, e, 1, 0), e0 = put(b, e, a, -1, 1);
    GLuint e1 = put(b, e, a, 1, 1), a0 = put(b, a, e, -1, 0);
    quad(a1, e0, e1, a0);
}

static void put_point(const GlBatch& b, int i) {
    GLuint c0 = put(b, i, i, -1, -1), c1 = put(b, i, i, 1, -1);
    GLuint c2 = put(b, i, i, 1, 1), c3 = put(b, i, i, -1, 1);
    quad(c0, c1, c2, c3);
}

static Kind kind_of(GLenum prim) {
    switch (prim) {
    case GL_POINTS:
        return KIND_POINTS;
    case GL_LINES:
    case GL_LINE_STRIP:
    case GL_LINE_LOOP:
        return KIND_LINES;
    default:
        return KIND_POLYGONS;
    }
}

// Appends the batch to the run's vertices and triangles.
static void gather(const GlBatch& b) {
    int n = b.count();
    switch (b.prim) {
    case GL_POINTS:
        for (int i = 0; i < n; i++)
            put_point(b, i);
        return;
    case GL_LINES:
        for (int i = 0; i + 1 < n; i += 2)
            put_segment(b, i, i + 1);
        return;
    case GL_LINE_STRIP:
    case GL_LINE_LOOP:
        for (int i = 0; i + 1 < n; i++)
            put_segment(b, i, i + 1);
        if (b.prim == GL_LINE_LOOP && n > 1)
            put_segment(b, n - 1, 0);
        return;
    default:
        break;
    }
    GLuint first = (GLuint)vertices.size();
    for (int i = 0; i < n; i++)
        put(b, i, i, 0, 0);
    GLuint m = first + (GLuint)n;
    switch (b.prim) {
    case GL_TRIANGLES:
        for (GLuint i = first; i + 2 < m; i += 3)
            triangle(i, i + 1, i + 2);
        break;
    case GL_TRIANGLE_STRIP:
        for (GLuint i = first; i + 2 < m; i++)
            triangle(i, i + 1, i + 2);
        break;
    case GL_TRIANGLE_FAN:
    case GL_POLYGON:
        for (GLuint i = first + 1; i + 1 < m; i++)
            triangle(first, i, i + 1);
        break;
    case GL_QUADS:
        // Split along the diagonal 0-2, as the desktop driver splits them, so that the colours
        // interpolate alike.
        for (GLuint i = first; i + 3 < m; i += 4)
            quad(i, i + 1, i + 2, i + 3);
        break;
    case GL_QUAD_STRIP:
        // Quad i is (2i, 2i + 1, 2i + 3, 2i + 2), split along its diagonal 2i to 2i + 3 likewise.
        for (GLuint i = first; i + 3 < m; i += 2)
            quad(i, i + 1, i + 3, i + 2);
        break;
    }
}

// The run state the batch is drawn with, its blend function, and the output weights its
// vertices take in a premultiplied run. The show's two blend functions, and blending off, may
// join a run together; any other joins only runs of its own.
static RunState run_state(const GlBatch& b, Blend* blend, const float** weights) {
    const GlDrawState& s = b.state;
    RunState r;
    memset(&r, 0, sizeof r);
    r.mvp = gl_mat4_multiply(b.proj, b.mv);
    r.texmat = model().texture.back();
    memcpy(r.viewport, model().viewport, sizeof r.viewport);
    r.depth_test = s.depth_test;
    r.depth_mask = s.depth_mask;
    r.depth_func = s.depth_func;
    r.texture = s.texture ? s.bound_texture : 0;
    *blend = Blend{s.blend, s.blend_src, s.blend_dst};
    bool alpha = s.blend_src == GL_SRC_ALPHA && s.blend_dst == GL_ONE_MINUS_SRC_ALPHA;
    bool additive = s.blend_src == GL_SRC_ALPHA && s.blend_dst == GL_ONE;
    r.joinable = batching && (!s.blend || alpha || additive);
    if (!r.joinable)
        r.blend = *blend;
    *weights = !s.blend ? blend_off : alpha ? blend_alpha : blend_additive;
    return r;
}

// Adds the batch to the run, drawing the run first when the batch cannot join it.
static void add(const GlBatch& b) {
    Blend blend;
    const float* weights;
    RunState r = run_state(b, &blend, &weights);
    Kind kind = kind_of(b.prim);
    if (!indices.empty() && (memcmp(&r, &run, sizeof r) != 0 || vertices.size() >= run_vertices))
        gles3_flush();
    if (indices.empty()) {
        run = r;
        run_kind = kind;
        run_blend = blend;
        blends_differ = false;
    } else {
        if (run_kind != kind)
            run_kind = KIND_MIXED;
        blends_differ |= run_blend != blend;
    }
    // Aliased lines and points have whole-pixel widths of at least one; smooth ones are as
    // given, their quads reaching one edge's width further.
    const GlDrawState& s = b.state;
    bool smooth = kind == KIND_LINES ? s.line_smooth : kind == KIND_POINTS && s.point_smooth;
    float width = kind == KIND_LINES ? s.line_width : s.point_size;
    if (!smooth)
        width = std::max(1.0f, std::round(width));
    float half = 0.5f * width;
    // Mesa's llvmpipe, which the show was made on, draws smooth points as discs with a hard rim
    // holding the pixel centres within max(size / 2, 1): so do these.
    if (smooth && kind == KIND_POINTS)
        half = std::max(half, 1.0f);
    const float style[3] = {(float)kind, half, smooth ? smooth_reach : 0.0f};
    memcpy(batch_style, style, sizeof style);
    memcpy(batch_blend, weights, sizeof batch_blend);
    gather(b);
    if (!batching)
        gles3_flush();
}

static void es_glEnd() {
    gl_recorder_api.glEnd();
    const GlRecorder& r = model();
    if (!r.batches.empty())
        add(r.batches.back());
    gl_recorder_clear_log();
}

static void es_glClear(GLbitfield mask) {
    gles3_flush();
    const GlRecorder& r = model();
    glClearColor(r.clear_color[0], r.clear_color[1], r.clear_color[2], r.clear_color[3]);
    glDepthMask(r.draw.depth_mask ? GL_TRUE : GL_FALSE); // the mask holds for clears too
    glClear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));
    gl_recorder_clear_log();
}

// Textures. The model holds the binding; the context's follows it before each texture call.

// The run waiting may sample the texture about to change, so it is drawn first.
static void bind_model_texture() {
    gles3_flush();
    glBindTexture(GL_TEXTURE_2D, model().draw.bound_texture);
}

static void es_glGenTextures(GLsizei n, GLuint* t) {
    glGenTextures(n, t);
}
static void es_glDeleteTextures(GLsizei n, const GLuint* t) {
    gles3_flush();
    glDeleteTextures(n, t);
}
static void es_glTexParameteri(GLenum target, GLenum pname, GLint param) {
    bind_model_texture();
    glTexParameteri(target, pname, param);
}
static void es_glTexParameterf(GLenum target, GLenum pname, GLfloat param) {
    es_glTexParameteri(target, pname, (GLint)param); // every parameter the show sets is an enum
}

// RGBA bytes as a texture of that internal format holds them for GL_MODULATE: an alpha-only one
// as white with that alpha, an RGB one as opaque.
static std::vector<unsigned char> as_held(GLint internalformat, const unsigned char* rgba,
                                          size_t pixels) {
    std::vector<unsigned char> out(rgba, rgba + pixels * 4);
    bool alpha_only = internalformat == GL_ALPHA || internalformat == GL_ALPHA8;
    bool opaque = internalformat == 3 || internalformat == GL_RGB || internalformat == GL_RGB8;
    for (size_t i = 0; i < pixels; i++) {
        if (alpha_only)
            memset(&out[i * 4], 0xFF, 3);
        if (opaque)
            out[i * 4 + 3] = 0xFF;
    }
    return out;
}

// Only RGBA bytes are converted, which is all the show passes; anything else goes through as is.
static void es_glTexImage2D(GLenum target, GLint level, GLint internalformat, GLsizei w, GLsizei h,
                            GLint, GLenum format, GLenum type, const GLvoid* pixels) {
    bind_model_texture();
    if (format != GL_RGBA || type != GL_UNSIGNED_BYTE || !pixels) {
        glTexImage2D(target, level, (GLint)format, w, h, 0, format, type, pixels);
        return;
    }
    std::vector<unsigned char> held =
        as_held(internalformat, (const unsigned char*)pixels, (size_t)w * (size_t)h);
    glTexImage2D(target, level, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, held.data());
}

int gles3_mipmap_side(int n) {
    int p = 1;
    for (; n > 3; n >>= 1)
        p <<= 1;
    return n == 3 ? p * 4 : p * n;
}

// The source range [lo, hi) a target pixel covers along one side, at least one pixel wide; it may
// reach past the edges, where the picture wraps round.
static void footprint(int i, float ratio, float* lo, float* hi) {
    *lo = (float)i * ratio;
    *hi = *lo + ratio;
    if (ratio < 1) {
        float centre = *lo + 0.5f * ratio;
        *lo = centre - 0.5f;
        *hi = centre + 0.5f;
    }
}

void gles3_scale_rgba(const unsigned char* src, int w, int h, unsigned char* dst, int sw, int sh) {
    float rx = (float)w / (float)sw, ry = (float)h / (float)sh;
    for (int y = 0; y < sh; y++) {
        float y0, y1;
        footprint(y, ry, &y0, &y1);
        for (int x = 0; x < sw; x++) {
            float x0, x1;
            footprint(x, rx, &x0, &x1);
            float sum[4] = {0, 0, 0, 0}, area = 0;
            for (int sy = (int)std::floor(y0); (float)sy < y1; sy++) {
                float wy = std::min(y1, (float)sy + 1) - std::max(y0, (float)sy);
                int cy = (sy + h) % h;
                for (int sx = (int)std::floor(x0); (float)sx < x1; sx++) {
                    float wx = std::min(x1, (float)sx + 1) - std::max(x0, (float)sx);
                    int cx = (sx + w) % w;
                    const unsigned char* p = src + ((size_t)cy * (size_t)w + (size_t)cx) * 4;
                    for (int k = 0; k < 4; k++)
                        sum[k] += wx * wy * (float)p[k];
                    area += wx * wy;
                }
            }
            unsigned char* q = dst + ((size_t)y * (size_t)sw + (size_t)x) * 4;
            for (int k = 0; k < 4; k++)
                q[k] = (unsigned char)(sum[k] / area);
        }
    }
}

// As GLU builds them: the picture scaled to power-of-two sides first, then halved level by level
// (here by the context's glGenerateMipmap).
static GLint es_gluBuild2DMipmaps(GLenum target, GLint components, GLint w, GLint h, GLenum format,
                                  GLenum type, const void* data) {
    if (format != GL_RGBA || type != GL_UNSIGNED_BYTE || w < 1 || h < 1)
        return GL_INVALID_ENUM;
    int sw = gles3_mipmap_side(w), sh = gles3_mipmap_side(h);
    std::vector<unsigned char> scaled((size_t)sw * (size_t)sh * 4);
    if (sw == w && sh == h)
        memcpy(scaled.data(), data, scaled.size());
    else
        gles3_scale_rgba((const unsigned char*)data, w, h, scaled.data(), sw, sh);
    es_glTexImage2D(target, 0, components, sw, sh, 0, GL_RGBA, GL_UNSIGNED_BYTE, scaled.data());
    glGenerateMipmap(target);
    return 0;
}

static void es_glCopyTexImage2D(GLenum target, GLint level, GLenum internalformat, GLint x, GLint y,
                                GLsizei w, GLsizei h, GLint) {
    bind_model_texture();
    glCopyTexImage2D(target, level, internalformat, x, y, w, h, 0);
}

// Queries the model cannot answer: the context's own buffers.
static void es_glGetIntegerv(GLenum pname, GLint* p) {
    if (pname == GL_ALPHA_BITS || pname == GL_DEPTH_BITS)
        glGetIntegerv(pname, p);
    else
        gl_recorder_api.glGetIntegerv(pname, p);
}

static void es_glPixelStorei(GLenum pname, GLint param) {
    glPixelStorei(pname, param);
}

// GLES reads RGBA bytes in any case; other layouts are taken from those.
static void es_glReadPixels(GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type,
                            GLvoid* pixels) {
    gles3_flush();
    if (format == GL_RGBA && type == GL_UNSIGNED_BYTE) {
        glReadPixels(x, y, w, h, format, type, pixels);
        return;
    }
    std::vector<unsigned char> rgba((size_t)w * (size_t)h * 4);
    GLint pack = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &pack);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glPixelStorei(GL_PACK_ALIGNMENT, pack);
    // Only GL_RGB bytes are asked for besides RGBA; rows padded to the pack alignment.
    size_t row = ((size_t)w * 3 + (size_t)pack - 1) / (size_t)pack * (size_t)pack;
    for (GLsizei r = 0; r < h; r++)
        for (GLsizei c = 0; c < w; c++)
            memcpy((unsigned char*)pixels + (size_t)r * row + (size_t)c * 3,
                   &rgba[((size_t)r * (size_t)w + (size_t)c) * 4], 3);
}

static void es_glFinish() {
    gles3_flush();
    glFinish();
}

GlApi gles3_api() {
    GlApi t = gl_recorder_api;
    t.glEnd = es_glEnd;
    t.glClear = es_glClear;
    t.glGenTextures = es_glGenTextures;
    t.glDeleteTextures = es_glDeleteTextures;
    t.glTexParameteri = es_glTexParameteri;
    t.glTexParameterf = es_glTexParameterf;
    t.glTexImage2D = es_glTexImage2D;
    t.glCopyTexImage2D = es_glCopyTexImage2D;
    t.gluBuild2DMipmaps = es_gluBuild2DMipmaps;
    t.glGetIntegerv = es_glGetIntegerv;
    t.glPixelStorei = es_glPixelStorei;
    t.glReadPixels = es_glReadPixels;
    t.glFinish = es_glFinish;
    return t;
}
