#pragma once
// The demo as a video in one step: frames and sound go straight into an
// ffmpeg process through two pipes (raw 16-bit stereo sound on one, raw RGB
// frames on the other), which writes H.264 at 60 frames per second scaled
// to 960 x 720 by whole pixels, with AAC sound. Nothing else lands on disk.
// The file appears under its own name only once ffmpeg has finished it;
// until then, and after a failure, there is no file of that name.
#include <cstdint>
#include <string>

// Starts ffmpeg for this output; 0, or -1 with error filled (ffmpeg missing,
// no pipe, no process).
int video_open(const char* path, int audioRate, int audioChannels, std::string* error);
int video_isOpen();
// One 320 x 240 display frame (565 or 555) / a run of 16-bit sound. -1 once
// ffmpeg has stopped taking input.
int video_frame(const uint16_t* pixels, int pitch, int format555);
int video_audio(const uint8_t* data, uint32_t bytes);
// Ends both streams and waits for ffmpeg; 0 when the file is complete,
// else -1 with error filled and no file left behind.
int video_close(std::string* error);
// Gives up on the output: ffmpeg is stopped and its part file removed.
void video_abandon();
