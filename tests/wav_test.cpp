// RIFF/WAVE files: finding the format and the sound, and plain PCM to 16 bits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "host/wav.h"

namespace ny::testing {
namespace {

std::string Le16(uint32_t v) { return {char(v & 0xFF), char(v >> 8 & 0xFF)}; }
std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

std::string Chunk(const char* id, const std::string& body, int64_t claimed = -1) {
    std::string c = std::string(id, 4) + Le32(claimed < 0 ? uint32_t(body.size()) : uint32_t(claimed)) + body;
    if (body.size() % 2) c += '\0';  // the pad byte after an odd chunk
    return c;
}

// A format chunk's body: the 16 classic bytes, then cbSize and the extra bytes.
std::string Fmt(uint16_t tag, int ch, uint32_t rate, int align, int bits, const std::string* extra = nullptr) {
    std::string f = Le16(tag) + Le16(ch) + Le32(rate) + Le32(rate * align) + Le16(align) + Le16(bits);
    if (extra) f += Le16(uint32_t(extra->size())) + *extra;
    return f;
}

std::string Extensible(uint16_t sub, int ch, uint32_t rate, int bits, bool goodGuid = true) {
    std::string ext = Le16(bits) + Le32(3);  // valid bits, channel mask
    ext += Le16(sub) + Le16(0) + std::string("\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 12);
    if (!goodGuid) ext.back() = 0x72;
    return Fmt(kWavExtensible, ch, rate, ch * bits / 8, bits, &ext);
}

std::string Riff(const std::string& chunks) { return "RIFF" + Le32(uint32_t(4 + chunks.size())) + "WAVE" + chunks; }

std::optional<WavStream> Probe(const std::string& file) {
    return ProbeWav(
        [&](uint64_t at, char* buf, size_t n) -> size_t {
            if (at >= file.size()) return 0;
            const size_t k = std::min<size_t>(n, file.size() - at);
            std::memcpy(buf, file.data() + at, k);
            return k;
        },
        file.size());
}

TEST(Wav, FindsFormatAndSound) {
    const std::string pcm16 = Fmt(kWavPcm, 2, 44100, 4, 16);
    const std::string sound(400, 'x');
    const std::string imaExtra = Le16(505);  // samples per block
    const std::string odd = "abc";           // an odd-sized chunk, padded
    const std::string none;                  // cbSize 0
    struct Case {
        const char* name;
        std::string file;
        uint16_t tag;
        int channels;
        uint32_t rate;
        int bits;
        uint64_t dataStart, dataBytes;
        std::string extra;
    } cases[] = {
        {"plain", Riff(Chunk("fmt ", pcm16) + Chunk("data", sound)), kWavPcm, 2, 44100, 16, 44, 400, ""},
        {"data before fmt", Riff(Chunk("data", sound) + Chunk("fmt ", pcm16)), kWavPcm, 2, 44100, 16, 20, 400, ""},
        {"odd chunk first, padded", Riff(Chunk("LIST", odd) + Chunk("fmt ", pcm16) + Chunk("data", sound)),
         kWavPcm, 2, 44100, 16, 12 + 12 + 24 + 8, 400, ""},
        {"data claims more than the file", Riff(Chunk("fmt ", pcm16) + Chunk("data", sound, 0xFFFFFFFF)),
         kWavPcm, 2, 44100, 16, 44, 400, ""},
        {"cut to whole blocks", Riff(Chunk("fmt ", pcm16) + Chunk("data", std::string(403, 'x'))),
         kWavPcm, 2, 44100, 16, 44, 400, ""},
        {"8-bit mono", Riff(Chunk("fmt ", Fmt(kWavPcm, 1, 8000, 1, 8)) + Chunk("data", sound)),
         kWavPcm, 1, 8000, 8, 44, 400, ""},
        {"mu-law", Riff(Chunk("fmt ", Fmt(kWavMuLaw, 1, 8000, 1, 8, &none)) + Chunk("fact", Le32(400)) +
                        Chunk("data", sound)),
         kWavMuLaw, 1, 8000, 8, 12 + 26 + 12 + 8, 400, ""},
        {"IMA ADPCM keeps its extra bytes",
         Riff(Chunk("fmt ", Fmt(kWavImaAdpcm, 1, 22050, 256, 4, &imaExtra)) + Chunk("data", sound)),
         kWavImaAdpcm, 1, 22050, 4, 12 + 28 + 8, 256, imaExtra},
        {"extensible PCM", Riff(Chunk("fmt ", Extensible(kWavPcm, 2, 48000, 24)) + Chunk("data", std::string(600, 'y'))),
         kWavPcm, 2, 48000, 24, 12 + 48 + 8, 600, ""},
        {"extensible float", Riff(Chunk("fmt ", Extensible(kWavFloat, 1, 48000, 32)) + Chunk("data", sound)),
         kWavFloat, 1, 48000, 32, 12 + 48 + 8, 400, ""},
    };
    for (const Case& c : cases) {
        const auto s = Probe(c.file);
        ASSERT_TRUE(s.has_value()) << c.name;
        EXPECT_EQ(s->format.tag, c.tag) << c.name;
        EXPECT_EQ(s->format.channels, c.channels) << c.name;
        EXPECT_EQ(s->format.sampleRate, c.rate) << c.name;
        EXPECT_EQ(s->format.bitsPerSample, c.bits) << c.name;
        EXPECT_EQ(s->dataStart, c.dataStart) << c.name;
        EXPECT_EQ(s->dataBytes, c.dataBytes) << c.name;
        EXPECT_EQ(s->format.extra, c.extra) << c.name;
        EXPECT_EQ(c.file.substr(s->dataStart, 3), c.tag == kWavPcm && c.bits == 24 ? "yyy" : "xxx") << c.name;
    }
}

TEST(Wav, RefusesWhatHoldsNoUsableSound) {
    const std::string pcm16 = Fmt(kWavPcm, 2, 44100, 4, 16);
    const std::string sound(400, 'x');
    struct Case {
        const char* name;
        std::string file;
    } cases[] = {
        {"empty", ""},
        {"text renamed", "这不是声音，只是一段文字。\n"},
        {"an MP3", "ID3\x04\x00\x00\x00\x00\x00\x00\xFF\xFB\x90\x00"},
        {"RIFF but AVI", "RIFF" + Le32(100) + "AVI " + Chunk("fmt ", pcm16)},
        {"header only", Riff("")},
        {"no fmt", Riff(Chunk("data", sound))},
        {"no data", Riff(Chunk("fmt ", pcm16))},
        {"empty data", Riff(Chunk("fmt ", pcm16) + Chunk("data", ""))},
        {"data shorter than a block", Riff(Chunk("fmt ", pcm16) + Chunk("data", "abc"))},
        {"fmt too short", Riff(Chunk("fmt ", pcm16.substr(0, 14)) + Chunk("data", sound))},
        {"fmt cut by the file's end", Riff(Chunk("fmt ", pcm16, 16)).substr(0, 12 + 8 + 10)},
        {"no channels", Riff(Chunk("fmt ", Fmt(kWavPcm, 0, 44100, 4, 16)) + Chunk("data", sound))},
        {"rate 0", Riff(Chunk("fmt ", Fmt(kWavPcm, 2, 0, 4, 16)) + Chunk("data", sound))},
        {"PCM of 12 bits", Riff(Chunk("fmt ", Fmt(kWavPcm, 1, 8000, 2, 12)) + Chunk("data", sound))},
        {"PCM block not its samples", Riff(Chunk("fmt ", Fmt(kWavPcm, 2, 8000, 3, 16)) + Chunk("data", sound))},
        {"extensible, foreign GUID", Riff(Chunk("fmt ", Extensible(kWavPcm, 2, 48000, 16, false)) + Chunk("data", sound))},
        {"chunk size past the end hides data", Riff(Chunk("fmt ", pcm16) + Chunk("junk", "", 0x7FFFFFF0) + Chunk("data", sound))},
    };
    for (const Case& c : cases) EXPECT_FALSE(Probe(c.file).has_value()) << c.name;
}

TEST(Wav, LooksLikeWavNeedsBothMarks) {
    EXPECT_TRUE(LooksLikeWav("RIFF\0\0\0\0WAVE", 12));
    EXPECT_FALSE(LooksLikeWav("RIFF\0\0\0\0WAVE", 11));
    EXPECT_FALSE(LooksLikeWav("RIFF\0\0\0\0AVI ", 12));
    EXPECT_FALSE(LooksLikeWav("RIFX\0\0\0\0WAVE", 12));
}

// Many tiny chunks before the sound: the walk gives up rather than read on.
TEST(Wav, EndlessJunkChunksAreGivenUp) {
    std::string junk;
    for (int i = 0; i < 5000; ++i) junk += Chunk("junk", "");
    EXPECT_FALSE(Probe(Riff(Chunk("fmt ", Fmt(kWavPcm, 1, 8000, 2, 16)) + junk + Chunk("data", "abcd"))));
    // A few are walked through.
    EXPECT_TRUE(Probe(Riff(Chunk("fmt ", Fmt(kWavPcm, 1, 8000, 2, 16)) + junk.substr(0, 800) + Chunk("data", "abcd"))));
}

TEST(Wav, PlainPcmTo16Bits) {
    struct Case {
        const char* name;
        WavFormat f;
        std::string in;
        std::vector<int16_t> out;
    } cases[] = {
        {"8-bit unsigned", {kWavPcm, 1, 8000, 8000, 1, 8, ""}, std::string("\x00\x80\xFF\x40", 4),
         {-32768, 0, 32512, -16384}},
        {"16-bit", {kWavPcm, 1, 8000, 16000, 2, 16, ""}, std::string("\x01\x00\xFF\xFF\x00\x80", 6), {1, -1, -32768}},
        {"24-bit keeps the high bytes", {kWavPcm, 1, 8000, 24000, 3, 24, ""},
         std::string("\xAA\x34\x12\xFF\xFF\xFF", 6), {0x1234, -1}},
        {"32-bit", {kWavPcm, 1, 8000, 32000, 4, 32, ""}, std::string("\x00\x00\x00\x80\xFF\xFF\xFF\x7F", 8),
         {-32768, 32767}},
    };
    for (const Case& c : cases) {
        std::vector<int16_t> out(c.in.size());
        out.resize(PcmTo16(c.f, c.in.data(), c.in.size(), out.data()));
        EXPECT_EQ(out, c.out) << c.name;
    }
    // Float: scaled, clipped, NaN as silence.
    const float fl[] = {0.5f, -1.0f, 2.0f, nanf("")};
    std::string in(reinterpret_cast<const char*>(fl), sizeof fl);
    std::vector<int16_t> out(4);
    const WavFormat f{kWavFloat, 1, 8000, 32000, 4, 32, ""};
    ASSERT_EQ(PcmTo16(f, in.data(), in.size(), out.data()), 4u);
    EXPECT_EQ(out, (std::vector<int16_t>{16384, -32767, 32767, 0}));
}

}  // namespace
}  // namespace ny::testing
