// H.264 video with its soundtrack through Debian's ffmpeg, run as an external process fed raw
// frames on a pipe.
//
// The frames become a video-only file first; a second run muxes that with the soundtrack's WAV,
// since the sound of a render is complete only after its last frame.
#ifndef ORDUNE_TOOLS_VIDEO_H
#define ORDUNE_TOOLS_VIDEO_H

#include <string>

// Starts the encoder for w x h frames (both even, as 4:2:0 chroma needs) at fps, writing the
// video-only file video_path. ffmpeg's own messages go to log_path. On failure (ffmpeg
// missing, cannot start) returns false and sets why to one line.
bool video_begin(const std::string& video_path, const std::string& log_path, int w, int h,
                 double fps, std::string* why);
// Sends one frame: w * h * 3 bytes, RGB, rows top to bottom.
bool video_frame(const unsigned char* rgb, std::string* why);
// Closes the pipe and waits for the encoder. False, with why, when it failed.
bool video_end(std::string* why);
// Stops the encoder without waiting for a result, after a fault elsewhere.
void video_abort();
// Writes out (whole or not at all): the video stream of video_path copied, the WAV encoded as
// AAC beside it.
bool video_mux(const std::string& video_path, const std::string& wav_path, const std::string& out,
               const std::string& log_path, std::string* why);

#endif
