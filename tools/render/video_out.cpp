#include "tools/render/video_out.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "formats/png_write.h"

namespace {
pid_t ffmpegPid = -1;
int videoFd = -1;
int audioFd = -1;
std::string finalPath;
std::string partPath;
std::vector<uint8_t> rgb(320 * 240 * 3);

bool video_onPath(const char* program)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        std::string candidate = dirs.substr(start, end - start) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

int video_writeAll(int fd, const uint8_t* data, size_t bytes)
{
    while (bytes > 0) {
        ssize_t n = write(fd, data, bytes);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return -1;
        data += n;
        bytes -= (size_t)n;
    }
    return 0;
}

void video_closeFd(int* fd)
{
    if (*fd >= 0)
        close(*fd);
    *fd = -1;
}

// 0 when ffmpeg ended with success.
int video_reap()
{
    int status = 0;
    while (waitpid(ffmpegPid, &status, 0) < 0 && errno == EINTR) {
    }
    ffmpegPid = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : -1;
}
}

int video_open(const char* path, int audioRate, int audioChannels, std::string* error)
{
    if (!video_onPath("ffmpeg")) {
        *error = "ffmpeg is not installed (Debian: apt-get install ffmpeg)";
        return -1;
    }
    // A write to a stopped ffmpeg fails with an error, not a signal.
    std::signal(SIGPIPE, SIG_IGN);
    finalPath = path;
    partPath = finalPath + ".part";
    std::remove(finalPath.c_str());   // an older video must not pass for this one
    int videoPipe[2], audioPipe[2];
    if (pipe(videoPipe) != 0) {
        *error = "no pipe for the frames";
        return -1;
    }
    if (pipe(audioPipe) != 0) {
        close(videoPipe[0]);
        close(videoPipe[1]);
        *error = "no pipe for the sound";
        return -1;
    }
    // Room for a few frames in each pipe, so neither stream waits on the
    // other for every write.
    fcntl(videoPipe[1], F_SETPIPE_SZ, 1 << 20);
    fcntl(audioPipe[1], F_SETPIPE_SZ, 1 << 18);
    std::string rate = std::to_string(audioRate), channels = std::to_string(audioChannels);
    std::vector<std::string> args = {
        "ffmpeg", "-nostdin", "-loglevel", "error", "-y",
        // Both inputs are raw with their layout given here: ffmpeg is told
        // not to probe them, or it would sit reading the sound while this
        // program waits to hand over a frame.
        "-probesize", "32", "-analyzeduration", "0",
        "-thread_queue_size", "1024", "-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size", "320x240",
        "-framerate", "60", "-i", "pipe:3",
        "-probesize", "32", "-analyzeduration", "0",
        "-thread_queue_size", "1024", "-f", "s16le", "-ar", rate, "-ac", channels, "-i", "pipe:4",
        "-vf", "scale=960:720:flags=neighbor", "-c:v", "libx264", "-pix_fmt", "yuv420p",
        "-c:a", "aac", "-b:a", "192k", "-f", "mp4", partPath,
    };
    pid_t pid = fork();
    if (pid < 0) {
        *error = "cannot start ffmpeg";
        return -1;
    }
    if (pid == 0) {
        // The child: the read ends as descriptors 3 and 4, nothing else.
        // Moved out of the way first, so neither dup2 closes the other.
        int v = fcntl(videoPipe[0], F_DUPFD, 10), a = fcntl(audioPipe[0], F_DUPFD, 10);
        dup2(v, 3);
        dup2(a, 4);
        for (int fd = 5; fd < 256; fd++)
            close(fd);
        std::vector<char*> argv;
        for (std::string& s : args)
            argv.push_back(&s[0]);
        argv.push_back(nullptr);
        execvp("ffmpeg", argv.data());
        _exit(127);
    }
    close(videoPipe[0]);
    close(audioPipe[0]);
    fcntl(videoPipe[1], F_SETFD, FD_CLOEXEC);
    fcntl(audioPipe[1], F_SETFD, FD_CLOEXEC);
    ffmpegPid = pid;
    videoFd = videoPipe[1];
    audioFd = audioPipe[1];
    return 0;
}

int video_isOpen() { return ffmpegPid > 0; }

int video_frame(const uint16_t* pixels, int pitch, int format555)
{
    if (videoFd < 0)
        return -1;
    png_widen16(pixels, pitch, 320, 240, format555, rgb.data());
    return video_writeAll(videoFd, rgb.data(), rgb.size());
}

int video_audio(const uint8_t* data, uint32_t bytes)
{
    if (audioFd < 0)
        return -1;
    return video_writeAll(audioFd, data, bytes);
}

int video_close(std::string* error)
{
    if (ffmpegPid <= 0) {
        *error = "ffmpeg is not running";
        return -1;
    }
    video_closeFd(&videoFd);
    video_closeFd(&audioFd);
    if (video_reap() != 0) {
        std::remove(partPath.c_str());
        *error = "ffmpeg failed; no video written";
        return -1;
    }
    if (std::rename(partPath.c_str(), finalPath.c_str()) != 0) {
        std::remove(partPath.c_str());
        *error = "cannot name the finished video " + finalPath;
        return -1;
    }
    return 0;
}

void video_abandon()
{
    video_closeFd(&videoFd);
    video_closeFd(&audioFd);
    if (ffmpegPid > 0) {
        kill(ffmpegPid, SIGTERM);
        video_reap();
    }
    std::remove(partPath.c_str());
}
