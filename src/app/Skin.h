#pragma once
// The two built-in looks, "Topaz (internal)" and "Android OS (internal)", on Qt's Fusion style,
// tinted by a hue offset (0..300 degrees) and a saturation change (-100..+100). The status colours
// of grids and panels are set on those widgets themselves and are never tinted.

#include <QPalette>
#include <QString>

class QApplication;

namespace zvk {

struct SkinSettings {
    QString name = QStringLiteral("Topaz (internal)");
    int hue = 0;          // sSpinEdit1
    int saturation = 100; // sSpinEdit2 - 100
};

QPalette skinPalette(const SkinSettings& skin);
// Sets the palette of the whole application.
void applySkin(const SkinSettings& skin);
// The style both looks are drawn with; set once at start-up.
void useSkinStyle();

} // namespace zvk
