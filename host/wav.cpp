#include "host/wav.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ny {

namespace {

uint16_t Le16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Le32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// A walk through junk chunks ends here: each costs a read.
constexpr int kMaxChunks = 4096;
// More of a format chunk than any codec's description needs is not read.
constexpr uint32_t kMaxFmtBytes = 4096;

// The tail every sub-format GUID of an extensible format shares with the
// classic tag in its first two bytes (the "KSDATAFORMAT_SUBTYPE_" family).
constexpr unsigned char kGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                         0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::optional<WavFormat> ParseFmt(const unsigned char* b, uint32_t n) {
    if (n < 16) return std::nullopt;
    WavFormat f;
    f.tag = Le16(b);
    f.channels = Le16(b + 2);
    f.sampleRate = Le32(b + 4);
    f.avgBytesPerSec = Le32(b + 8);
    f.blockAlign = Le16(b + 12);
    f.bitsPerSample = Le16(b + 14);
    const uint32_t cb = n >= 18 ? Le16(b + 16) : 0;
    if (f.tag == kWavExtensible) {
        // 2 bytes of valid bits, 4 of channel mask, then the 16-byte GUID.
        if (n < 40 || cb < 22 || std::memcmp(b + 26, kGuidTail, sizeof kGuidTail) != 0)
            return std::nullopt;
        f.tag = Le16(b + 24);
        if (f.tag == kWavExtensible) return std::nullopt;
    } else if (cb > 0) {
        f.extra.assign(reinterpret_cast<const char*>(b) + 18, std::min(cb, n - 18));
    }
    if (f.channels < 1 || f.channels > 8 || f.sampleRate < 1000 || f.sampleRate > 384000 ||
        f.blockAlign < 1)
        return std::nullopt;
    if (f.tag == kWavPcm || f.tag == kWavFloat) {
        const bool bitsOk = f.tag == kWavFloat ? f.bitsPerSample == 32
                                               : (f.bitsPerSample == 8 || f.bitsPerSample == 16 ||
                                                  f.bitsPerSample == 24 || f.bitsPerSample == 32);
        if (!bitsOk || f.blockAlign != f.channels * f.bitsPerSample / 8) return std::nullopt;
        f.avgBytesPerSec = f.sampleRate * static_cast<uint32_t>(f.blockAlign);
    }
    return f;
}

}  // namespace

bool LooksLikeWav(const char* head, size_t n) {
    return n >= 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0;
}

std::optional<WavStream> ProbeWav(const Mp3Reader& read, uint64_t fileSize) {
    char head[12];
    if (fileSize < 12 || read(0, head, 12) != 12 || !LooksLikeWav(head, 12)) return std::nullopt;
    std::optional<WavFormat> format;
    std::optional<std::pair<uint64_t, uint64_t>> data;  // start, bytes as claimed
    uint64_t at = 12;
    for (int i = 0; i < kMaxChunks && at + 8 <= fileSize && !(format && data); ++i) {
        unsigned char h[8];
        if (read(at, reinterpret_cast<char*>(h), 8) != 8) break;
        const uint32_t size = Le32(h + 4);
        const uint64_t body = at + 8;
        if (std::memcmp(h, "fmt ", 4) == 0 && !format) {
            const uint32_t n = static_cast<uint32_t>(
                std::min<uint64_t>({size, kMaxFmtBytes, fileSize - body}));
            std::string b(n, '\0');
            if (read(body, b.data(), n) != n) break;
            format = ParseFmt(reinterpret_cast<const unsigned char*>(b.data()), n);
            if (!format) return std::nullopt;  // a format of its own kind: not ours to guess
        } else if (std::memcmp(h, "data", 4) == 0 && !data) {
            data = {body, size};
        }
        at = body + size + (size & 1);  // chunks start at even offsets
    }
    if (!format || !data) return std::nullopt;
    WavStream s;
    s.format = *format;
    s.dataStart = data->first;
    uint64_t bytes = std::min(data->second, fileSize - std::min(fileSize, s.dataStart));
    bytes -= bytes % static_cast<uint64_t>(s.format.blockAlign);
    if (bytes == 0) return std::nullopt;
    s.dataBytes = bytes;
    return s;
}

bool IsPlainPcm(const WavFormat& f) { return f.tag == kWavPcm || f.tag == kWavFloat; }

size_t PcmTo16(const WavFormat& f, const char* in, size_t n, int16_t* out) {
    const auto* b = reinterpret_cast<const unsigned char*>(in);
    const size_t width = static_cast<size_t>(f.bitsPerSample) / 8;
    const size_t count = width ? n / width : 0;
    for (size_t i = 0; i < count; ++i, b += width) {
        int32_t v = 0;
        if (f.tag == kWavFloat) {
            float x;
            std::memcpy(&x, b, 4);
            if (!(x == x)) x = 0;  // NaN
            v = static_cast<int32_t>(std::lround(std::clamp(x, -1.0f, 1.0f) * 32767.0f));
        } else if (width == 1) {
            v = (int32_t(b[0]) - 128) * 256;  // 8-bit PCM is unsigned
        } else {
            // The two most significant bytes of a little-endian sample.
            v = int16_t(Le16(b + width - 2));
        }
        out[i] = static_cast<int16_t>(v);
    }
    return count;
}

}  // namespace ny
