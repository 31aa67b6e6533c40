// varnek-imgmatch SHOT.ppm FRAME.png...: which of the offline renderer's
// frames does a screenshot of the real window show? Prints the best frame
// and its mean absolute difference per channel (0 to 255).
//
// The frames are the renderer's own PNG files (stored deflate blocks, filter
// 0); the screenshot is a binary PPM of the 320 x 240 client area.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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

uint32_t be32(const unsigned char* p) { return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3]; }

// RGB pixels of one of our PNG files, or false.
bool readOurPng(const char* path, std::vector<unsigned char>& rgb, int& w, int& h)
{
    std::vector<unsigned char> f;
    if (!readFile(path, f) || f.size() < 8 || std::memcmp(f.data(), "\x89PNG", 4) != 0)
        return false;
    std::vector<unsigned char> z;
    for (size_t pos = 8; pos + 12 <= f.size();) {
        uint32_t len = be32(&f[pos]);
        if (pos + 12 + len > f.size())
            return false;
        const unsigned char* type = &f[pos + 4];
        if (!std::memcmp(type, "IHDR", 4)) {
            w = (int)be32(&f[pos + 8]);
            h = (int)be32(&f[pos + 12]);
        } else if (!std::memcmp(type, "IDAT", 4)) {
            z.insert(z.end(), &f[pos + 8], &f[pos + 8] + len);
        }
        pos += 12 + len;
    }
    std::vector<unsigned char> raw;
    for (size_t pos = 2; pos + 5 <= z.size();) {
        bool last = z[pos] & 1;
        if ((z[pos] >> 1) & 3)
            return false;   // only stored blocks are ours
        size_t n = z[pos + 1] | z[pos + 2] << 8;
        if (pos + 5 + n > z.size())
            return false;
        raw.insert(raw.end(), &z[pos + 5], &z[pos + 5] + n);
        pos += 5 + n;
        if (last)
            break;
    }
    if (w <= 0 || h <= 0 || raw.size() != (size_t)(w * 3 + 1) * h)
        return false;
    rgb.resize((size_t)w * h * 3);
    for (int y = 0; y < h; y++)
        std::memcpy(&rgb[(size_t)y * w * 3], &raw[(size_t)y * (w * 3 + 1) + 1], (size_t)w * 3);
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

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: varnek-imgmatch SHOT.ppm FRAME.png...\n");
        return 2;
    }
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
        if (!readOurPng(argv[i], frame, w, h) || w != sw || h != sh)
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
