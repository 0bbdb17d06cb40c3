#include "platform/win32/colours.h"

namespace ny {
namespace {

int SysIndex(SysColour c) {
    switch (c) {
        case SysColour::Window: return COLOR_WINDOW;
        case SysColour::WindowText: return COLOR_WINDOWTEXT;
        case SysColour::ButtonFace: return COLOR_BTNFACE;
        case SysColour::ButtonText: return COLOR_BTNTEXT;
        case SysColour::Highlight: return COLOR_HIGHLIGHT;
        case SysColour::HighlightText: return COLOR_HIGHLIGHTTEXT;
        case SysColour::GrayText: return COLOR_GRAYTEXT;
    }
    return COLOR_WINDOW;
}

}  // namespace

bool HighContrastOn() {
    HIGHCONTRASTW hc{};
    hc.cbSize = sizeof hc;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) &&
           (hc.dwFlags & HCF_HIGHCONTRASTON);
}

COLORREF ColourOf(const Paint& p) {
    return p.system ? GetSysColor(SysIndex(p.sys)) : RGB(p.rgb.r, p.rgb.g, p.rgb.b);
}

HBRUSH BrushOf(const Paint& p) {
    return p.system ? GetSysColorBrush(SysIndex(p.sys)) : CreateSolidBrush(ColourOf(p));
}

}  // namespace ny
