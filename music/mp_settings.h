#pragma once
// Player-wide settings, set to their defaults by mp_startup.
#include <cstdint>

// Mixing quality: plain steps without interpolation; the others turn on the
// mixer's high-quality mode with that interpolator, volume ramps and fading
// copies of cut notes.
enum { MP_QUALITY_PLAIN = 0, MP_QUALITY_LINEAR = 1, MP_QUALITY_CUBIC = 2, MP_QUALITY_SINC = 3 };

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
    int quality;            // mixing quality, MP_QUALITY_*
    void (*errorHandler)(const char* text);   // errors that cannot be returned
    int separation;         // percent of each channel's panning the mixer keeps: 100 as the module says, 0 mono
};

extern mpSettings_T mpSettings;
void mp_defaultSettings();
// The quality settings by name: "plain", "linear", "cubic", "sinc"; -1 for
// another name.
int mp_qualityFromName(const char* name);
const char* mp_qualityName(int quality);
