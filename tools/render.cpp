// ordune-render: renders the show offline, frame-exact, without a display: frames as PNG, a
// video with its soundtrack, the soundtrack alone, a contact sheet, or the cue sheet.
//
//   ordune-render --at SECONDS -o FRAME.png
//   ordune-render --scene NAME --pos P [--glow] -o FRAME.png
//   ordune-render [--from A] [--to B] [-o DIR] [--video OUT.mp4] [--audio OUT.wav]
//   ordune-render --contact-sheet SHEET.png [--every N] [--thumb WxH] [--from A] [--to B]
//   ordune-render --cues | --cues=csv
//   common: [--size WxH] [--fps F]
//
// Frame k is drawn at show time k/F through the platform GL back end of a headless EGL context;
// the frames before the first one wanted are played through the null back end, which is fast
// and leaves scenes, sync tracks and generators exactly as drawing them would.
#include "engine/gl.h"
#include "engine/glowfilter.h"
#include "show/arguments.h"
#include "show/offline.h"
#include "show/show.h"
#include "tools/cues.h"
#include "tools/egl.h"
#include "tools/output.h"
#include "tools/png.h"
#include "tools/progress.h"
#include "tools/sheet.h"
#include "tools/video.h"
#include "tools/wav.h"

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

static const char* usage =
    "usage: ordune-render --at SECONDS -o FRAME.png\n"
    "       ordune-render --scene NAME --pos P [--glow] -o FRAME.png\n"
    "       ordune-render [--from A] [--to B] [-o DIR] [--video OUT.mp4] [--audio OUT.wav]\n"
    "       ordune-render --contact-sheet SHEET.png [--every N] [--thumb WxH] [--from A] [--to B]\n"
    "       ordune-render --cues | --cues=csv\n"
    "       common options: --size WxH (default 1024x768), --fps F (default 60)\n";

enum { EXIT_RUNTIME = 1, EXIT_USAGE = 2 };
enum { MIN_SIDE = 2, MAX_SIDE = 8192 };
// Columns of the contact sheet: eight 256-pixel thumbnails make a sheet about 2100 pixels wide.
enum { SHEET_COLUMNS = 8 };

__attribute__((format(printf, 1, 2))) static int fail_usage(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    fprintf(stderr, "ordune-render: ");
    vfprintf(stderr, fmt, ap);
    fprintf(stderr, "\n%s", usage);
    va_end(ap);
    return EXIT_USAGE;
}

static int fail(const std::string& why) {
    fprintf(stderr, "ordune-render: %s\n", why.c_str());
    return EXIT_RUNTIME;
}

struct Options {
    bool have_at = false, have_from = false, have_to = false, have_every = false;
    double at = 0, from = 0, to = 0, fps = 60, every = 5;
    int w = 1024, h = 768, thumb_w = 0, thumb_h = 0;
    std::string out, video, audio, sheet;
    bool cues = false, cues_csv = false;
    std::string scene; // one scene alone at pos, through the glow filter with glow
    double pos = 0;
    bool have_pos = false, glow = false;
};

// Parses argv into o; returns 0, or the exit status after printing the fault.
static int parse(int argc, char** argv, Options* o) {
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        if (strcmp(a, "--help") == 0) {
            printf("%s", usage);
            exit(0);
        }
        if (strcmp(a, "--cues") == 0 || strcmp(a, "--cues=csv") == 0) {
            o->cues = true;
            o->cues_csv = strcmp(a, "--cues=csv") == 0;
            continue;
        }
        if (strcmp(a, "--glow") == 0) {
            o->glow = true;
            continue;
        }
        static const char* valued[] = {"--at",    "--from",  "--to", "--fps",   "--every",
                                       "--size",  "--thumb", "-o",   "--video", "--contact-sheet",
                                       "--audio", "--scene", "--pos"};
        bool known = false;
        for (const char* v : valued)
            known |= strcmp(a, v) == 0;
        if (!known)
            return fail_usage("unknown argument: %s", a);
        if (i + 1 >= argc)
            return fail_usage("%s needs a value", a);
        const char* v = argv[++i];
        if (strcmp(a, "-o") == 0) {
            o->out = v;
        } else if (strcmp(a, "--video") == 0) {
            o->video = v;
        } else if (strcmp(a, "--audio") == 0) {
            o->audio = v;
        } else if (strcmp(a, "--contact-sheet") == 0) {
            o->sheet = v;
        } else if (strcmp(a, "--scene") == 0) {
            o->scene = v;
        } else if (strcmp(a, "--size") == 0 || strcmp(a, "--thumb") == 0) {
            bool size = strcmp(a, "--size") == 0;
            if (!parse_size(v, MIN_SIDE, MAX_SIDE, size ? &o->w : &o->thumb_w,
                            size ? &o->h : &o->thumb_h))
                return fail_usage("%s wants WxH with sides from %d to %d, not %s", a, MIN_SIDE,
                                  MAX_SIDE, v);
        } else {
            double* target = strcmp(a, "--at") == 0     ? &o->at
                             : strcmp(a, "--from") == 0 ? &o->from
                             : strcmp(a, "--to") == 0   ? &o->to
                             : strcmp(a, "--fps") == 0  ? &o->fps
                             : strcmp(a, "--pos") == 0  ? &o->pos
                                                        : &o->every;
            if (!parse_number(v, target))
                return fail_usage("%s wants a number, not %s", a, v);
            o->have_at |= target == &o->at;
            o->have_from |= target == &o->from;
            o->have_to |= target == &o->to;
            o->have_every |= target == &o->every;
            o->have_pos |= target == &o->pos;
        }
    }
    return 0;
}

// The checks that need the whole command line; 0 or the usage status.
static int validate(Options* o) {
    if (o->fps <= 0 || o->fps > 1000)
        return fail_usage("--fps must lie in (0, 1000], not %g", o->fps);
    double last = offline_time(offline_frame_count(o->fps) - 1, o->fps);
    bool range_outputs = !o->video.empty() || !o->audio.empty();
    if (!o->scene.empty() || o->have_pos || o->glow) {
        if (o->scene.empty())
            return fail_usage("--pos and --glow belong to --scene");
        if (!scene_find(o->scene.c_str()))
            return fail_usage("unknown scene %s (scenes: %s)", o->scene.c_str(), scene_names());
        if (!o->have_pos || o->pos < 0 || o->pos > 1)
            return fail_usage("--scene needs --pos between 0 and 1");
        if (o->cues || o->have_at || o->have_from || o->have_to || range_outputs ||
            !o->sheet.empty() || o->have_every || o->thumb_w > 0 || o->out.empty())
            return fail_usage("--scene draws one scene alone: it takes -o FRAME.png alone");
        // The filter copies its square out of the frame, which must hold it.
        if (o->glow && (o->w < GLOW_SIZE || o->h < GLOW_SIZE))
            return fail_usage("--glow needs a frame of at least %dx%d, not %dx%d", GLOW_SIZE,
                              GLOW_SIZE, o->w, o->h);
        return 0;
    }
    if (o->cues) {
        if (o->have_at || o->have_from || o->have_to || range_outputs || !o->sheet.empty() ||
            !o->out.empty())
            return fail_usage("--cues takes no other output");
        return 0;
    }
    if (o->sheet.empty() && (o->have_every || o->thumb_w > 0))
        return fail_usage("--every and --thumb belong to --contact-sheet");
    for (double t : {o->at, o->from, o->to})
        if (t < 0 || t > last)
            return fail_usage("times lie between 0 and %g seconds, not %g", last, t);
    if (o->have_at) {
        if (o->have_from || o->have_to || range_outputs || !o->sheet.empty())
            return fail_usage("--at draws one frame: it takes -o FRAME.png alone");
        if (o->out.empty())
            return fail_usage("--at needs -o FRAME.png");
        return 0;
    }
    if (!o->have_to)
        o->to = last;
    if (o->from > o->to)
        return fail_usage("--from %g lies after --to %g", o->from, o->to);
    if (!o->sheet.empty()) {
        if (range_outputs || !o->out.empty())
            return fail_usage("--contact-sheet takes no other output");
        if (o->every < 1.0 / o->fps)
            return fail_usage("--every must be at least one frame (%g s), not %g", 1.0 / o->fps,
                              o->every);
        if (o->thumb_w == 0) {
            o->thumb_w = o->w / 4 > 0 ? o->w / 4 : 1;
            o->thumb_h = o->h / 4 > 0 ? o->h / 4 : 1;
        }
        if (o->thumb_w > o->w || o->thumb_h > o->h)
            return fail_usage("--thumb %dx%d is larger than the frame %dx%d", o->thumb_w,
                              o->thumb_h, o->w, o->h);
        return 0;
    }
    if (o->out.empty() && !range_outputs)
        return fail_usage("nothing to write: give --at, -o DIR, --video, --audio, "
                          "--contact-sheet or --cues");
    if (!o->video.empty() && (o->w % 2 || o->h % 2))
        return fail_usage("--video needs an even width and height, not %dx%d", o->w, o->h);
    return 0;
}

// The frame just drawn, as top-to-bottom RGB (GL reads rows bottom to top).
static void read_frame(int w, int h, std::vector<unsigned char>* rgba,
                       std::vector<unsigned char>* rgb) {
    rgba->resize((size_t)w * (size_t)h * 4);
    rgb->resize((size_t)w * (size_t)h * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba->data());
    for (int y = 0; y < h; y++) {
        const unsigned char* src = rgba->data() + (size_t)(h - 1 - y) * (size_t)w * 4;
        unsigned char* dst = rgb->data() + (size_t)y * (size_t)w * 3;
        for (int x = 0; x < w; x++)
            memcpy(dst + x * 3, src + x * 4, 3);
    }
}

// A folder of its own for the video's intermediate files, removed on every way out.
struct Scratch {
    std::string dir;
    std::string file(const char* name) const { return dir + "/" + name; }
    bool make(std::string* why) {
        const char* base = getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/ordune-render.XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (!mkdtemp(buf.data())) {
            *why = "cannot make a temporary folder in " + pattern + ": " + strerror(errno);
            return false;
        }
        dir = buf.data();
        return true;
    }
    ~Scratch() {
        if (dir.empty())
            return;
        for (const char* name : {"video.mp4", "audio.wav", "encode.log", "mux.log"})
            unlink(file(name).c_str());
        rmdir(dir.c_str());
    }
};

static int print_cues(const Options& o) {
    // Checked here so that the usual case gives one line, not the player's warning and ours.
    if (access("music.xm", R_OK) != 0)
        return fail(std::string("cannot read music.xm in the working folder: ") + strerror(errno) +
                    "; the cue sheet needs the module");
    gl_use_null();
    offline_begin();
    if (!offline_music()) {
        offline_end();
        return fail("no music.xm could be opened in the working folder: the cue sheet needs one");
    }
    MusicTrace trace;
    cues_trace_music(&trace, SHOW_LAST_MS + 1);
    std::vector<Cue> cues = cues_collect(trace);
    offline_end();
    cues_print(stdout, cues, o.cues_csv);
    return 0;
}

static int render_one(const Options& o) {
    long k = offline_frame_at(o.at, o.fps);
    offline_skip(0, k, o.fps);
    offline_draw(k, o.fps, nullptr);
    std::vector<unsigned char> rgba, rgb;
    read_frame(o.w, o.h, &rgba, &rgb);
    std::string why;
    if (!png_write(o.out, rgb.data(), o.w, o.h, &why))
        return fail(why);
    return 0;
}

// One scene alone at its pos, after the frame set-up the timeline's scenes get and the show's
// start-up, with the clock and the music at 0.
static int render_scene(const Options& o) {
    const SceneEntry* scene = scene_find(o.scene.c_str());
    scene_build(scene);
    show_frame_setup();
    if (o.glow)
        glowfilter_around(scene->draw, (float)o.pos);
    else
        scene->draw((float)o.pos);
    scene_release(scene);
    std::vector<unsigned char> rgba, rgb;
    read_frame(o.w, o.h, &rgba, &rgb);
    std::string why;
    if (!png_write(o.out, rgb.data(), o.w, o.h, &why))
        return fail(why);
    return 0;
}

static int render_sheet(const Options& o) {
    long last = offline_frame_at(o.to, o.fps);
    std::vector<double> times;
    for (long i = 0;; i++) {
        double t = o.from + (double)i * o.every;
        if (offline_frame_at(t, o.fps) > last)
            break;
        times.push_back(t);
    }
    ContactSheet sheet;
    sheet_init(&sheet, (int)times.size(), o.thumb_w, o.thumb_h, SHEET_COLUMNS);
    std::vector<unsigned char> rgba, rgb;
    long next = 0;
    progress_begin((long)times.size(), "thumbnails");
    for (size_t i = 0; i < times.size(); i++) {
        long k = offline_frame_at(times[i], o.fps);
        offline_skip(next, k, o.fps);
        offline_draw(k, o.fps, nullptr);
        next = k + 1;
        read_frame(o.w, o.h, &rgba, &rgb);
        sheet_place(&sheet, (int)i, rgb.data(), o.w, o.h, sheet_label(times[i]));
        progress_update((long)i + 1);
    }
    progress_end();
    std::string why;
    if (!png_write(o.sheet, sheet.rgb.data(), sheet.w, sheet.h, &why))
        return fail(why);
    return 0;
}

static std::string frame_name(const std::string& dir, long k) {
    char name[32];
    snprintf(name, sizeof name, "/%06ld.png", k);
    return dir + name;
}

// Frames [k0, k1] to the PNG folder and the video, with the sound they are shown for.
static int render_range(const Options& o, bool draws) {
    long k0 = offline_frame_at(o.from, o.fps), k1 = offline_frame_at(o.to, o.fps);
    long frames = k1 - k0 + 1;
    std::string why;
    Scratch scratch;
    bool video = !o.video.empty();
    if (video &&
        (!scratch.make(&why) || !video_begin(scratch.file("video.mp4"), scratch.file("encode.log"),
                                             o.w, o.h, o.fps, &why)))
        return fail(why);
    std::vector<short> pcm;
    std::vector<short>* sink = video || !o.audio.empty() ? &pcm : nullptr;
    if (draws)
        offline_skip(0, k0, o.fps);
    offline_audio_to(k0, o.fps, nullptr);
    if (draws) {
        std::vector<unsigned char> rgba, rgb;
        progress_begin(frames, "frames");
        for (long k = k0; k <= k1; k++) {
            offline_draw(k, o.fps, sink);
            read_frame(o.w, o.h, &rgba, &rgb);
            bool ok =
                (o.out.empty() || png_write(frame_name(o.out, k), rgb.data(), o.w, o.h, &why)) &&
                (!video || video_frame(rgb.data(), &why));
            if (!ok) {
                progress_end();
                video_abort();
                return fail(why);
            }
            progress_update(k - k0 + 1);
        }
        progress_end();
    }
    offline_audio_to(k1 + 1, o.fps, sink);
    // The player's sample count rests on float times; the file lasts exactly frames / fps.
    pcm.resize((size_t)lround((double)frames * WAV_RATE / o.fps) * WAV_CHANNELS, 0);
    if (video) {
        std::string wav = scratch.file("audio.wav");
        if (!video_end(&why) || !wav_write(wav, pcm, &why) ||
            !video_mux(scratch.file("video.mp4"), wav, o.video, scratch.file("mux.log"), &why))
            return fail(why);
    }
    if (!o.audio.empty() && !wav_write(o.audio, pcm, &why))
        return fail(why);
    return 0;
}

int main(int argc, char** argv) {
    Options o;
    int status = parse(argc, argv, &o);
    if (status == 0)
        status = validate(&o);
    if (status != 0)
        return status;
    if (o.cues)
        return print_cues(o);

    // Every output is checked before a render that may take minutes starts.
    std::string why;
    bool single = o.have_at || !o.scene.empty();
    bool folder = !single && !o.out.empty();
    if (folder ? !output_check_dir(o.out, &why) : !o.out.empty() && !output_check(o.out, &why))
        return fail(why);
    for (const std::string* path : {&o.video, &o.audio, &o.sheet})
        if (!path->empty() && !output_check(*path, &why))
            return fail(why);

    bool draws = single || folder || !o.video.empty() || !o.sheet.empty();
    if (draws) {
        if (!egl_open(o.w, o.h, &why))
            return fail("no headless OpenGL: " + why);
        gl_use_platform();
        fprintf(stderr, "ordune-render: %s\n", egl_renderer().c_str());
    } else {
        gl_use_null();
    }
    OPENGL_XRES = o.w;
    OPENGL_YRES = o.h;
    offline_begin();
    status = !o.scene.empty()   ? render_scene(o)
             : o.have_at        ? render_one(o)
             : !o.sheet.empty() ? render_sheet(o)
                                : render_range(o, draws);
    offline_end();
    gl_use_null();
    if (draws)
        egl_close();
    return status;
}
