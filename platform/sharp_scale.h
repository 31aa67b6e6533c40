#pragma once
// Where the 320 x 240 picture goes in an output of any size: scaled up by the
// largest whole factor that fits (nearest neighbour, so every source pixel
// becomes the same square), then by one smooth step to fill the output with
// the aspect kept (the "sharp bilinear" scaling). The smooth step only blends
// the edges between those squares, so thin lines keep their width as they
// move instead of shimmering between 3 and 4 screen pixels.

struct pfSharpScale_T {
    int innerW, innerH;   // the whole-factor picture: 320 and 240 times factor
    int factor;           // at least 1
    int x, y, w, h;       // where it is drawn in the output, centred
};

pfSharpScale_T pf_sharpScale(int outW, int outH);

// The windowed mode's factor: the largest whole multiple of 320 x 240 that
// fits in two thirds of the desktop each way (at least 1), so the window is
// comfortably large yet leaves room around it.
int pf_windowFactor(int desktopW, int desktopH);
