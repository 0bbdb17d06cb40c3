// RIFF/WAVE files: enough of the format to find the sound in one and say how
// it is coded. Platform-neutral and free of I/O, like the MP3 reader: the
// caller hands in a reader (the one of host/mp3.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "host/mp3.h"

namespace ny {

// The format tags this program knows by name (the values are the file's own).
constexpr uint16_t kWavPcm = 0x0001;
constexpr uint16_t kWavMsAdpcm = 0x0002;
constexpr uint16_t kWavFloat = 0x0003;
constexpr uint16_t kWavALaw = 0x0006;
constexpr uint16_t kWavMuLaw = 0x0007;
constexpr uint16_t kWavImaAdpcm = 0x0011;
constexpr uint16_t kWavGsm610 = 0x0031;
constexpr uint16_t kWavExtensible = 0xFFFE;

struct WavFormat {
    // The coding; an extensible format's sub-format when that is one of the
    // classic tags (never kWavExtensible).
    uint16_t tag = 0;
    int channels = 0;
    uint32_t sampleRate = 0;
    uint32_t avgBytesPerSec = 0;
    int blockAlign = 0;
    int bitsPerSample = 0;  // of the coded samples (4 for IMA ADPCM)
    // The bytes that follow the 18-byte format header for codecs that need
    // them (IMA ADPCM: samples per block; MS ADPCM: its coefficients). Empty
    // for an extensible format, whose extra bytes describe the format itself.
    std::string extra;
};

struct WavStream {
    WavFormat format;
    uint64_t dataStart = 0;  // file offset of the first byte of sound
    // Bytes of sound: the data chunk's size, cut to what the file holds and
    // to whole blocks.
    uint64_t dataBytes = 0;
};

// True when `head` (the first bytes of a file, at least 12) says RIFF/WAVE.
bool LooksLikeWav(const char* head, size_t n);

// Reads the chunks of a RIFF/WAVE file of `fileSize` bytes in any order
// (odd sizes padded to even, unknown chunks skipped) for its `fmt ` and
// `data`. A data chunk claiming more than the file holds (a recording cut
// short, or a size never written) is taken to the file's end. nullopt when
// the file is not RIFF/WAVE, or has no usable format or no sound.
std::optional<WavStream> ProbeWav(const Mp3Reader& read, uint64_t fileSize);

// True for the formats converted in code by PcmTo16 (integer PCM of 8, 16,
// 24 or 32 bits, 32-bit float); the others need a codec.
bool IsPlainPcm(const WavFormat& f);

// Converts `n` bytes of plain PCM (whole blocks) to 16-bit samples of the
// same channels and rate into `out` (room for n / (bits/8) samples). Returns
// the number of 16-bit samples written.
size_t PcmTo16(const WavFormat& f, const char* in, size_t n, int16_t* out);

}  // namespace ny
