// varnek-render: the whole demo on the headless backend, from start to end,
// writing what it shows and plays to files.
//
// Usage in USAGE below. --video streams the frames and the sound into
// ffmpeg; --only keeps those video frames alone, in the PNG files and in the
// video (with the sound of the same frames).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/app_data.h"
#include "app/engine_thread.h"
#include "app/window.h"
#include "engine/console.h"
#include "engine/engine.h"
#include "formats/png_write.h"
#include "formats/wav_file.h"
#include "platform/backend_headless.h"
#include "platform/cmdline.h"
#include "platform/display.h"
#include "platform/sound_out.h"
#include "tools/render/keys.h"
#include "tools/render/progress.h"
#include "platform/report_out.h"
#include "tools/render/video_out.h"

namespace {
std::string outDir;
uint32_t every = 1;
wavFile_T wav;
std::mutex outputMutex;
bool outputsOpen = true;
uint64_t frameHash = 1469598103934665603ull;   // FNV-1a over every presented frame
uint32_t lastStepFrames = 0;
uint32_t videoFrames = 0;
std::vector<std::pair<uint32_t, uint32_t>> ranges;   // video frames to write, all when empty
bool wavWanted = false;
std::string wavPath;
std::string videoPath;
bool videoBroken = false;
uint64_t videoSoundBytes = 0;   // sound bytes seen for the video, kept or not
// The sound the player asks for; the video's sound input is set up for it
// before the demo starts.
const int VIDEO_AUDIO_RATE = 44100;
const int VIDEO_AUDIO_CHANNELS = 2;

void onFrame(uint32_t, const uint16_t* pixels, int pitch, int)
{
    std::lock_guard<std::mutex> lock(outputMutex);
    if (!outputsOpen)
        return;
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++) {
            uint16_t p = pixels[(size_t)y * pitch + x];
            frameHash = (frameHash ^ (p & 0xFF)) * 1099511628211ull;
            frameHash = (frameHash ^ (p >> 8)) * 1099511628211ull;
        }
}

bool inRanges(uint32_t frame)
{
    if (ranges.empty())
        return true;
    for (const auto& r : ranges)
        if (frame >= r.first && frame <= r.second)
            return true;
    return false;
}

// Stops writing the video once ffmpeg takes no more; the end reports it.
void videoFailed()
{
    if (!videoBroken)
        std::fprintf(stderr, "varnek-render: ffmpeg stopped taking the video\n");
    videoBroken = true;
}

// PNG files and the video follow real time: one frame per 1/60 s, held
// pictures repeated.
void onVideo(uint32_t frame, const uint16_t* pixels, int pitch, int format)
{
    std::lock_guard<std::mutex> lock(outputMutex);
    if (!outputsOpen)
        return;
    videoFrames = frame;
    progress_frame(frame);
    if (video_isOpen() && !videoBroken && inRanges(frame) && video_frame(pixels, pitch, format == PF_FORMAT_555) != 0)
        videoFailed();
    if (!outDir.empty() && frame % every == 0 && inRanges(frame)) {
        char name[64];
        std::snprintf(name, sizeof(name), "/frame%05u.png", frame);
        png_write16((outDir + name).c_str(), pixels, pitch, 320, 240, format == PF_FORMAT_555);
    }
}

// The video's sound, cut to the frames it keeps: video frame F (from 1)
// plays the sound bytes of [F - 1, F) times 1/60 s.
int videoSound(const uint8_t* data, uint32_t bytes)
{
    const uint64_t frameBytes = (uint64_t)VIDEO_AUDIO_RATE / 60 * VIDEO_AUDIO_CHANNELS * 2;
    while (bytes > 0) {
        uint64_t frame = videoSoundBytes / frameBytes + 1;
        uint32_t chunk = (uint32_t)std::min<uint64_t>(bytes, frame * frameBytes - videoSoundBytes);
        if (inRanges((uint32_t)frame) && video_audio(data, chunk) != 0)
            return -1;
        data += chunk;
        bytes -= chunk;
        videoSoundBytes += chunk;
    }
    return 0;
}

void onAudio(const uint8_t* data, uint32_t bytes)
{
    std::lock_guard<std::mutex> lock(outputMutex);
    if (!outputsOpen)
        return;
    if (wavWanted && !wav.file) {
        const pfAudioFormat_T* fmt = pf_audioFormat();
        if (!fmt || wav_open(&wav, wavPath.c_str(), fmt->rate, fmt->channels, fmt->bits) != 0) {
            std::fprintf(stderr, "varnek-render: cannot write %s\n", wavPath.c_str());
            wavWanted = false;
            return;
        }
    }
    if (wav.file)
        wav_write(&wav, data, bytes);
    if (video_isOpen() && !videoBroken) {
        const pfAudioFormat_T* fmt = pf_audioFormat();
        if (!fmt || fmt->rate != VIDEO_AUDIO_RATE || fmt->channels != VIDEO_AUDIO_CHANNELS || fmt->bits != 16) {
            std::fprintf(stderr, "varnek-render: the sound is not 16-bit stereo at 44100 Hz, as the video expects\n");
            videoBroken = true;
        } else if (videoSound(data, bytes) != 0) {
            videoFailed();
        }
    }
}

void onStep(int step, const char* name)
{
    uint32_t now = dd_framesPresented();
    report_line("step %d %s: %u frames, ends at video frame %u", step, name, now - lastStepFrames, videoFrames);
    lastStepFrames = now;
}

void onLog(const char* line) { report_line("log: %s", line); }

void closeOutputs()
{
    std::lock_guard<std::mutex> lock(outputMutex);
    outputsOpen = false;
    if (wav.file)
        wav_close(&wav);
}

const char* const USAGE =
    "usage: varnek-render [--data DIR] [--out DIR] [--every N] [--wav FILE] [--video FILE.mp4]\n"
    "                     [--keys FILE] [--format 555|565] [--steps 1,2,...] [--only A-B,C-D] [--log]\n"
    "                     [--progress N]\n"
    "Runs the whole demo headless on a virtual 60 Hz clock, as fast as it can.\n"
    "  --data DIR         the data files (default: found as the demo finds them)\n"
    "  --out DIR          a PNG file per video frame (1/60 s), frameNNNNN.png\n"
    "  --every N          only every Nth of those frames\n"
    "  --wav FILE         the sound as a WAV file\n"
    "  --video FILE.mp4   frames and sound straight into an H.264 video through ffmpeg\n"
    "  --keys FILE        keys scripted by frame: FRAME KEY lines (esc, alt+enter, c, 3, space, close)\n"
    "  --format 555|565   the display's pixel format (default 565)\n"
    "  --steps 1,2,...    run only these steps of the timeline\n"
    "  --only A-B,C-D     keep only these video frames (from 1), in the PNG files and the video\n"
    "  --log              echo the log console's lines\n"
    "  --progress N       a progress bar on standard error, for a demo of N video frames\n";

int usage(const char* format, const char* what)
{
    return cmd_refuse("varnek-render", USAGE, format, what);
}

int parseRanges(const char* list)
{
    std::stringstream s(list);
    std::string item;
    while (std::getline(s, item, ',')) {
        unsigned a, b;
        if (std::sscanf(item.c_str(), "%u-%u", &a, &b) != 2 || a > b)
            return -1;
        ranges.emplace_back(a, b);
    }
    return ranges.empty() ? -1 : 0;
}

int parseSteps(const char* list, uint32_t& mask)
{
    mask = 0;
    std::stringstream s(list);
    std::string item;
    while (std::getline(s, item, ',')) {
        int step = std::atoi(item.c_str());
        if (step < 1 || step > ENGINE_STEPS)
            return -1;
        mask |= 1u << (step - 1);
    }
    return mask ? 0 : -1;
}
}

int main(int argc, char** argv)
{
    std::string dataDir;   // by default, found as the demo finds it
    std::string keysPath;
    uint32_t stepMask = 0xFFFFFFFFu;
    uint32_t progressTotal = 0;
    report_trackStdout();
    pf_headlessReset();
    int answered = cmd_helpOrVersion(argc, argv, "varnek-render", USAGE);
    if (answered >= 0)
        return answered;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a == "--log") {
            con_setEcho(onLog);
            continue;
        }
        static const char* const withValue[] = {"--data", "--out", "--every", "--wav", "--video",
                                                "--keys", "--format", "--steps", "--only", "--progress"};
        bool known = false;
        for (const char* name : withValue)
            known = known || a == name;
        if (!known)
            return usage("unknown option %s", a.c_str());
        if (i + 1 >= argc)
            return usage("%s needs a value", a.c_str());
        const char* v = argv[++i];
        if (a == "--data") dataDir = v;
        else if (a == "--out") outDir = v;
        else if (a == "--every") {
            if (std::atoi(v) < 1)
                return usage("--every takes a number of 1 or more, not %s", v);
            every = (uint32_t)std::atoi(v);
        }
        else if (a == "--wav") { wavWanted = true; wavPath = v; }
        else if (a == "--progress") {
            if (std::atoi(v) < 1)
                return usage("--progress takes a number of frames of 1 or more, not %s", v);
            progressTotal = (uint32_t)std::atoi(v);
        }
        else if (a == "--video") videoPath = v;
        else if (a == "--keys") keysPath = v;
        else if (a == "--only") {
            if (parseRanges(v) != 0)
                return usage("--only takes ranges A-B,C-D, not %s", v);
        }
        else if (a == "--format" && std::strcmp(v, "555") == 0) pf_setPixelFormat(PF_FORMAT_555);
        else if (a == "--format" && std::strcmp(v, "565") == 0) pf_setPixelFormat(PF_FORMAT_565);
        else if (a == "--format")
            return usage("--format is 555 or 565, not %s", v);
        else if (a == "--steps") {
            if (parseSteps(v, stepMask) != 0)
                return usage("--steps takes step numbers 1 to 8, not %s", v);
        }
    }
    if (!keysPath.empty()) {
        std::ifstream in(keysPath);
        if (!in) {
            std::fprintf(stderr, "varnek-render: cannot read %s\n", keysPath.c_str());
            return 1;
        }
        std::stringstream text;
        text << in.rdbuf();
        std::vector<pfScriptedEvent_T> events;
        std::string error;
        if (keys_parse(text.str(), events, error) != 0) {
            std::fprintf(stderr, "varnek-render: %s: %s\n", keysPath.c_str(), error.c_str());
            return 1;
        }
        pf_headlessSetScript(events);
    }
    std::error_code ec;
    if (!outDir.empty()) {
        std::filesystem::create_directories(outDir, ec);
        outDir = std::filesystem::absolute(outDir, ec).string();
    }
    if (wavWanted)
        wavPath = std::filesystem::absolute(wavPath, ec).string();
    if (!videoPath.empty()) {
        videoPath = std::filesystem::absolute(videoPath, ec).string();
        std::string error;
        if (video_open(videoPath.c_str(), VIDEO_AUDIO_RATE, VIDEO_AUDIO_CHANNELS, &error) != 0) {
            std::fprintf(stderr, "varnek-render: %s\n", error.c_str());
            return 1;
        }
    }
    if (dataDir.empty()) {
        app_findData(argv[0]);
    } else if (app_enterData("varnek-render", dataDir.c_str()) != 0) {
        return 1;
    }
    pf_headlessSetFrameHook(onFrame);
    pf_headlessSetVideoHook(onVideo);
    pf_headlessSetAudioHook(onAudio);
    engine_setStepFilter(stepMask);
    engine_setStepHook(onStep);
    pf_setBackend(pf_headlessBackend());

    progress_start(progressTotal);
    int code = app_run();
    closeOutputs();
    progress_end();
    if (video_isOpen()) {
        std::string error;
        if (videoBroken) {
            video_abandon();
            std::fprintf(stderr, "varnek-render: no video written\n");
            code = 1;
        } else if (video_close(&error) != 0) {
            std::fprintf(stderr, "varnek-render: %s\n", error.c_str());
            code = 1;
        } else {
            report_line("video file: %s", videoPath.c_str());
        }
    }
    report_line("total: %u frames", dd_framesPresented());
    report_line("video: %u frames at 60 per second", videoFrames);
    report_line("state: console %d, full screen %d, accelerator %d, running %d", consoleOn, fullScreen, use3dfx,
                demoRunning);
    report_line("frames hash: %016llx", (unsigned long long)frameHash);
    return app_finish(app_reportMissingData("varnek-render", code));
}
