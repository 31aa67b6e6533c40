#pragma once
// Player-wide settings, set to their defaults by mp_startup.
#include <cstdint>

struct mpSettings_T {
    int mixRate;            // mixing and output rate in Hz
    int outputMode;         // 0: the device's preferred format (16-bit stereo on the wave device)
    int bufferLength;       // output buffer in milliseconds
    int stereoSeparation;   // spread of the panning the module loaders set
    int filterMode;         // mixer output filter: 0 none, 1 light, 2 stronger, 3 automatic
    int directSoundMode;    // 0: the DirectSound device is never chosen
    int mixerPath;          // 0: chosen by the processor, 1: integer path, 2: floating-point path
    int forcedDevice;       // -1: detect; otherwise the device number to use
    int muLawSamples;       // 1: the mixer keeps 16-bit samples as 8-bit mu-law, half the memory
    int quality;            // mixing quality, DSM_QUALITY_*: 0 plain; otherwise the mixer's high-quality
                            // mode with linear, cubic or windowed-sinc interpolation
    void (*errorHandler)(const char* text);   // errors that cannot be returned
};

extern mpSettings_T mpSettings;
void mp_defaultSettings();
// The quality settings by name: "plain", "linear", "cubic", "sinc"; -1 for
// another name.
int mp_qualityFromName(const char* name);
const char* mp_qualityName(int quality);
