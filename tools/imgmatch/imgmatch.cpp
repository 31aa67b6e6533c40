// varnek-imgmatch SHOT.ppm FRAME.png...: which of the offline renderer's
// frames does a screenshot of the real window show? Prints the best frame
// and its mean absolute difference per channel (0 to 255).
//
// The frames are the renderer's PNG files, read through libpng; the
// screenshot is a binary PPM of the 320 x 240 client area.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "formats/png_read.h"
#include "platform/cmdline.h"

namespace {
bool readFile(const char* path, std::vector<unsigned char>& out)
{
    FILE* f = std::fopen(path, "rb");
    if (!f)
        return false;
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0)
        out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return true;
}

bool readPpm(const char* path, std::vector<unsigned char>& rgb, int& w, int& h)
{
    std::vector<unsigned char> f;
    if (!readFile(path, f))
        return false;
    int maxval = 0, fields = 0;
    size_t pos = 2;
    if (f.size() < 2 || f[0] != 'P' || f[1] != '6')
        return false;
    int values[3];
    while (fields < 3 && pos < f.size()) {
        if (f[pos] == '#') {
            while (pos < f.size() && f[pos] != '\n')
                pos++;
        } else if (f[pos] >= '0' && f[pos] <= '9') {
            int v = 0;
            while (pos < f.size() && f[pos] >= '0' && f[pos] <= '9')
                v = v * 10 + (f[pos++] - '0');
            values[fields++] = v;
            continue;
        }
        pos++;
    }
    w = values[0];
    h = values[1];
    maxval = values[2];
    pos++;   // the single white space after the header
    if (fields != 3 || maxval != 255 || f.size() < pos + (size_t)w * h * 3)
        return false;
    rgb.assign(f.begin() + (long)pos, f.begin() + (long)pos + (long)w * h * 3);
    return true;
}
}

static const char* const USAGE =
    "usage: varnek-imgmatch SHOT.ppm FRAME.png...\n"
    "Prints which frame the screenshot shows best and the mean difference per channel.\n";

int main(int argc, char** argv)
{
    int answered = cmd_helpOrVersion(argc, argv, "varnek-imgmatch", USAGE);
    if (answered >= 0)
        return answered;
    for (int i = 1; i < argc; i++)
        if (argv[i][0] == '-' && argv[i][1] != 0)
            return cmd_refuse("varnek-imgmatch", USAGE, "unknown option %s", argv[i]);
    if (argc < 3)
        return cmd_refuse("varnek-imgmatch", USAGE, argc < 2 ? "no screenshot given" : "no frames given");
    std::vector<unsigned char> shot;
    int sw = 0, sh = 0;
    if (!readPpm(argv[1], shot, sw, sh)) {
        std::fprintf(stderr, "varnek-imgmatch: cannot read %s\n", argv[1]);
        return 1;
    }
    double best = 1e9;
    std::string bestName;
    for (int i = 2; i < argc; i++) {
        std::vector<unsigned char> frame;
        int w = 0, h = 0;
        std::string error;
        if (png_readRgb(argv[i], &frame, &w, &h, &error) != 0) {
            std::fprintf(stderr, "varnek-imgmatch: %s: %s\n", argv[i], error.c_str());
            continue;
        }
        if (w != sw || h != sh)
            continue;
        uint64_t sum = 0;
        for (size_t k = 0; k < frame.size(); k++)
            sum += (uint64_t)std::abs((int)frame[k] - (int)shot[k]);
        double mean = (double)sum / (double)frame.size();
        if (mean < best) {
            best = mean;
            bestName = argv[i];
        }
    }
    if (bestName.empty()) {
        std::fprintf(stderr, "varnek-imgmatch: no frame of %d x %d to compare\n", sw, sh);
        return 1;
    }
    std::printf("%s %.2f\n", bestName.c_str(), best);
    return 0;
}
