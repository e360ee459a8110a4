// The ffmpeg processes. SIGPIPE is ignored while the encoder runs, so an encoder that dies
// turns the next write into an error we report instead of killing the renderer.
#include "tools/video.h"
#include "show/interrupt.h"
#include "tools/output.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

// x264's CRF 18 keeps the thin glowing lines; VP9's scale is longer (0 to 63), and 24 there
// looks alike at about the same size.
static const VideoFormat formats[] = {
    {".mp4", "mp4", "libx264", "aac", 18, 51},
    {".mov", "mov", "libx264", "aac", 18, 51},
    {".mkv", "matroska", "libx264", "aac", 18, 51},
    {".webm", "webm", "libvpx-vp9", "libopus", 24, 63},
};

const VideoFormat* video_format(const std::string& path) {
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
        return nullptr;
    std::string ext = path.substr(dot);
    for (const VideoFormat& f : formats)
        if (ext == f.extension)
            return &f;
    return nullptr;
}

const char* video_extensions() {
    return ".mp4, .mov, .mkv or .webm";
}

static pid_t encoder = -1;
static int encoder_pipe = -1;
static size_t frame_bytes = 0;
static std::string encoder_log;

// The last non-empty line ffmpeg wrote, to name the cause of a failure.
static std::string last_log_line(const std::string& log_path) {
    FILE* f = fopen(log_path.c_str(), "r");
    if (!f)
        return "";
    char line[512];
    std::string last;
    while (fgets(line, sizeof line, f)) {
        size_t n = strlen(line);
        while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r'))
            line[--n] = '\0';
        if (n > 0)
            last = line;
    }
    fclose(f);
    return last;
}

// Starts ffmpeg with args; its stdin is the read end of a new pipe when stdin_fd is not null,
// else /dev/null. Its stdout is discarded and its stderr goes to log_path.
static pid_t spawn_ffmpeg(const std::vector<std::string>& args, const std::string& log_path,
                          int* stdin_fd, std::string* why) {
    int fds[2] = {-1, -1};
    if (stdin_fd && pipe(fds) != 0) {
        *why = std::string("cannot make a pipe to ffmpeg: ") + strerror(errno);
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdin_fd) {
        posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addclose(&actions, fds[1]);
    } else {
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, log_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = -1;
    int err = posix_spawnp(&pid, "ffmpeg", &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (stdin_fd)
        close(fds[0]);
    if (err != 0) {
        if (stdin_fd)
            close(fds[1]);
        *why = err == ENOENT ? "ffmpeg not found on PATH (install Debian's ffmpeg)"
                             : std::string("cannot start ffmpeg: ") + strerror(err);
        return -1;
    }
    if (stdin_fd) {
        fcntl(fds[1], F_SETFD, FD_CLOEXEC);
        *stdin_fd = fds[1];
    }
    return pid;
}

// Waits for pid; false with why naming ffmpeg's last message when it did not exit cleanly.
// A caught signal stops it.
static bool wait_ffmpeg(pid_t pid, const std::string& log_path, std::string* why) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno == EINTR && interrupt_signal()) {
            kill(pid, SIGTERM);
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            *why = "interrupted";
            return false;
        }
        if (errno != EINTR) {
            *why = std::string("cannot wait for ffmpeg: ") + strerror(errno);
            return false;
        }
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    std::string cause = last_log_line(log_path);
    *why = "ffmpeg failed" + (cause.empty() ? std::string() : ": " + cause);
    return false;
}

// BT.709 at video range, converted so and tagged so: what players assume for HD and what
// they read from the tags at any size.
static const std::vector<std::string> bt709 = {"-vf",
                                               "scale=out_color_matrix=bt709:out_range=tv",
                                               "-colorspace",
                                               "bt709",
                                               "-color_primaries",
                                               "bt709",
                                               "-color_trc",
                                               "bt709",
                                               "-color_range",
                                               "tv"};

bool video_begin(const VideoFormat& format, int crf, const std::string& video_path,
                 const std::string& log_path, int w, int h, long num, long den, std::string* why) {
    signal(SIGPIPE, SIG_IGN);
    std::string size = std::to_string(w) + "x" + std::to_string(h);
    std::string rate = std::to_string(num) + "/" + std::to_string(den);
    std::vector<std::string> args = {
        "ffmpeg",   "-nostdin", "-hide_banner", "-loglevel", "error",      "-y", "-f", "rawvideo",
        "-pix_fmt", "rgb24",    "-s",           size,        "-framerate", rate, "-i", "pipe:0"};
    args.insert(args.end(), bt709.begin(), bt709.end());
    args.insert(args.end(), {"-c:v", format.video_codec, "-crf", std::to_string(crf)});
    // libx264's medium preset; VP9 in constant-quality mode (no bitrate cap), rows in parallel.
    if (strcmp(format.video_codec, "libvpx-vp9") == 0)
        args.insert(args.end(), {"-b:v", "0", "-row-mt", "1", "-deadline", "good"});
    else
        args.insert(args.end(), {"-preset", "medium"});
    args.insert(args.end(), {"-pix_fmt", "yuv420p", "-f", "matroska", video_path});
    encoder_log = log_path;
    frame_bytes = (size_t)w * (size_t)h * 3;
    encoder = spawn_ffmpeg(args, log_path, &encoder_pipe, why);
    return encoder > 0;
}

bool video_frame(const unsigned char* rgb, std::string* why) {
    size_t done = 0;
    while (done < frame_bytes) {
        ssize_t n = write(encoder_pipe, rgb + done, frame_bytes - done);
        if (n < 0 && errno == EINTR && interrupt_signal()) {
            *why = "interrupted";
            return false;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            std::string cause = last_log_line(encoder_log);
            *why = "ffmpeg stopped taking frames" + (cause.empty() ? std::string() : ": " + cause);
            return false;
        }
        done += (size_t)n;
    }
    return true;
}

bool video_end(std::string* why) {
    close(encoder_pipe);
    encoder_pipe = -1;
    bool ok = wait_ffmpeg(encoder, encoder_log, why);
    encoder = -1;
    return ok;
}

void video_abort() {
    if (encoder <= 0)
        return;
    close(encoder_pipe);
    encoder_pipe = -1;
    kill(encoder, SIGTERM);
    int status;
    while (waitpid(encoder, &status, 0) < 0 && errno == EINTR) {
    }
    encoder = -1;
}

bool video_mux(const VideoFormat& format, const std::string& video_path,
               const std::string& wav_path, const std::string& out, const std::string& log_path,
               std::string* why) {
    std::string part = output_part_name(out);
    std::vector<std::string> args = {
        "ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y",
        "-i",     video_path, "-i",           wav_path,    "-map",  "0:v:0",
        "-map",   "1:a:0",    "-c:v",         "copy",      "-c:a",  format.audio_codec,
        "-b:a",   "192k"};
    // MP4 and QuickTime put their index first, so a player can start before the file is in.
    if (strcmp(format.muxer, "mp4") == 0 || strcmp(format.muxer, "mov") == 0)
        args.insert(args.end(), {"-movflags", "+faststart"});
    args.insert(args.end(), {"-f", format.muxer, part});
    pid_t pid = spawn_ffmpeg(args, log_path, nullptr, why);
    if (pid <= 0)
        return false;
    if (!wait_ffmpeg(pid, log_path, why)) {
        unlink(part.c_str());
        return false;
    }
    return output_publish(out, why);
}
