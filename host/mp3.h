// MP3 (MPEG audio Layer III) frame headers: enough of the format to find the
// first audio frame of a file and describe it to a decoder. Platform-neutral
// and free of I/O: the caller hands in a reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace ny {

enum class MpegVersion { V1, V2, V25 };  // MPEG-1, MPEG-2, MPEG-2.5

struct Mp3Frame {
    MpegVersion version = MpegVersion::V1;
    int bitrateKbps = 0;
    int sampleRate = 0;
    int channels = 0;         // 1 or 2
    bool padding = false;
    int frameBytes = 0;       // header included
    int samplesPerFrame = 0;  // per channel
};

// The 4-byte header at `h`; nullopt for anything that is not a Layer III
// header a decoder can use (free-format and reserved values included).
std::optional<Mp3Frame> ParseMp3FrameHeader(const unsigned char* h);

// Size of the ID3v2 tag at the start of `head` (header, body and footer),
// 0 when `head` does not start with one.
uint64_t Id3v2TagSize(std::string_view head);

struct Mp3Stream {
    uint64_t audioStart = 0;  // file offset of the first frame that holds sound
    Mp3Frame frame;           // that frame's header
    bool vbr = false;         // a Xing frame (an Info frame marks a CBR file)
    uint32_t frames = 0;      // from a Xing/Info frame; 0 when unknown
    uint64_t durationMs = 0;  // from the frame count, or estimated from the size
    // Samples of silence the encoder put in front of the sound, from the
    // encoder's tag in the Xing/Info frame; -1 when the file does not say.
    int encoderDelay = -1;
};

// Reads up to n bytes at file offset `at` into buf; returns how many it read
// (fewer only at the end of the file).
using Mp3Reader = std::function<size_t(uint64_t at, char* buf, size_t n)>;

// Finds the first audio frame of a file of `fileSize` bytes: skips ID3v2
// tags by their sizes, takes a frame only when the next one follows where its
// size says (so stray sync bytes in junk are not taken for sound), and reads
// a Xing/Info frame. Reads in chunks of 64 KB. nullopt when the file holds no
// MP3 audio, or shows none in the first 4 MB it reads.
std::optional<Mp3Stream> ProbeMp3(const Mp3Reader& read, uint64_t fileSize);

}  // namespace ny
