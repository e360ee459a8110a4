// Video with its soundtrack through Debian's ffmpeg, run as an external process fed raw frames
// on a pipe: H.264 and AAC in .mp4, .mov or .mkv, VP9 and Opus in .webm, the colours converted
// and tagged as BT.709 at video range.
//
// The frames become a video-only Matroska file first; a second run muxes that with the
// soundtrack's WAV, since the sound of a render is complete only after its last frame. ffmpeg
// runs in a process group of its own, so a Ctrl-C reaches the renderer alone, which stops it.
#ifndef ORDUNE_TOOLS_VIDEO_H
#define ORDUNE_TOOLS_VIDEO_H

#include <string>

// A container the renderer writes, chosen by the output's extension.
struct VideoFormat {
    const char* extension;   // ".mp4"
    const char* muxer;       // ffmpeg's name for the container
    const char* video_codec; // ffmpeg's encoder
    const char* audio_codec;
    int default_crf, max_crf; // the encoder's constant-quality scale: lower is better
};
// The format for path's extension (lower case), or null when it is none of them.
const VideoFormat* video_format(const std::string& path);
// The extensions known, for a message: ".mp4, .mov, .mkv or .webm".
const char* video_extensions();

// Starts the encoder of `format` at quality crf for w x h frames (both even, as 4:2:0 chroma
// needs) at rate num/den frames a second, writing the video-only file video_path. ffmpeg's own
// messages go to log_path. On failure (ffmpeg missing, cannot start) returns false and sets why
// to one line.
bool video_begin(const VideoFormat& format, int crf, const std::string& video_path,
                 const std::string& log_path, int w, int h, long num, long den, std::string* why);
// Sends one frame: w * h * 3 bytes, RGB, rows top to bottom.
bool video_frame(const unsigned char* rgb, std::string* why);
// Closes the pipe and waits for the encoder. False, with why, when it failed.
bool video_end(std::string* why);
// Stops the encoder without waiting for a result, after a fault elsewhere.
void video_abort();
// Writes out (whole or not at all): the video stream of video_path copied, the WAV encoded with
// the format's audio codec beside it.
bool video_mux(const VideoFormat& format, const std::string& video_path,
               const std::string& wav_path, const std::string& out, const std::string& log_path,
               std::string* why);

#endif
