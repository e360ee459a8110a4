// ordune-render: renders the show offline, frame-exact, without a display: frames as PNG, a
// video with its soundtrack, the soundtrack alone, a contact sheet, or the cue sheet.
//
// Frame k is drawn at show time k/F through the platform GL back end of a headless EGL context;
// the show is first brought to the first frame wanted as a seek does (show/replay.h), through the
// null back end, which is fast and leaves scenes, sync tracks and generators exactly as drawing
// them would. The show's 4:3
// picture is drawn at the size of its box in the frame and padded with black bars, so it is the
// very picture a render of the box's size gives.
#include "engine/gl.h"
#include "engine/glowfilter.h"
#include "engine/picture.h"
#include "engine/pixelscale.h"
#include "engine/textimages.h"
#include "show/arguments.h"
#include "show/offline.h"
#include "show/replay.h"
#include "show/show.h"
#include "tools/cues.h"
#include "tools/egl.h"
#include "show/interrupt.h"
#include "tools/output.h"
#include "tools/png.h"
#include "tools/progress.h"
#include "tools/sheet.h"
#include "tools/video.h"
#include "tools/wav.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

static const char* const TOOL = "ordune-render";

static const char* usage =
    "usage: ordune-render --at SECONDS -o FRAME.png\n"
    "       ordune-render --scene NAME --pos P [--glow] -o FRAME.png\n"
    "       ordune-render [--from A] [--to B] [-o DIR] [--video OUT] [--audio OUT.wav]\n"
    "       ordune-render --contact-sheet SHEET.png [--every N] [--thumb WxH] [--from A] [--to B]\n"
    "       ordune-render --cues [--by-time] | --cues=csv [--by-time]\n"
    "Frames are drawn at show time k/F; --from is the first, --to the end (not drawn), as "
    "ffmpeg's.\n"
    "  --size WxH      the frame (default 1024x768); at other aspects the 4:3 picture lies\n"
    "                  between black bars\n"
    "  --fill          fill the frame instead: a wider (or taller) 3-D view\n"
    "  --fps F         frames a second (default 60): 25, 12.5, 30000/1001; 23.976, 29.97 and\n"
    "                  59.94 mean 24000/1001, 30000/1001 and 60000/1001\n"
    "  --ssaa N        draw each frame at N times the size and average it down (2 to 4)\n"
    "  --gl es3        draw through the GLES 3 back end (the web build's) on an OpenGL ES\n"
    "                  context; --gl platform, the default, through desktop OpenGL\n"
    "  --video OUT     .mp4, .mov or .mkv (H.264, AAC) or .webm (VP9, Opus), BT.709\n"
    "  --crf N         the video's quality, lower is better (default 18; 24 for .webm)\n"
    "  --silent        the show without its music: no cue pulses, no sound\n"
    "                  (without it a missing or broken music.xm is an error)\n"
    "  -h, --help      this text\n"
    "  --version       the version\n"
    "Options with a value also take the form --name=value.\n";

enum { EXIT_RUNTIME = 1, EXIT_USAGE = 2 };
enum { MIN_SIDE = 2, MAX_SIDE = 8192 };
// A supersampled frame is drawn at most this large a side: llvmpipe's framebuffer limit.
enum { MAX_DRAWN_SIDE = 16384 };
enum { MAX_SSAA = 4 };
// Columns of the contact sheet: eight 256-pixel thumbnails make a sheet about 2100 pixels wide.
enum { SHEET_COLUMNS = 8 };

static int fail(const std::string& why) {
    fprintf(stderr, "%s: %s\n", TOOL, why.c_str());
    return EXIT_RUNTIME;
}

struct Options {
    bool have_at = false, have_from = false, have_to = false, have_every = false;
    double at = 0, from = 0, to = 0, every = 5;
    FrameRate rate;
    int w = 1024, h = 768, thumb_w = 0, thumb_h = 0;
    std::string out, video, audio, sheet;
    bool cues = false, cues_csv = false, by_time = false;
    std::string scene; // one scene alone at pos, through the glow filter with glow
    double pos = 0;
    bool have_pos = false, glow = false;
    bool silent = false, fill = false, help = false, version = false;
    int ssaa = 1;
    bool es3 = false; // --gl es3: the GLES 3 back end on an OpenGL ES context
    int crf = -1;     // the format's default
    const VideoFormat* format = nullptr;
};

static const char* const valued[] = {"--at",    "--from",  "--to",   "--fps",   "--every",
                                     "--size",  "--thumb", "-o",     "--video", "--audio",
                                     "--scene", "--pos",   "--ssaa", "--crf",   "--contact-sheet",
                                     "--gl",    nullptr};

// A whole number in [lo, hi] for option name; false after the message.
static bool take_int(const std::string& name, const std::string& v, int lo, int hi, int* out) {
    double x;
    if (parse_number(v.c_str(), &x) && x == std::floor(x) && x >= lo && x <= hi) {
        *out = (int)x;
        return true;
    }
    usage_fault(TOOL, "%s wants a whole number from %d to %d, not %s", name.c_str(), lo, hi,
                v.c_str());
    return false;
}

// Stores one valued option; 0 or the usage status after the message.
static int take_value(const std::string& a, const std::string& v, Options* o) {
    if (a == "-o")
        o->out = v;
    else if (a == "--video")
        o->video = v;
    else if (a == "--audio")
        o->audio = v;
    else if (a == "--contact-sheet")
        o->sheet = v;
    else if (a == "--scene")
        o->scene = v;
    else if (a == "--gl") {
        if (v != "platform" && v != "es3")
            return usage_fault(TOOL, "--gl is platform or es3, not %s", v.c_str());
        o->es3 = v == "es3";
    } else if (a == "--ssaa")
        return take_int(a, v, 1, MAX_SSAA, &o->ssaa) ? 0 : EXIT_USAGE;
    else if (a == "--crf")
        return take_int(a, v, 0, 63, &o->crf) ? 0 : EXIT_USAGE;
    else if (a == "--fps") {
        if (!parse_rate(v.c_str(), &o->rate))
            return usage_fault(TOOL,
                               "--fps wants a rate above 0 and at most 1000, as 60, 29.97 or "
                               "30000/1001, not %s",
                               v.c_str());
    } else if (a == "--size" || a == "--thumb") {
        bool size = a == "--size";
        if (!parse_size(v.c_str(), MIN_SIDE, MAX_SIDE, size ? &o->w : &o->thumb_w,
                        size ? &o->h : &o->thumb_h))
            return usage_fault(TOOL, "%s wants WxH with sides from %d to %d, not %s", a.c_str(),
                               MIN_SIDE, MAX_SIDE, v.c_str());
    } else {
        double* target = a == "--at"     ? &o->at
                         : a == "--from" ? &o->from
                         : a == "--to"   ? &o->to
                         : a == "--pos"  ? &o->pos
                                         : &o->every;
        if (!parse_number(v.c_str(), target))
            return usage_fault(TOOL, "%s wants a number, not %s", a.c_str(), v.c_str());
        o->have_at |= target == &o->at;
        o->have_from |= target == &o->from;
        o->have_to |= target == &o->to;
        o->have_every |= target == &o->every;
        o->have_pos |= target == &o->pos;
    }
    return 0;
}

// The flags, each the Options member it sets.
static const struct {
    const char* name;
    bool Options::*flag;
} flags[] = {
    {"--cues", &Options::cues},     {"--by-time", &Options::by_time}, {"--glow", &Options::glow},
    {"--silent", &Options::silent}, {"--fill", &Options::fill},       {"--help", &Options::help},
    {"-h", &Options::help},         {"--version", &Options::version},
};

// Parses argv into o; returns 0, or the exit status after printing the fault.
static int parse(int argc, char** argv, Options* o) {
    ArgReader reader = {argc, argv, valued};
    std::string a, v, fault;
    for (;;) {
        ArgStep step = next_argument(&reader, &a, &v, &fault);
        if (step == ARG_DONE)
            return 0;
        if (step == ARG_FAULT)
            return usage_fault(TOOL, "%s", fault.c_str());
        if (a == "--cues=csv") {
            o->cues = o->cues_csv = true;
            continue;
        }
        bool known = false;
        for (const auto& f : flags)
            if (a == f.name) {
                o->*f.flag = known = true;
            }
        for (const char* const* name = valued; *name && !known; name++)
            if (a == *name) {
                known = true;
                if (int status = take_value(a, v, o))
                    return status;
            }
        if (!known)
            return usage_fault(TOOL, "unknown option %s", a.c_str());
    }
}

// Where the show's picture lies in the output frame: the centred 4:3 box, or with --fill the
// whole frame.
static PictureBox picture_in_frame(const Options& o) {
    return o.fill ? PictureBox{0, 0, o.w, o.h} : picture_box(o.w, o.h);
}

// The checks that need the whole command line; 0 or the usage status.
static int validate(Options* o) {
    double fps = o->rate.fps();
    long count = offline_frame_count(fps);
    double last = offline_time(count - 1, fps), end = (double)count / fps;
    bool range_outputs = !o->video.empty() || !o->audio.empty();
    // The drawn frame: the picture's box, or the whole frame with --fill, ssaa times each side.
    PictureBox box = picture_in_frame(*o);
    if (box.w * o->ssaa > MAX_DRAWN_SIDE || box.h * o->ssaa > MAX_DRAWN_SIDE)
        return usage_fault(TOOL, "--ssaa %d draws %dx%d, beyond %d a side", o->ssaa,
                           box.w * o->ssaa, box.h * o->ssaa, (int)MAX_DRAWN_SIDE);
    if (!o->video.empty()) {
        o->format = video_format(o->video);
        if (!o->format)
            return usage_fault(TOOL, "--video %s: the name must end in %s", o->video.c_str(),
                               video_extensions());
        if (o->crf > o->format->max_crf)
            return usage_fault(TOOL, "--crf for %s lies from 0 to %d, not %d", o->format->extension,
                               o->format->max_crf, o->crf);
        if (o->crf < 0)
            o->crf = o->format->default_crf;
        if (o->w % 2 || o->h % 2)
            return usage_fault(TOOL, "--video needs an even width and height, not %dx%d", o->w,
                               o->h);
    } else if (o->crf >= 0) {
        return usage_fault(TOOL, "--crf belongs to --video");
    }
    if (!o->scene.empty() || o->have_pos || o->glow) {
        if (o->scene.empty())
            return usage_fault(TOOL, "--pos and --glow belong to --scene");
        if (!scene_find(o->scene.c_str()))
            return usage_fault(TOOL, "unknown scene %s (scenes: %s)", o->scene.c_str(),
                               scene_names());
        if (!o->have_pos || o->pos < 0 || o->pos > 1)
            return usage_fault(TOOL, "--scene needs --pos between 0 and 1");
        if (o->cues || o->have_at || o->have_from || o->have_to || range_outputs ||
            !o->sheet.empty() || o->have_every || o->thumb_w > 0 || o->out.empty())
            return usage_fault(TOOL, "--scene draws one scene alone: it takes -o FRAME.png alone");
        // The filter copies its square out of the frame, which must hold it.
        if (o->glow && (box.w < GLOW_SIZE || box.h < GLOW_SIZE))
            return usage_fault(TOOL, "--glow needs a picture of at least %dx%d, not %dx%d",
                               GLOW_SIZE, GLOW_SIZE, box.w, box.h);
        return 0;
    }
    if (o->by_time && !o->cues)
        return usage_fault(TOOL, "--by-time belongs to --cues");
    if (o->cues) {
        if (o->have_at || o->have_from || o->have_to || range_outputs || !o->sheet.empty() ||
            !o->out.empty())
            return usage_fault(TOOL, "--cues takes no other output");
        if (o->silent)
            return usage_fault(TOOL, "--cues reads the music: it takes no --silent");
        return 0;
    }
    if (o->sheet.empty() && (o->have_every || o->thumb_w > 0))
        return usage_fault(TOOL, "--every and --thumb belong to --contact-sheet");
    if (o->have_at) {
        if (o->have_from || o->have_to || range_outputs || !o->sheet.empty())
            return usage_fault(TOOL, "--at draws one frame: it takes -o FRAME.png alone");
        if (o->at < 0 || o->at > last)
            return usage_fault(TOOL, "--at lies between 0 and %g seconds, not %g", last, o->at);
        if (o->out.empty())
            return usage_fault(TOOL, "--at needs -o FRAME.png");
        return 0;
    }
    if (!o->have_to)
        o->to = end;
    if (o->from < 0 || o->to > end)
        return usage_fault(TOOL, "--from and --to lie between 0 and %g seconds, not %g and %g", end,
                           o->from, o->to);
    if (offline_frame_at(o->from, fps) >= offline_frame_at(o->to, fps))
        return usage_fault(TOOL, "--from %g to --to %g holds no frame at %g fps", o->from, o->to,
                           fps);
    if (!o->sheet.empty()) {
        if (range_outputs || !o->out.empty())
            return usage_fault(TOOL, "--contact-sheet takes no other output");
        if (o->every < 1.0 / fps)
            return usage_fault(TOOL, "--every must be at least one frame (%g s), not %g", 1.0 / fps,
                               o->every);
        if (o->thumb_w == 0) {
            o->thumb_w = o->w / 4 > 0 ? o->w / 4 : 1;
            o->thumb_h = o->h / 4 > 0 ? o->h / 4 : 1;
        }
        if (o->thumb_w > o->w || o->thumb_h > o->h)
            return usage_fault(TOOL, "--thumb %dx%d is larger than the frame %dx%d", o->thumb_w,
                               o->thumb_h, o->w, o->h);
        return 0;
    }
    if (o->out.empty() && !range_outputs)
        return usage_fault(TOOL, "nothing to write: give --at, -o DIR, --video, --audio, "
                                 "--contact-sheet or --cues");
    return 0;
}

// ---- Frames --------------------------------------------------------------------------------

// Where the picture lies in the output frame and how it is drawn: at `ssaa` times the box's
// size, then averaged down to the box, the rest of the frame black.
struct Frame {
    int w, h;       // the output frame
    PictureBox box; // the picture in it, origin at the lower left
    int ssaa;
    int drawn_w() const { return box.w * ssaa; }
    int drawn_h() const { return box.h * ssaa; }
    std::vector<unsigned char> rgba, drawn, picture; // buffers kept from frame to frame
    std::vector<unsigned char> rgb;                  // the finished frame, rows top to bottom
};

static Frame frame_for(const Options& o) {
    Frame f;
    f.w = o.w;
    f.h = o.h;
    f.box = picture_in_frame(o);
    f.ssaa = o.ssaa;
    return f;
}

// The frame just drawn into f->rgb: read back (GL rows run bottom to top), averaged down, and
// placed in its box on black.
static void grab_frame(Frame* f) {
    int dw = f->drawn_w(), dh = f->drawn_h();
    f->rgba.resize((size_t)dw * (size_t)dh * 4);
    f->drawn.resize((size_t)dw * (size_t)dh * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, dw, dh, GL_RGBA, GL_UNSIGNED_BYTE, f->rgba.data());
    for (int y = 0; y < dh; y++) {
        const unsigned char* src = f->rgba.data() + (size_t)(dh - 1 - y) * (size_t)dw * 4;
        unsigned char* dst = f->drawn.data() + (size_t)y * (size_t)dw * 3;
        for (int x = 0; x < dw; x++)
            memcpy(dst + x * 3, src + x * 4, 3);
    }
    const std::vector<unsigned char>* picture = &f->drawn;
    if (f->ssaa > 1) {
        f->picture.resize((size_t)f->box.w * (size_t)f->box.h * 3);
        image_downscale(f->drawn.data(), dw, dh, f->picture.data(), f->box.w, f->box.h);
        picture = &f->picture;
    }
    f->rgb.assign((size_t)f->w * (size_t)f->h * 3, 0);
    int top = f->h - f->box.y - f->box.h;
    for (int y = 0; y < f->box.h; y++)
        memcpy(&f->rgb[((size_t)(top + y) * (size_t)f->w + (size_t)f->box.x) * 3],
               &(*picture)[(size_t)y * (size_t)f->box.w * 3], (size_t)f->box.w * 3);
}

static int write_png(const std::string& path, const Frame& f) {
    std::string why;
    return png_write(path, f.rgb.data(), f.w, f.h, &why) ? 0 : fail(why);
}

// The contact sheet's way between thumbnails: frames [from, to) through the null back end, a
// second of frames at a time, so that a signal stops it soon. False when a signal came.
static bool skip_to(long from, long to, double fps) {
    for (long k = from; k < to && !interrupt_signal(); k += 60)
        offline_skip(k, k + 60 < to ? k + 60 : to, fps);
    return !interrupt_signal();
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
        for (const char* name : {"video.mkv", "audio.wav", "encode.log", "mux.log"})
            unlink(file(name).c_str());
        rmdir(dir.c_str());
    }
};

static int print_cues(const Options& o) {
    gl_use_null();
    offline_begin();
    if (!offline_music()) {
        std::string why = offline_music_fault();
        offline_end();
        return fail(why + "; the cue sheet needs the module");
    }
    MusicTrace trace;
    cues_trace_music(&trace, SHOW_LAST_MS + 1);
    std::vector<Cue> cues = cues_collect(trace);
    offline_end();
    if (o.by_time)
        cues_sort_by_time(&cues);
    cues_print(stdout, cues, o.cues_csv);
    return 0;
}

static int render_one(const Options& o, Frame* f) {
    long k = offline_frame_at(o.at, o.rate.fps());
    replay_to(k, o.rate.fps());
    offline_draw(k, o.rate.fps(), nullptr);
    grab_frame(f);
    return write_png(o.out, *f);
}

// One scene alone at its pos, after the frame set-up the timeline's scenes get and the show's
// start-up, with the clock and the music at 0.
static int render_scene(const Options& o, Frame* f) {
    const SceneEntry* scene = scene_find(o.scene.c_str());
    scene_build(scene);
    show_frame_setup();
    if (o.glow)
        glowfilter_around(scene->draw, (float)o.pos);
    else
        scene->draw((float)o.pos);
    scene_release(scene);
    grab_frame(f);
    return write_png(o.out, *f);
}

// The sheet's label of frame k: its time, then the scenes it draws ("backdrop" when none).
static std::string sheet_caption(long k, double fps) {
    std::string scenes;
    ScenePos drawn[TIMELINE_SCENES];
    int n = show_scenes_at(show_ms(offline_time(k, fps)), drawn);
    for (int i = 0; i < n; i++)
        scenes += (i ? " " : "") + std::string(drawn[i].scene->name);
    return sheet_label((double)k / fps) + "\n" + (n ? scenes : "backdrop");
}

static int render_sheet(const Options& o, Frame* f) {
    double fps = o.rate.fps();
    long end = offline_frame_at(o.to, fps);
    std::vector<long> frames;
    for (long i = 0;; i++) {
        long k = offline_frame_at(o.from + (double)i * o.every, fps);
        if (k >= end)
            break;
        frames.push_back(k);
    }
    ContactSheet sheet;
    sheet_init(&sheet, (int)frames.size(), o.thumb_w, o.thumb_h, SHEET_COLUMNS);
    long next = 0;
    progress_begin((long)frames.size(), "thumbnails");
    for (size_t i = 0; i < frames.size(); i++) {
        long k = frames[i];
        if (!skip_to(next, k, fps))
            break;
        offline_draw(k, fps, nullptr);
        next = k + 1;
        grab_frame(f);
        sheet_place(&sheet, (int)i, f->rgb.data(), f->w, f->h, sheet_caption(k, fps));
        progress_update((long)i + 1);
    }
    progress_end();
    if (interrupt_signal())
        return interrupt_status();
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

// Frames [k0, k1) to the PNG folder and the video, with the sound they are shown for. A signal
// stops the encoder; the scratch folder goes with it, and nothing is left under the video's or
// the sound's name.
static int render_range(const Options& o, Frame* f, bool draws) {
    double fps = o.rate.fps();
    long k0 = offline_frame_at(o.from, fps), k1 = offline_frame_at(o.to, fps);
    long frames = k1 - k0;
    std::string why;
    Scratch scratch;
    bool video = !o.video.empty();
    if (video && (!scratch.make(&why) ||
                  !video_begin(*o.format, o.crf, scratch.file("video.mkv"),
                               scratch.file("encode.log"), o.w, o.h, o.rate.num, o.rate.den, &why)))
        return fail(why);
    std::vector<short> pcm;
    std::vector<short>* sink = video || !o.audio.empty() ? &pcm : nullptr;
    if (draws)
        replay_to(k0, fps);
    offline_audio_to(k0, fps, nullptr);
    if (draws) {
        progress_begin(frames, "frames");
        for (long k = k0; k < k1; k++) {
            offline_draw(k, fps, sink);
            grab_frame(f);
            bool ok = !interrupt_signal() &&
                      (o.out.empty() ||
                       png_write(frame_name(o.out, k), f->rgb.data(), f->w, f->h, &why)) &&
                      (!video || video_frame(f->rgb.data(), &why));
            if (!ok) {
                progress_end();
                video_abort();
                return interrupt_signal() ? interrupt_status() : fail(why);
            }
            progress_update(k - k0 + 1);
        }
        progress_end();
    }
    offline_audio_to(k1, fps, sink);
    // The player's sample count rests on float times; the file lasts exactly frames / fps.
    double seconds = (double)frames * (double)o.rate.den / (double)o.rate.num;
    pcm.resize((size_t)lround(seconds * WAV_RATE) * WAV_CHANNELS, 0);
    if (video) {
        std::string wav = scratch.file("audio.wav");
        if (!video_end(&why) || !wav_write(wav, pcm, &why) ||
            !video_mux(*o.format, scratch.file("video.mkv"), wav, o.video, scratch.file("mux.log"),
                       &why))
            return interrupt_signal() ? interrupt_status() : fail(why);
    }
    if (interrupt_signal())
        return interrupt_status();
    if (!o.audio.empty() && !wav_write(o.audio, pcm, &why))
        return fail(why);
    return 0;
}

int main(int argc, char** argv) {
    Options o;
    int status = parse(argc, argv, &o);
    if (status != 0)
        return status;
    if (o.help) {
        printf("%s", usage);
        return 0;
    }
    if (o.version) {
        printf("%s %s\n", TOOL, ORDUNE_VERSION);
        return 0;
    }
    if ((status = validate(&o)) != 0)
        return status;
    interrupt_catch();
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

    // A render without its music would lack every cue pulse: refused before it starts, unless
    // asked for.
    if (!o.silent) {
        if (!sound.openOffline(&why))
            return fail(why + " (--silent renders the show without its music)");
        sound.release();
    }

    Frame frame = frame_for(o);
    bool draws = single || folder || !o.video.empty() || !o.sheet.empty();
    if (draws) {
        bool opened = o.es3 ? egl_open_es3(frame.drawn_w(), frame.drawn_h(), &why)
                            : egl_open(frame.drawn_w(), frame.drawn_h(), &why);
        if (!opened)
            return fail(std::string("no headless OpenGL") + (o.es3 ? " ES 3: " : ": ") + why);
        const char* es3_why = "";
        if (!o.es3)
            gl_use_platform();
        else if (!gl_use_es3(&es3_why)) {
            egl_close();
            return fail(std::string("the GLES 3 back end: ") + es3_why);
        }
        gl_scale_pixels(frame.ssaa);
        fprintf(stderr, "%s: %s\n", TOOL, egl_renderer().c_str());
    } else {
        gl_use_null();
    }
    OPENGL_XRES = frame.drawn_w();
    OPENGL_YRES = frame.drawn_h();
    if (o.fill)
        font_fill((float)o.w / (float)o.h);
    offline_begin(!o.silent);
    if (o.silent)
        fprintf(stderr, "%s: --silent: the show without its music, so without its cue pulses\n",
                TOOL);
    if (!o.silent && !offline_music()) // gone since the check
        status = fail(offline_music_fault());
    else
        status = !o.scene.empty()   ? render_scene(o, &frame)
                 : o.have_at        ? render_one(o, &frame)
                 : !o.sheet.empty() ? render_sheet(o, &frame)
                                    : render_range(o, &frame, draws);
    offline_end();
    gl_use_null();
    if (draws)
        egl_close();
    if (interrupt_signal())
        fprintf(stderr, "%s: interrupted; nothing more written\n", TOOL);
    return status;
}
