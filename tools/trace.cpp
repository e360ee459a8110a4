// ordune-trace: shows what one frame of the show draws. Plays the show from 0 on a virtual
// clock through the null back end, then draws the chosen frame through the recorder and prints
// one JSON object per glBegin/glEnd batch (or one short line per batch with --summary).
//
//   ordune-trace --at SECONDS [--fps F] [--summary]
//   ordune-trace --scene NAME --pos P [--glow] [--summary]
//       one scene alone, after the frame set-up; --glow draws it through the glow filter
//
// Floats are printed with %.9g, which reads back to the same float.
#include "engine/gl.h"
#include "engine/glowfilter.h"
#include "engine/glrecorder.h"
#include "show/arguments.h"
#include "show/offline.h"
#include "show/show.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

static const char* const TOOL = "ordune-trace";

static const char* usage =
    "usage: ordune-trace --at SECONDS [--fps F] [--summary] [--silent]\n"
    "       ordune-trace --scene NAME --pos P [--glow] [--summary] [--silent]\n"
    "  --fps F      the frame rate the show is played at up to SECONDS (default 60; 29.97,\n"
    "               30000/1001 and the like as the renderer takes them)\n"
    "  --summary    one short line a batch instead of JSON\n"
    "  --silent     the show without its music (without it a missing or broken music.xm is\n"
    "               an error)\n"
    "  -h, --help   this text\n"
    "  --version    the version\n"
    "Each JSON batch names what drew it: \"scene\" is a scene's name, or \"backdrop\".\n";

static void print_floats(const float* f, int n) {
    for (int i = 0; i < n; i++)
        printf(i ? ",%.9g" : "%.9g", f[i]);
}

static void print_tuples(const char* key, const std::vector<float>& v, int width) {
    printf("\"%s\":[", key);
    for (size_t i = 0; i < v.size(); i += width) {
        printf(i ? ",[" : "[");
        print_floats(&v[i], width);
        printf("]");
    }
    printf("]");
}

static const char* truth(bool b) {
    return b ? "true" : "false";
}

static void print_batch_json(const GlBatch& b) {
    const GlDrawState& s = b.state;
    printf("{\"scene\":\"%s\",\"prim\":\"%s\",\"n\":%d,", b.label ? b.label : "",
           gl_prim_name(b.prim), b.count());
    print_tuples("v", b.v, 3);
    printf(",");
    print_tuples("t", b.t, 2);
    printf(",");
    print_tuples("c", b.c, 4);
    printf(",\"blend\":%s,\"src\":\"%s\",", truth(s.blend), gl_enum_name(s.blend_src));
    printf("\"dst\":\"%s\",\"depth_test\":%s,", gl_enum_name(s.blend_dst), truth(s.depth_test));
    printf("\"depth_mask\":%s,\"line_width\":%.9g,", truth(s.depth_mask), s.line_width);
    printf("\"point_size\":%.9g,\"texture\":%s,\"mv\":[", s.point_size, truth(s.texture));
    print_floats(b.mv.m, 16);
    printf("],\"proj\":[");
    print_floats(b.proj.m, 16);
    printf("]}\n");
}

static void print_batch_summary(int i, const GlBatch& b) {
    const GlDrawState& s = b.state;
    printf("%4d %-14s n=%-6d blend=%s %s/%s depth=%s mask=%s lw=%g ps=%g tex=%s", i,
           gl_prim_name(b.prim), b.count(), s.blend ? "on" : "off", gl_enum_name(s.blend_src),
           gl_enum_name(s.blend_dst), s.depth_test ? "on" : "off", s.depth_mask ? "on" : "off",
           s.line_width, s.point_size, s.texture ? "on" : "off");
    if (b.count() > 0)
        printf(" c0=(%.3g,%.3g,%.3g,%.3g)", b.c[0], b.c[1], b.c[2], b.c[3]);
    printf("\n");
}

int main(int argc, char** argv) {
    double at = -1, pos = -1;
    FrameRate rate;
    std::string scene;
    bool summary = false, have_at = false, have_pos = false, glow = false, silent = false;
    static const char* const valued[] = {"--at", "--fps", "--pos", "--scene", nullptr};
    ArgReader reader = {argc, argv, valued};
    std::string a, v, fault;
    for (ArgStep step; (step = next_argument(&reader, &a, &v, &fault)) != ARG_DONE;) {
        if (step == ARG_FAULT)
            return usage_fault(TOOL, "%s", fault.c_str());
        if (a == "--summary") {
            summary = true;
        } else if (a == "--glow") {
            glow = true;
        } else if (a == "--silent") {
            silent = true;
        } else if (a == "--help" || a == "-h") {
            printf("%s", usage);
            return 0;
        } else if (a == "--version") {
            printf("%s %s\n", TOOL, ORDUNE_VERSION);
            return 0;
        } else if (a == "--scene") {
            scene = v;
        } else if (a == "--fps") {
            if (!parse_rate(v.c_str(), &rate))
                return usage_fault(TOOL, "--fps wants a rate above 0 and at most 1000, not %s",
                                   v.c_str());
        } else if (a == "--at" || a == "--pos") {
            double* target = a == "--at" ? &at : &pos;
            if (!parse_number(v.c_str(), target))
                return usage_fault(TOOL, "%s wants a number, not %s", a.c_str(), v.c_str());
            have_at |= target == &at;
            have_pos |= target == &pos;
        } else {
            return usage_fault(TOOL, "unknown option %s", a.c_str());
        }
    }
    double fps = rate.fps();
    const SceneEntry* entry = nullptr;
    if (!scene.empty()) {
        entry = scene_find(scene.c_str());
        if (!entry)
            return usage_fault(TOOL, "unknown scene %s (scenes: %s)", scene.c_str(), scene_names());
        if (!have_pos || pos < 0 || pos > 1)
            return usage_fault(TOOL, "--scene needs --pos between 0 and 1");
        if (have_at)
            return usage_fault(TOOL, "--at and --scene exclude each other");
    } else if (!have_at || at < 0 || at > 200.0) {
        return usage_fault(TOOL, "--at needs a time between 0 and 200 seconds");
    } else if (glow) {
        return usage_fault(TOOL, "--glow needs --scene");
    }

    gl_use_null();
    offline_begin(!silent);
    if (silent) {
        fprintf(stderr, "%s: --silent: the show without its music, so without its cue pulses\n",
                TOOL);
    } else if (!offline_music()) {
        fprintf(stderr, "%s: %s (--silent traces the show without its music)\n", TOOL,
                offline_music_fault().c_str());
        offline_end();
        return 1;
    }
    if (entry) {
        scene_build(entry);
        gl_use_recorder();
        gl_recorder_label(entry->name);
        show_frame_setup();
        if (glow)
            glowfilter_around(entry->draw, (float)pos);
        else
            entry->draw((float)pos);
    } else {
        long k = offline_frame_at(at, fps);
        offline_skip(0, k, fps);
        gl_use_recorder();
        offline_draw(k, fps, nullptr);
    }
    const std::vector<GlBatch>& batches = gl_recorder()->batches;
    for (size_t i = 0; i < batches.size(); i++) {
        if (summary)
            print_batch_summary((int)i, batches[i]);
        else
            print_batch_json(batches[i]);
    }
    gl_use_null();
    if (entry)
        scene_release(entry);
    offline_end();
    return 0;
}
