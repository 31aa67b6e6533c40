#include "music/mp_settings.h"

#include "music/mp_errors.h"

static const mpSettings_T mpDefaults = {
    44100,          // mixRate
    0,              // outputMode
    500,            // bufferLength
    64,             // stereoSeparation
    3,              // filterMode
    0,              // directSoundMode
    0,              // mixerPath
    -1,             // forcedDevice
    0,              // muLawSamples
    mp_fatalError,  // errorHandler
    100,            // separation
};

mpSettings_T mpSettings = mpDefaults;

void mp_defaultSettings() { mpSettings = mpDefaults; }
