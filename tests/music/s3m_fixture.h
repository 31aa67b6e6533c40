#pragma once
// S3M songs for the tests: a song with one looping 8-bit sample, and a
// player that steps a song one tick at a time on the mixer alone.
#include "music/core/gmp.h"
#include "music/mp_module.h"
#include "s3m_writer.h"

// One pattern, channels 0 to 3 enabled, sample 1 a looping 8-bit sine of 256
// signed bytes at volume 64 and middle C 8363 Hz.
s3mSong_T s3mFx_toneSong();

struct s3mPlayer_T {
    mpModule_T* m = nullptr;
    gmpPlayState_T* st = nullptr;
    explicit s3mPlayer_T(const s3mSong_T& song);
    ~s3mPlayer_T();
    void ticks(int n);
    gmpChannel_T& ch(int c) { return st->channels[c]; }
};
