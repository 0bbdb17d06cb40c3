#include "store/gb18030.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "host/textops.h"

namespace ny {
namespace {

#include "store/gb18030_table.inc"

constexpr uint32_t kTrailsPerLead = 190;
constexpr uint32_t kSupplementaryLinear = 189000;  // linear index of 90 30 81 30

// Code point -> two-byte code (lead << 8 | trail), 0 when it has none. Built
// once from the decode table so only one direction has to be committed.
const std::vector<uint16_t>& TwoByteEncoder() {
    static const std::vector<uint16_t> table = [] {
        std::vector<uint16_t> t(0x10000, 0);
        for (uint32_t i = 0; i < std::size(kTwoByte); ++i) {
            uint32_t lead = 0x81 + i / kTrailsPerLead;
            uint32_t pos = i % kTrailsPerLead;
            uint32_t trail = pos < 63 ? 0x40 + pos : 0x80 + (pos - 63);
            t[kTwoByte[i]] = static_cast<uint16_t>(lead << 8 | trail);
        }
        return t;
    }();
    return table;
}

void AppendLinear(std::string& out, uint32_t linear, uint8_t firstLead) {
    char b[4];
    b[3] = static_cast<char>(0x30 + linear % 10);
    linear /= 10;
    b[2] = static_cast<char>(0x81 + linear % 126);
    linear /= 126;
    b[1] = static_cast<char>(0x30 + linear % 10);
    linear /= 10;
    b[0] = static_cast<char>(firstLead + linear);
    out.append(b, 4);
}

void EncodeCodePoint(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
        return;
    }
    if (cp >= 0x10000) {
        AppendLinear(out, cp - 0x10000, 0x90);
        return;
    }
    if (uint16_t code = TwoByteEncoder()[cp]) {
        out.push_back(static_cast<char>(code >> 8));
        out.push_back(static_cast<char>(code & 0xFF));
        return;
    }
    // The last run starting at or below cp holds it: every BMP character
    // without a two-byte code (surrogates aside) lies in some run.
    auto it = std::upper_bound(std::begin(kFourByteRuns), std::end(kFourByteRuns), cp,
                               [](uint32_t c, const FourByteRun& r) { return c < r.unicode; });
    --it;
    AppendLinear(out, it->linear + (cp - it->unicode), 0x81);
}

// Reads one UTF-8 scalar value at s[i]; advances i. Overlong forms,
// surrogates and values above U+10FFFF are refused (nullopt, i moved by one).
std::optional<uint32_t> NextUtf8(std::string_view s, size_t& i) {
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
    uint8_t b0 = byte(i);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int len;
    uint32_t cp, min;
    if ((b0 & 0xE0) == 0xC0) len = 2, cp = b0 & 0x1F, min = 0x80;
    else if ((b0 & 0xF0) == 0xE0) len = 3, cp = b0 & 0x0F, min = 0x800;
    else if ((b0 & 0xF8) == 0xF0) len = 4, cp = b0 & 0x07, min = 0x10000;
    else {
        ++i;
        return std::nullopt;
    }
    if (i + len > s.size()) {
        ++i;
        return std::nullopt;
    }
    for (int k = 1; k < len; ++k) {
        uint8_t b = byte(i + k);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return std::nullopt;
        }
        cp = cp << 6 | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return std::nullopt;
    }
    i += len;
    return cp;
}

// Runs of ASCII, most of a path or a time, are copied as they are: a store
// of 100,000 alarms is written in one go.
size_t AsciiRun(std::string_view s, size_t i) {
    size_t end = i;
    while (end < s.size() && static_cast<uint8_t>(s[end]) < 0x80) ++end;
    return end - i;
}

}  // namespace

std::string Utf8ToGb18030(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    AppendGb18030(utf8, out);
    return out;
}

void AppendGb18030(std::string_view utf8, std::string& out) {
    for (size_t i = 0; i < utf8.size();) {
        if (const size_t n = AsciiRun(utf8, i)) {
            out.append(utf8.data() + i, n);
            i += n;
            continue;
        }
        EncodeCodePoint(out, NextUtf8(utf8, i).value_or(0xFFFD));
    }
}

std::optional<std::string> Gb18030ToUtf8(std::string_view gb) {
    std::string out;
    if (!Gb18030ToUtf8(gb, out)) return std::nullopt;
    return out;
}

bool Gb18030ToUtf8(std::string_view gb, std::string& out) {
    out.clear();
    out.reserve(gb.size() + gb.size() / 2);
    const auto byte = [&](size_t k) { return static_cast<uint32_t>(static_cast<uint8_t>(gb[k])); };
    for (size_t i = 0; i < gb.size();) {
        if (const size_t n = AsciiRun(gb, i)) {
            out.append(gb.data() + i, n);
            i += n;
            continue;
        }
        uint32_t b0 = byte(i);
        if (b0 == 0x80 || b0 == 0xFF || i + 1 >= gb.size()) return false;
        uint32_t b1 = byte(i + 1);
        if (b1 >= 0x40 && b1 <= 0xFE && b1 != 0x7F) {
            uint32_t pos = b1 < 0x7F ? b1 - 0x40 : b1 - 0x41;
            AppendUtf8(out, kTwoByte[(b0 - 0x81) * kTrailsPerLead + pos]);
            i += 2;
            continue;
        }
        if (b1 < 0x30 || b1 > 0x39 || i + 3 >= gb.size()) return false;
        uint32_t b2 = byte(i + 2), b3 = byte(i + 3);
        if (b2 < 0x81 || b2 > 0xFE || b3 < 0x30 || b3 > 0x39) return false;
        uint32_t linear = (((b0 - 0x81) * 10 + (b1 - 0x30)) * 126 + (b2 - 0x81)) * 10 + (b3 - 0x30);
        if (linear < kBmpLinearEnd) {
            auto it = std::upper_bound(
                std::begin(kFourByteRuns), std::end(kFourByteRuns), linear,
                [](uint32_t l, const FourByteRun& r) { return l < r.linear; });
            --it;  // runs cover 0..kBmpLinearEnd-1 without gaps
            AppendUtf8(out, it->unicode + (linear - it->linear));
        } else if (linear >= kSupplementaryLinear && linear - kSupplementaryLinear < 0x100000) {
            AppendUtf8(out, 0x10000 + (linear - kSupplementaryLinear));
        } else {
            return false;
        }
        i += 4;
    }
    return true;
}

}  // namespace ny
