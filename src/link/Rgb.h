#pragma once
// Colours in the core without Qt Gui: the same 0xAARRGGBB layout as QRgb, so the window hands
// them straight to QColor::fromRgb.

#include <QtGlobal>

namespace zvk {

using Rgb = quint32;

constexpr Rgb rgb(int r, int g, int b) {
    return 0xFF000000u | (quint32(r & 0xFF) << 16) | (quint32(g & 0xFF) << 8) | quint32(b & 0xFF);
}

} // namespace zvk
