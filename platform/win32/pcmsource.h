// The sound of a file as 16-bit PCM. An MP3 is decoded by the system's ACM
// MP3 codec, a WAV converted in code when it is plain PCM and by the
// system's ACM codec for its coding otherwise (ADPCM, µ-law, A-law); either
// about a second at a time.
#pragma once

#include <windows.h>

#include <mmreg.h>

#include <memory>
#include <string>

#include "host/host.h"
#include "host/pcm.h"

namespace ny {

// What the output and the codecs are told of a PCM format.
WAVEFORMATEX ToWaveFormat(const PcmFormat& f);

// The file's sound as PCM, by what its first bytes say it is: RIFF/WAVE, or
// else MP3; its first second is decoded already, so what cannot be decoded
// fails here. nullptr and why when it cannot be played. `mayTryMci` tells
// whether MCI may have a go at it: an MP3 the codec refused, or a small
// file on a disk that holds no MP3 audio and starts with no ID3 tag
// (another kind of sound).
std::unique_ptr<PcmSource> OpenSource(const std::wstring& path, ToneProblem* why, bool* mayTryMci);

// Loads the MP3 codec and keeps its driver open, as the first MP3 would.
void WarmUpMp3Codec();

}  // namespace ny
