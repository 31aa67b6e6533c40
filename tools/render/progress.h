#pragma once
// A progress bar on standard error while a long render runs: the share of
// the video frames done and the time left at the pace so far, redrawn in
// place a few times a second on a terminal (a line at every tenth into a
// file), and a last line end when done.
#include <cstdint>

void progress_start(uint32_t totalFrames);
void progress_frame(uint32_t frame);   // video frame just written, from 1
void progress_end();
