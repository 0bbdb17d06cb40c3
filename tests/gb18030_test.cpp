#include "store/gb18030.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ny {
namespace {

std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int c : b) s.push_back(static_cast<char>(c));
    return s;
}

std::string Hex(std::string_view s) {
    static const char* d = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (!out.empty()) out += ' ';
        out += d[c >> 4];
        out += d[c & 15];
    }
    return out;
}

std::string Utf8Of(uint32_t cp) {
    std::string out;
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | cp >> 6);
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | cp >> 12);
        out += char(0x80 | (cp >> 6 & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | cp >> 18);
        out += char(0x80 | (cp >> 12 & 0x3F));
        out += char(0x80 | (cp >> 6 & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
    return out;
}

struct Known {
    const char* utf8;
    std::string gb;
};

// GBK characters (the first block) must keep their GBK bytes; the rest cover
// the four-byte BMP ranges, their edges, and the supplementary planes.
const std::vector<Known> kKnown = {
    {"闹钟", Bytes({0xC4, 0xD6, 0xD6, 0xD3})},
    {"未响", Bytes({0xCE, 0xB4, 0xCF, 0xEC})},
    {"已响", Bytes({0xD2, 0xD1, 0xCF, 0xEC})},
    {"é", Bytes({0xA8, 0xA6})},
    {"·", Bytes({0xA1, 0xA4})},
    {"—", Bytes({0xA1, 0xAA})},
    {"¤", Bytes({0xA1, 0xE8})},
    {"一", Bytes({0xD2, 0xBB})},
    {"龥", Bytes({0xFD, 0x9B})},
    {"Ab 1~", "Ab 1~"},
    {"€", Bytes({0xA2, 0xE3})},
    {"\u0080", Bytes({0x81, 0x30, 0x81, 0x30})},
    {"\u9FA6", Bytes({0x82, 0x35, 0x8F, 0x33})},
    {"\u1E3F", Bytes({0x81, 0x35, 0xF4, 0x37})},
    {"\uE5E5", Bytes({0xA3, 0xA0})},
    {"\uE000", Bytes({0xAA, 0xA1})},
    {"\uF8FF", Bytes({0x84, 0x30, 0x81, 0x30})},
    {"\uFFFD", Bytes({0x84, 0x31, 0xA4, 0x37})},
    {"\uFFFF", Bytes({0x84, 0x31, 0xA4, 0x39})},
    {"\U00010000", Bytes({0x90, 0x30, 0x81, 0x30})},
    {"\U0001F600", Bytes({0x94, 0x39, 0xFC, 0x36})},
    {"\U00020000", Bytes({0x95, 0x32, 0x82, 0x36})},
    {"\U0010FFFF", Bytes({0xE3, 0x32, 0x9A, 0x35})},
};

TEST(Gb18030, KnownByteSequences) {
    for (const auto& k : kKnown) {
        EXPECT_EQ(Hex(Utf8ToGb18030(k.utf8)), Hex(k.gb)) << k.utf8;
        auto back = Gb18030ToUtf8(k.gb);
        ASSERT_TRUE(back.has_value()) << Hex(k.gb);
        EXPECT_EQ(*back, k.utf8) << Hex(k.gb);
    }
}

TEST(Gb18030, EveryScalarValueRoundTrips) {
    for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        const std::string u = Utf8Of(cp);
        const std::string gb = Utf8ToGb18030(u);
        if (cp < 0x80) ASSERT_EQ(gb.size(), 1u) << std::hex << cp;
        else if (cp < 0x10000) ASSERT_TRUE(gb.size() == 2 || gb.size() == 4) << std::hex << cp;
        else ASSERT_EQ(gb.size(), 4u) << std::hex << cp;
        auto back = Gb18030ToUtf8(gb);
        ASSERT_TRUE(back.has_value()) << std::hex << cp << " -> " << Hex(gb);
        ASSERT_EQ(*back, u) << std::hex << cp << " -> " << Hex(gb);
    }
}

// The other direction: every well-formed two-byte code and every four-byte
// code of the BMP block decodes to one character that encodes back to it.
TEST(Gb18030, EveryBmpCodeDecodesAndReencodes) {
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            const std::string gb = Bytes({lead, trail});
            auto u = Gb18030ToUtf8(gb);
            ASSERT_TRUE(u.has_value()) << Hex(gb);
            ASSERT_EQ(Hex(Utf8ToGb18030(*u)), Hex(gb));
        }
    }
    int decoded = 0;
    for (int b0 = 0x81; b0 <= 0x84; ++b0)
        for (int b1 = 0x30; b1 <= 0x39; ++b1)
            for (int b2 = 0x81; b2 <= 0xFE; ++b2)
                for (int b3 = 0x30; b3 <= 0x39; ++b3) {
                    const std::string gb = Bytes({b0, b1, b2, b3});
                    auto u = Gb18030ToUtf8(gb);
                    if (!u) continue;  // past the end of the BMP block
                    ++decoded;
                    ASSERT_EQ(Hex(Utf8ToGb18030(*u)), Hex(gb));
                }
    // 128 one-byte + 23940 two-byte + these = 63488 BMP scalar values.
    EXPECT_EQ(decoded, 39420);
}

TEST(Gb18030, InvalidBytesAreRefused) {
    const std::vector<std::string> bad = {
        Bytes({0x80}),                    // not a lead byte
        Bytes({0xFF}),                    // not a lead byte
        Bytes({0xC4}),                    // cut after the lead byte
        Bytes({0x41, 0xC4}),              // cut at the end of a text
        Bytes({0xA1, 0x7F}),              // 0x7F is never a trail byte
        Bytes({0xA1, 0xFF}),              // nor 0xFF
        Bytes({0xA1, 0x20}),              // nor a space
        Bytes({0x81, 0x30}),              // four-byte code cut after two
        Bytes({0x81, 0x30, 0x81}),        // ... and after three
        Bytes({0x81, 0x30, 0x20, 0x30}),  // third byte out of range
        Bytes({0x81, 0x30, 0x81, 0x41}),  // fourth byte out of range
        Bytes({0x84, 0x31, 0xA5, 0x30}),  // after U+FFFF, before the planes
        Bytes({0x8F, 0x39, 0xFE, 0x39}),  // ditto, last of the gap
        Bytes({0xE3, 0x32, 0x9A, 0x36}),  // beyond U+10FFFF
        Bytes({0xFE, 0x39, 0xFE, 0x39}),  // the very last four-byte code
    };
    for (const auto& b : bad) EXPECT_FALSE(Gb18030ToUtf8(b).has_value()) << Hex(b);
}

TEST(Gb18030, MalformedUtf8BecomesReplacementCharacter) {
    const std::string fffd = Bytes({0x84, 0x31, 0xA4, 0x37});
    const std::vector<std::pair<std::string, std::string>> cases = {
        {Bytes({0x41, 0xFF, 0x42}), "A" + fffd + "B"},           // stray byte
        {Bytes({0xC0, 0xAF}), fffd + fffd},                      // overlong '/'
        {Bytes({0xED, 0xA0, 0x80}), fffd + fffd + fffd},         // a surrogate
        {Bytes({0xF4, 0x90, 0x80, 0x80}), fffd + fffd + fffd + fffd},  // > U+10FFFF
        {Bytes({0xE9, 0x97}), fffd + fffd},                      // cut-off 闹
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(Hex(Utf8ToGb18030(in)), Hex(out)) << Hex(in);
}

}  // namespace
}  // namespace ny
