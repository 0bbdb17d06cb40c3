#include "host/mp3.h"

#include <algorithm>
#include <string>

namespace ny {

namespace {

constexpr int kBitratesV1[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
constexpr int kBitratesV2[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
constexpr int kRatesV1[3] = {44100, 48000, 32000};

// The file is read a chunk at a time. Each chunk is searched for a first
// frame, with room after it for the next frame's header (a Layer III frame
// is at most 2,881 bytes).
constexpr size_t kChunk = 64 * 1024;
constexpr size_t kSlack = 4096;
// A file that shows no frame in this many bytes read is not taken for MP3
// (megabytes of empty tags or of zeros would otherwise be read to the end).
constexpr uint64_t kGiveUpBytes = 4 * 1024 * 1024;

uint32_t Be32(const unsigned char* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// Two frames belong to one stream when these agree.
bool SameStream(const Mp3Frame& a, const Mp3Frame& b) {
    return a.version == b.version && a.sampleRate == b.sampleRate && a.channels == b.channels;
}

}  // namespace

std::optional<Mp3Frame> ParseMp3FrameHeader(const unsigned char* h) {
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) return std::nullopt;
    const int versionBits = (h[1] >> 3) & 3;
    const int layerBits = (h[1] >> 1) & 3;
    const int bitrateIndex = h[2] >> 4;
    const int rateIndex = (h[2] >> 2) & 3;
    if (versionBits == 1 || layerBits != 1 || rateIndex == 3) return std::nullopt;
    if (bitrateIndex == 0 || bitrateIndex == 15) return std::nullopt;  // free format, bad

    Mp3Frame f;
    f.version = versionBits == 3 ? MpegVersion::V1 : versionBits == 2 ? MpegVersion::V2 : MpegVersion::V25;
    const bool v1 = f.version == MpegVersion::V1;
    f.bitrateKbps = (v1 ? kBitratesV1 : kBitratesV2)[bitrateIndex];
    f.sampleRate = kRatesV1[rateIndex] / (v1 ? 1 : f.version == MpegVersion::V2 ? 2 : 4);
    f.padding = (h[2] >> 1) & 1;
    f.channels = (h[3] >> 6) == 3 ? 1 : 2;
    f.samplesPerFrame = v1 ? 1152 : 576;
    f.frameBytes = (v1 ? 144 : 72) * f.bitrateKbps * 1000 / f.sampleRate + (f.padding ? 1 : 0);
    return f;
}

uint64_t Id3v2TagSize(std::string_view head) {
    if (head.size() < 10 || head.substr(0, 3) != "ID3") return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(head.data());
    if (p[3] == 0xFF || p[4] == 0xFF) return 0;
    // The size is "synchsafe": 7 bits in each of four bytes.
    uint64_t body = 0;
    for (int i = 6; i < 10; ++i) {
        if (p[i] & 0x80) return 0;
        body = body << 7 | p[i];
    }
    const bool footer = p[3] >= 4 && (p[5] & 0x10);
    return 10 + body + (footer ? 10 : 0);
}

namespace {

// The first audio frame starting in buf[0, scanEnd), buf holding the file
// from offset `at`.
std::optional<Mp3Stream> FindFrame(const std::string& buf, size_t scanEnd, uint64_t at,
                                   uint64_t fileSize) {
    const auto* b = reinterpret_cast<const unsigned char*>(buf.data());
    const size_t n = buf.size();

    // The header at i of the buffer, if the next frame follows as it says or
    // the file ends exactly there.
    auto frameAt = [&](size_t i) -> std::optional<Mp3Frame> {
        if (i + 4 > n) return std::nullopt;
        auto f = ParseMp3FrameHeader(b + i);
        if (!f) return std::nullopt;
        const size_t next = i + f->frameBytes;
        if (at + next == fileSize) return f;
        if (next + 4 > n) return std::nullopt;
        auto g = ParseMp3FrameHeader(b + next);
        if (!g || !SameStream(*f, *g)) return std::nullopt;
        return f;
    };

    for (size_t i = 0; i < scanEnd && i + 4 <= n; ++i) {
        if (b[i] != 0xFF) continue;
        auto f = frameAt(i);
        if (!f) continue;

        Mp3Stream s;
        s.audioStart = at + i;
        s.frame = *f;
        // A Xing/Info frame sits where the first frame's side information ends.
        const bool v1 = f->version == MpegVersion::V1;
        const size_t side = v1 ? (f->channels == 1 ? 17 : 32) : (f->channels == 1 ? 9 : 17);
        const size_t tag = i + 4 + side;
        if (tag + 12 <= n && tag + 12 <= i + f->frameBytes) {
            const std::string_view id(buf.data() + tag, 4);
            if (id == "Xing" || id == "Info") {
                s.vbr = id == "Xing";
                const uint32_t flags = Be32(b + tag + 4);
                if (flags & 1) s.frames = Be32(b + tag + 8);
                // The encoder's tag follows the fields the flags announce:
                // frames, bytes, table of contents, quality.
                const size_t enc = tag + 8 + (flags & 1 ? 4 : 0) + (flags & 2 ? 4 : 0) +
                                   (flags & 4 ? 100 : 0) + (flags & 8 ? 4 : 0);
                if (enc + 24 <= i + f->frameBytes && enc + 24 <= n &&
                    std::string_view(buf.data() + enc, 4).find_first_not_of(
                        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") == std::string_view::npos)
                    s.encoderDelay = b[enc + 21] << 4 | b[enc + 22] >> 4;
                // The Xing/Info frame itself is silent: sound starts after it.
                const size_t next = i + f->frameBytes;
                if (next + 4 > n) return std::nullopt;
                auto g = ParseMp3FrameHeader(b + next);
                if (!g || !SameStream(*f, *g)) return std::nullopt;
                s.audioStart = at + next;
                s.frame = *g;
            }
        }
        if (s.frames)
            s.durationMs = uint64_t(s.frames) * s.frame.samplesPerFrame * 1000 / s.frame.sampleRate;
        else
            s.durationMs = (fileSize - s.audioStart) * 8 / s.frame.bitrateKbps;
        return s;
    }
    return std::nullopt;
}

}  // namespace

std::optional<Mp3Stream> ProbeMp3(const Mp3Reader& read, uint64_t fileSize) {
    std::string buf;
    uint64_t bufAt = 0, readBytes = 0;
    auto load = [&](uint64_t from, size_t n) {
        buf.resize(static_cast<size_t>(std::min<uint64_t>(n, from < fileSize ? fileSize - from : 0)));
        buf.resize(buf.empty() ? 0 : read(from, buf.data(), buf.size()));
        bufAt = from;
        readBytes += buf.size();
    };

    // Tags first; some files carry more than one. Their headers come from
    // whole chunks, and a tag is skipped by the size it gives.
    uint64_t at = 0;
    for (;;) {
        if (at < bufAt || at + 10 > bufAt + buf.size()) {
            if (readBytes >= kGiveUpBytes) return std::nullopt;
            load(at, kChunk);
            if (buf.size() < 10) break;
        }
        const uint64_t tag = Id3v2TagSize(std::string_view(buf.data() + (at - bufAt), 10));
        if (tag == 0) break;
        at += tag;
    }

    // Then junk or padding, as far as the reads allow.
    while (at < fileSize) {
        if (readBytes >= kGiveUpBytes) return std::nullopt;
        load(at, kChunk + kSlack);
        if (auto s = FindFrame(buf, std::min(buf.size(), kChunk), at, fileSize)) return s;
        if (buf.size() <= kChunk) break;  // the end of the file was searched
        at += kChunk;
    }
    return std::nullopt;
}

}  // namespace ny
