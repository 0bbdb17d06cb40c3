// Text helpers over UTF-8 strings that count characters, not bytes, so that
// cutting a text never splits a character.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ny {

// First n characters (all of it when shorter; "" when n <= 0).
std::string LeftChars(std::string_view s, int n);
// n characters from the 1-based position start.
std::string MidChars(std::string_view s, int start, int n);
int CharCount(std::string_view s);

// True when s has the shape of pattern: 'd' stands for a digit, any other
// character for itself ("dddd-dd-dd dd:dd" for a minute text).
bool MatchesPattern(std::string_view s, std::string_view pattern);

// The platform's text-to-number conversion: leading blanks, an optional sign,
// digits with an optional fraction; whatever follows is ignored. A text that
// does not begin with a number gives 0.
double TextToNumber(std::string_view s);

// A prompt on one line: each line break (CRLF, CR or LF) becomes a space;
// longer than maxChars characters it is cut, with "…" where it was cut.
std::string OneLinePrompt(std::string_view prompt, int maxChars);

// Appends the UTF-8 bytes of one Unicode scalar value.
void AppendUtf8(std::string& out, uint32_t cp);

}  // namespace ny
