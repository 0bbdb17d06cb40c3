// MP3 frame headers and finding a file's first audio frame.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/mp3.h"

namespace ny::testing {
namespace {

// A frame header from its fields' bit values.
std::string Header(int versionBits, int bitrateIndex, int rateIndex, bool pad, bool mono) {
    std::string h(4, '\0');
    h[0] = char(0xFF);
    h[1] = char(0xE0 | versionBits << 3 | 1 << 1 | 1);  // Layer III, no CRC
    h[2] = char(bitrateIndex << 4 | rateIndex << 2 | (pad ? 2 : 0));
    h[3] = char(mono ? 0xC0 : 0x00);
    return h;
}

// A whole frame: the header, then zeros up to the frame's size.
std::string Frame(const std::string& header) {
    auto f = ParseMp3FrameHeader(reinterpret_cast<const unsigned char*>(header.data()));
    EXPECT_TRUE(f.has_value());
    std::string out = header;
    out.resize(f ? f->frameBytes : 4, '\0');
    return out;
}

std::string Frames(const std::string& header, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += Frame(header);
    return out;
}

// A Xing or Info frame (MPEG-1 stereo: after 32 bytes of side information)
// with the fields `flags` announces (frame count, byte count, table of
// contents, quality) and, when `delay` >= 0, an encoder's tag saying it.
std::string XingFrame(const std::string& header, const char* id, uint32_t frames, int flags = 1,
                      int delay = -1) {
    std::string f = Frame(header);
    size_t at = 4 + 32;
    std::memcpy(&f[at], id, 4);
    f[at + 7] = char(flags);
    at += 8;
    if (flags & 1) {
        for (int i = 0; i < 4; ++i) f[at + i] = char(frames >> (24 - 8 * i));
        at += 4;
    }
    at += (flags & 2 ? 4 : 0) + (flags & 4 ? 100 : 0) + (flags & 8 ? 4 : 0);
    if (delay >= 0) {
        std::memcpy(&f[at], "LAME3.100", 9);
        f[at + 21] = char(delay >> 4);
        f[at + 22] = char((delay & 0xF) << 4 | 0x2);  // then the padding's high bits
        f[at + 23] = char(0x40);
    }
    return f;
}

std::string Id3(size_t body, bool footer = false) {
    std::string t = "ID3";
    t += char(footer ? 4 : 3);
    t += '\0';
    t += char(footer ? 0x10 : 0);
    for (int shift = 21; shift >= 0; shift -= 7) t += char((body >> shift) & 0x7F);
    t += std::string(body, 'p');
    if (footer) t += "3DI" + std::string(7, '\0');
    return t;
}

std::optional<Mp3Stream> Probe(const std::string& file) {
    return ProbeMp3(
        [&](uint64_t at, char* buf, size_t n) -> size_t {
            if (at >= file.size()) return 0;
            const size_t k = std::min<size_t>(n, file.size() - at);
            std::memcpy(buf, file.data() + at, k);
            return k;
        },
        file.size());
}

TEST(Mp3Header, FieldsOfEachVersionAndMode) {
    struct Case {
        const char* what;
        std::string header;
        MpegVersion version;
        int kbps, rate, channels, bytes, samples;
    } cases[] = {
        {"MPEG-1 128 kb/s 44.1 kHz stereo", Header(3, 9, 0, false, false), MpegVersion::V1, 128, 44100, 2, 417, 1152},
        {"same, padded", Header(3, 9, 0, true, false), MpegVersion::V1, 128, 44100, 2, 418, 1152},
        {"MPEG-1 320 kb/s 48 kHz", Header(3, 14, 1, false, false), MpegVersion::V1, 320, 48000, 2, 960, 1152},
        {"MPEG-1 32 kb/s 32 kHz mono", Header(3, 1, 2, false, true), MpegVersion::V1, 32, 32000, 1, 144, 1152},
        {"MPEG-2 64 kb/s 22.05 kHz mono", Header(2, 8, 0, false, true), MpegVersion::V2, 64, 22050, 1, 208, 576},
        {"MPEG-2 160 kb/s 16 kHz", Header(2, 14, 2, false, false), MpegVersion::V2, 160, 16000, 2, 720, 576},
        {"MPEG-2.5 8 kb/s 8 kHz mono", Header(0, 1, 2, false, true), MpegVersion::V25, 8, 8000, 1, 72, 576},
        {"MPEG-2.5 32 kb/s 11.025 kHz", Header(0, 4, 0, true, false), MpegVersion::V25, 32, 11025, 2, 209, 576},
    };
    for (const Case& c : cases) {
        auto f = ParseMp3FrameHeader(reinterpret_cast<const unsigned char*>(c.header.data()));
        ASSERT_TRUE(f.has_value()) << c.what;
        EXPECT_EQ(f->version, c.version) << c.what;
        EXPECT_EQ(f->bitrateKbps, c.kbps) << c.what;
        EXPECT_EQ(f->sampleRate, c.rate) << c.what;
        EXPECT_EQ(f->channels, c.channels) << c.what;
        EXPECT_EQ(f->frameBytes, c.bytes) << c.what;
        EXPECT_EQ(f->samplesPerFrame, c.samples) << c.what;
    }
}

TEST(Mp3Header, RejectsWhatNoDecoderTakes) {
    std::string layer2 = Header(3, 9, 0, false, false);
    layer2[1] = char((layer2[1] & ~0x06) | 2 << 1);
    std::string reservedVersion = Header(3, 9, 0, false, false);
    reservedVersion[1] = char((reservedVersion[1] & ~0x18) | 1 << 3);
    const std::pair<const char*, std::string> cases[] = {
        {"no sync", "\xFF\x0B\x90\x00"},
        {"text", "ID3 "},
        {"Layer II", layer2},
        {"reserved version", reservedVersion},
        {"free format", Header(3, 0, 0, false, false)},
        {"bad bitrate", Header(3, 15, 0, false, false)},
        {"reserved rate", Header(3, 9, 3, false, false)},
    };
    for (const auto& [what, h] : cases)
        EXPECT_FALSE(ParseMp3FrameHeader(reinterpret_cast<const unsigned char*>(h.data()))) << what;
}

TEST(Mp3Probe, FindsTheFirstAudioFrame) {
    const std::string cbr = Header(3, 9, 0, false, false);     // 417-byte frames
    const std::string mpeg2 = Header(2, 8, 0, false, true);    // 208
    const std::string mpeg25 = Header(0, 1, 2, false, true);   // 72
    const std::string vbrFrame = Header(3, 11, 0, false, false);  // 192 kb/s, 626
    // A header that parses, but no frame follows where it says.
    const std::string junk = "junk" + cbr + " not a frame\xFF";
    struct Case {
        const char* what;
        std::string file;
        uint64_t start;
        int rate, channels;
        bool vbr;
        uint32_t frames;
        uint64_t durationMs;
    } cases[] = {
        {"bare CBR", Frames(cbr, 10), 0, 44100, 2, false, 0, 4170 * 8 / 128},
        {"ID3v2.3 tag", Id3(1000) + Frames(cbr, 3), 1010, 44100, 2, false, 0, 1251 * 8 / 128},
        {"ID3v2.4 tag with footer", Id3(20, true) + Frames(cbr, 3), 40, 44100, 2, false, 0, 1251 * 8 / 128},
        {"two tags", Id3(5) + Id3(7) + Frames(cbr, 2), 32, 44100, 2, false, 0, 834 * 8 / 128},
        // A large picture in the tag: the frame lies beyond the first read.
        {"200 KB tag", Id3(200 * 1024) + Frames(cbr, 2), 200 * 1024 + 10, 44100, 2, false, 0, 834 * 8 / 128},
        {"junk with a stray sync first", junk + Frames(cbr, 2), junk.size(), 44100, 2, false, 0, 834 * 8 / 128},
        {"MPEG-2 mono", Frames(mpeg2, 5), 0, 22050, 1, false, 0, 1040 * 8 / 64},
        {"MPEG-2.5 8 kHz", Frames(mpeg25, 5), 0, 8000, 1, false, 0, 360 * 8 / 8},
        {"one frame, the whole file", Frame(cbr), 0, 44100, 2, false, 0, 417 * 8 / 128},
        {"Xing: VBR, sound after it", XingFrame(cbr, "Xing", 1000) + Frames(vbrFrame, 3), 417, 44100, 2,
         true, 1000, 1000ull * 1152 * 1000 / 44100},
        {"Info: CBR", Id3(10) + XingFrame(cbr, "Info", 50) + Frames(cbr, 2), 20 + 417, 44100, 2, false,
         50, 50ull * 1152 * 1000 / 44100},
    };
    for (const Case& c : cases) {
        auto s = Probe(c.file);
        ASSERT_TRUE(s.has_value()) << c.what;
        EXPECT_EQ(s->audioStart, c.start) << c.what;
        EXPECT_EQ(s->frame.sampleRate, c.rate) << c.what;
        EXPECT_EQ(s->frame.channels, c.channels) << c.what;
        EXPECT_EQ(s->vbr, c.vbr) << c.what;
        EXPECT_EQ(s->frames, c.frames) << c.what;
        EXPECT_EQ(s->durationMs, c.durationMs) << c.what;
    }
    // After a Xing frame the stream is described by the first sound frame.
    EXPECT_EQ(Probe(XingFrame(cbr, "Xing", 3) + Frames(vbrFrame, 3))->frame.bitrateKbps, 192);
}

// The encoder's tag says how many samples of its own silence come first.
TEST(Mp3Probe, EncoderDelayFromTheEncodersTag) {
    const std::string cbr = Header(3, 9, 0, false, false);
    const struct {
        const char* what;
        std::string file;
        int delay;
    } cases[] = {
        {"Info, frame count only", XingFrame(cbr, "Info", 9, 1, 576) + Frames(cbr, 2), 576},
        {"Xing, every field", XingFrame(cbr, "Xing", 9, 15, 1105) + Frames(cbr, 2), 1105},
        {"no fields", XingFrame(cbr, "Info", 0, 0, 4095) + Frames(cbr, 2), 4095},
        {"no encoder's tag", XingFrame(cbr, "Info", 9) + Frames(cbr, 2), -1},
        {"no Xing frame", Frames(cbr, 3), -1},
    };
    for (const auto& c : cases) {
        auto s = Probe(c.file);
        ASSERT_TRUE(s.has_value()) << c.what;
        EXPECT_EQ(s->encoderDelay, c.delay) << c.what;
    }
}

TEST(Mp3Probe, FilesWithoutAudio) {
    const std::string cbr = Header(3, 9, 0, false, false);
    const std::string mono = Header(3, 9, 0, false, true);
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"text named .mp3", "This is not music, just a text file.\r\n"},
        {"a tag and nothing else", Id3(300)},
        {"a tag whose size runs past the end", Id3(300).substr(0, 100)},
        {"the first frame cut short", Frame(cbr).substr(0, 200)},
        {"a frame followed by junk", Frame(cbr) + std::string(500, 'x')},
        // Two headers that do not make one stream.
        {"stereo then mono", Frame(cbr) + Frame(mono) + "xxxx"},
        {"an Info frame and no sound", XingFrame(cbr, "Info", 0)},
        {"zeros", std::string(100000, '\0')},
    };
    for (const auto& [what, file] : cases) EXPECT_FALSE(Probe(file).has_value()) << what;
}

// What a probe read of a file: how many calls, how many bytes.
struct Reads {
    int calls = 0;
    uint64_t bytes = 0;
};

// Probes a file of `size` bytes whose content starts with `head`, then
// continues with `tail` repeated; returns the result and counts the reads.
std::optional<Mp3Stream> ProbeCounted(const std::string& head, uint64_t size, Reads& r,
                                      char fill = '\0') {
    return ProbeMp3(
        [&](uint64_t at, char* buf, size_t n) -> size_t {
            ++r.calls;
            if (at >= size) return 0;
            const size_t k = static_cast<size_t>(std::min<uint64_t>(n, size - at));
            for (size_t i = 0; i < k; ++i) buf[i] = at + i < head.size() ? head[at + i] : fill;
            r.bytes += k;
            return k;
        },
        size);
}

// Chains of tags and junk in front of the sound are read a chunk at a time,
// however small their parts; a file that shows no frame in its first
// megabytes is given up without reading on.
TEST(Mp3Probe, TagChainsAndJunkAreReadInChunks) {
    const std::string cbr = Header(3, 9, 0, false, false);  // 417-byte frames
    std::string chain;
    for (int i = 0; i < 3000; ++i) chain += Id3(0);  // 30,000 bytes of empty tags
    const std::string garbage(100 * 1024, 'g');
    // A frame that starts just before a chunk's end: the next one lies past it.
    const std::string pad(64 * 1024 - 100, 'x');
    const std::string bigTag = Id3(10 * 1024 * 1024);  // a 10 MB picture: skipped in one step
    struct Case {
        const char* what;
        std::string file;
        uint64_t start;
        int maxCalls;
    } cases[] = {
        {"3,000 empty tags", chain + Frames(cbr, 3), chain.size(), 3},
        {"100 KB of junk", garbage + Frames(cbr, 3), garbage.size(), 4},
        {"tags, then junk", chain + garbage + Frames(cbr, 3), chain.size() + garbage.size(), 5},
        {"a frame across a chunk's end", pad + Frames(cbr, 3), pad.size(), 2},
        {"a 10 MB tag", bigTag + Frames(cbr, 3), bigTag.size(), 3},
    };
    for (const Case& c : cases) {
        Reads r;
        auto s = ProbeCounted(c.file, c.file.size(), r);
        ASSERT_TRUE(s.has_value()) << c.what;
        EXPECT_EQ(s->audioStart, c.start) << c.what;
        EXPECT_EQ(s->frame.sampleRate, 44100) << c.what;
        EXPECT_LE(r.calls, c.maxCalls) << c.what;
    }

    // No frame in the first 4 MB read: given up, also when one follows later.
    std::string emptyTags;
    while (emptyTags.size() < 5 * 1024 * 1024) emptyTags += Id3(0);
    const uint64_t limit = 4 * 1024 * 1024 + 2 * (64 * 1024 + 4096);
    struct Hopeless {
        const char* what;
        std::string head;
        uint64_t size;
        char fill;
    } hopeless[] = {
        {"5 MB of empty tags, then sound", emptyTags + Frames(cbr, 3), 0, '\0'},
        {"500 MB of zeros", "", 500ull * 1024 * 1024, '\0'},
        {"500 MB of 0xFF", "", 500ull * 1024 * 1024, '\xFF'},
        {"6 MB of junk, then sound", std::string(6 * 1024 * 1024, 'j') + Frames(cbr, 3), 0, '\0'},
    };
    for (const Hopeless& h : hopeless) {
        Reads r;
        const uint64_t size = h.size ? h.size : h.head.size();
        EXPECT_FALSE(ProbeCounted(h.head, size, r, h.fill).has_value()) << h.what;
        EXPECT_LE(r.bytes, limit) << h.what;
        EXPECT_LE(r.calls, 70) << h.what;
    }
}

}  // namespace
}  // namespace ny::testing
