// 16-bit PCM as the program plays it: the format's arithmetic, a source read
// a piece at a time, the chime the program makes itself, and the conversion
// to the one format the output is opened with. Platform-neutral: the
// decoders that need the system (ACM) build on PcmSource elsewhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace ny {

// Signed 16-bit little-endian samples, channels interleaved.
struct PcmFormat {
    int rate = 0;      // frames per second
    int channels = 0;  // 1 or 2
    int frameBytes() const { return 2 * channels; }
    int bytesPerSec() const { return rate * frameBytes(); }
    // The bytes of `ms` of sound, in whole frames.
    size_t bytesFor(int ms) const;
    bool operator==(const PcmFormat&) const = default;
};

class PcmSource {
public:
    virtual ~PcmSource() = default;
    virtual PcmFormat format() const = 0;
    // Up to n bytes of PCM (whole frames); 0 when the sound is over.
    virtual size_t read(char* dst, size_t n) = 0;
};

// A source decoded a piece (about a second) at a time, so that a long file
// costs no more memory than a short one. The decoder says how much of the
// sound's start to drop (an encoder's silence).
class ChunkedSource : public PcmSource {
public:
    size_t read(char* dst, size_t n) final;

protected:
    // Appends the next piece to `out` (empty when called); false at the end.
    virtual bool decodeChunk(std::vector<char>& out) = 0;
    // Decodes the next piece now (an opener tries the first one before
    // anyone relies on hearing it); false at the end.
    bool nextChunk();
    size_t skip_ = 0;  // bytes still to drop from the start

private:
    std::vector<char> out_;  // the decoded piece
    size_t pos_ = 0;         // how much of it has been handed out
};

// The first two channels of each of `count / channels` frames of `in`,
// appended to `out` as bytes (a file of more channels is rare).
void AppendFirstTwoChannels(const int16_t* in, size_t count, int channels, std::vector<char>& out);

// The output is always opened for this: under Wine, opening it for another
// rate or for mono costs a converter set up behind it, up to 0.1 s more
// before the first sound.
constexpr int kOutputRate = 44100;
constexpr PcmFormat kOutputFormat{kOutputRate, 2};

// `in` as 44.1 kHz stereo (linear interpolation); `in` itself when it is so
// already.
std::unique_ptr<PcmSource> ToOutputFormat(std::unique_ptr<PcmSource> in);

// The chime: three rounds of a two-note bell, 3 s of 22.05 kHz mono. Its
// notes are lower than the tones an MP3 file could hold, so a listener (and
// a test) tells it apart.
std::unique_ptr<PcmSource> MakeChime();

}  // namespace ny
