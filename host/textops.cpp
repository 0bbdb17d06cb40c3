#include "host/textops.h"

#include <cstdlib>
#include <string>

namespace ny {

// Byte offset of the n-th character (n counted from 0), or s.size().
static size_t OffsetOfChar(std::string_view s, int n) {
    size_t i = 0;
    while (n > 0 && i < s.size()) {
        ++i;
        while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
        --n;
    }
    return i;
}

std::string LeftChars(std::string_view s, int n) {
    if (n <= 0) return {};
    return std::string(s.substr(0, OffsetOfChar(s, n)));
}

std::string MidChars(std::string_view s, int start, int n) {
    if (start < 1) start = 1;
    if (n <= 0) return {};
    size_t a = OffsetOfChar(s, start - 1);
    std::string_view rest = s.substr(a);
    return std::string(rest.substr(0, OffsetOfChar(rest, n)));
}

int CharCount(std::string_view s) {
    int n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

bool MatchesPattern(std::string_view s, std::string_view pattern) {
    if (s.size() != pattern.size()) return false;
    for (size_t i = 0; i < s.size(); ++i) {
        const bool ok = pattern[i] == 'd' ? s[i] >= '0' && s[i] <= '9' : s[i] == pattern[i];
        if (!ok) return false;
    }
    return true;
}

double TextToNumber(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    size_t start = i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return 0;
    return std::strtod(std::string(s.substr(start, i - start)).c_str(), nullptr);
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | cp >> 6));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | cp >> 12));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | cp >> 18));
        out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string OneLinePrompt(std::string_view prompt, int maxChars) {
    std::string flat;
    for (size_t i = 0; i < prompt.size(); ++i) {
        if (prompt[i] == '\r' && i + 1 < prompt.size() && prompt[i + 1] == '\n') continue;
        flat += prompt[i] == '\r' || prompt[i] == '\n' ? ' ' : prompt[i];
    }
    if (CharCount(flat) <= maxChars) return flat;
    return LeftChars(flat, maxChars) + "…";
}

}  // namespace ny
