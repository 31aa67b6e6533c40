#include "music/mp_settings.h"

#include <cstring>

#include "music/mixer/dsm.h"
#include "music/mp_errors.h"

static_assert((int)MP_QUALITY_PLAIN == (int)DSM_QUALITY_PLAIN && (int)MP_QUALITY_LINEAR == (int)DSM_QUALITY_LINEAR &&
                  (int)MP_QUALITY_CUBIC == (int)DSM_QUALITY_CUBIC && (int)MP_QUALITY_SINC == (int)DSM_QUALITY_SINC,
              "the player's quality settings are the mixer's interpolators");

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
    0,              // quality
    mp_fatalError,  // errorHandler
    100,            // separation
};

mpSettings_T mpSettings = mpDefaults;

void mp_defaultSettings() { mpSettings = mpDefaults; }

static const char* const mpQualityNames[] = {"plain", "linear", "cubic", "sinc"};

int mp_qualityFromName(const char* name)
{
    for (int q = 0; q < 4; q++)
        if (std::strcmp(name, mpQualityNames[q]) == 0)
            return q;
    return -1;
}

const char* mp_qualityName(int quality) { return quality >= 0 && quality < 4 ? mpQualityNames[quality] : "?"; }
