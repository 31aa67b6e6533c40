#pragma once
// The soft look of the text screens: every pixel but those of the first and
// last rows becomes a quarter each of the pixel above (already smoothed), of
// itself, of its right neighbour and of the pixel below. Runs in place in
// memory order, so the blur drifts downward; it only ever darkens.
struct gbuffer_T;

void smoothPass(gbuffer_T* buf);
