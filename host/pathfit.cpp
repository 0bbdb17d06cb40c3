#include "host/pathfit.h"

namespace ny {

namespace {

constexpr std::string_view kEllipsis = "…";

bool IsSep(char c) { return c == '\\' || c == '/'; }

// The end of the root the compacted text keeps ("C:\", "\\server\share\").
size_t RootEnd(std::string_view p) {
    if (p.size() >= 2 && IsSep(p[0]) && IsSep(p[1])) {  // \\server\share\ (or \\?\C:\)
        size_t at = 2;
        for (int parts = 0; parts < 2 && at < p.size(); ++parts) {
            const size_t sep = p.find_first_of("\\/", at);
            if (sep == std::string_view::npos) return 0;
            at = sep + 1;
        }
        return at;
    }
    if (p.size() >= 3 && p[1] == ':' && IsSep(p[2])) return 3;
    if (!p.empty() && IsSep(p[0])) return 1;
    return 0;
}

}  // namespace

std::string FitPath(std::string_view path, int width, const MeasureText& measure) {
    auto fits = [&](std::string_view s) { return measure(s) <= width; };
    if (fits(path)) return std::string(path);
    const size_t root = RootEnd(path);
    const size_t last = path.find_last_of("\\/");
    // Folders after the root give way from the first one on.
    if (last != std::string_view::npos && last >= root) {
        for (size_t sep = path.find_first_of("\\/", root); sep != std::string_view::npos && sep <= last;
             sep = path.find_first_of("\\/", sep + 1)) {
            std::string s = std::string(path.substr(0, root)) + std::string(kEllipsis) + std::string(path.substr(sep));
            if (fits(s)) return s;
        }
        std::string s = std::string(kEllipsis) + std::string(path.substr(last));
        if (fits(s)) return s;
    }
    // The name alone is too wide: its start, cut between characters.
    const std::string_view name = last == std::string_view::npos ? path : path.substr(last + 1);
    std::string best;
    for (size_t i = 0; i < name.size();) {
        size_t next = i + 1;
        while (next < name.size() && (static_cast<unsigned char>(name[next]) & 0xC0) == 0x80) ++next;
        // A dot or a blank just before the ellipsis reads like part of the name.
        std::string_view kept = name.substr(0, next);
        while (!kept.empty() && (kept.back() == '.' || kept.back() == ' ')) kept.remove_suffix(1);
        std::string s = std::string(kept) + std::string(kEllipsis);
        if (!fits(s)) break;
        best = std::move(s);
        i = next;
    }
    if (best.empty() && fits(kEllipsis)) best = std::string(kEllipsis);
    return best;
}

}  // namespace ny
