#include "app/Skin.h"

#include <QApplication>
#include <QStyleFactory>
#include <algorithm>

namespace zvk {

namespace {
QColor tint(const QColor& c, int hue, int saturation) {
    int h = 0, s = 0, v = 0, a = 0;
    c.getHsv(&h, &s, &v, &a);
    if (h >= 0)
        h = (h + hue) % 360;
    // -100 turns every colour grey, +100 doubles its saturation.
    s = std::clamp(s * (100 + saturation) / 100, 0, 255);
    return QColor::fromHsv(h < 0 ? 0 : h, h < 0 ? 0 : s, v, a);
}

QPalette basePalette(const QString& name) {
    QPalette p;
    if (name.startsWith(QLatin1String("Android OS"))) {
        // Dark slate with a green accent.
        p.setColor(QPalette::Window, QColor(46, 52, 54));
        p.setColor(QPalette::WindowText, QColor(230, 236, 230));
        p.setColor(QPalette::Base, QColor(250, 252, 250));
        p.setColor(QPalette::AlternateBase, QColor(232, 240, 232));
        p.setColor(QPalette::Text, QColor(20, 24, 20));
        p.setColor(QPalette::Button, QColor(64, 78, 70));
        p.setColor(QPalette::ButtonText, QColor(236, 244, 236));
        p.setColor(QPalette::Highlight, QColor(120, 190, 60));
        p.setColor(QPalette::HighlightedText, QColor(10, 20, 10));
        p.setColor(QPalette::ToolTipBase, QColor(64, 78, 70));
        p.setColor(QPalette::ToolTipText, QColor(236, 244, 236));
        p.setColor(QPalette::PlaceholderText, QColor(120, 128, 120));
        p.setColor(QPalette::Light, QColor(90, 104, 96));
        p.setColor(QPalette::Mid, QColor(40, 46, 44));
        p.setColor(QPalette::Dark, QColor(24, 28, 26));
    } else {
        // Warm light beige with an amber accent.
        p.setColor(QPalette::Window, QColor(236, 226, 206));
        p.setColor(QPalette::WindowText, QColor(40, 30, 16));
        p.setColor(QPalette::Base, QColor(255, 252, 244));
        p.setColor(QPalette::AlternateBase, QColor(246, 238, 222));
        p.setColor(QPalette::Text, QColor(30, 24, 14));
        p.setColor(QPalette::Button, QColor(226, 208, 170));
        p.setColor(QPalette::ButtonText, QColor(40, 30, 16));
        p.setColor(QPalette::Highlight, QColor(204, 140, 40));
        p.setColor(QPalette::HighlightedText, QColor(255, 255, 255));
        p.setColor(QPalette::ToolTipBase, QColor(255, 246, 220));
        p.setColor(QPalette::ToolTipText, QColor(40, 30, 16));
        p.setColor(QPalette::PlaceholderText, QColor(150, 140, 120));
        p.setColor(QPalette::Light, QColor(250, 242, 226));
        p.setColor(QPalette::Mid, QColor(190, 176, 150));
        p.setColor(QPalette::Dark, QColor(150, 136, 110));
    }
    return p;
}
} // namespace

QPalette skinPalette(const SkinSettings& skin) {
    const QPalette base = basePalette(skin.name);
    QPalette out = base;
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto r = QPalette::ColorRole(role);
        for (auto group : {QPalette::Active, QPalette::Inactive}) {
            out.setColor(group, r, tint(base.color(group, r), skin.hue, skin.saturation));
        }
        const QColor disabled = tint(base.color(QPalette::Active, r), skin.hue, skin.saturation);
        out.setColor(QPalette::Disabled, r,
                     r == QPalette::WindowText || r == QPalette::Text || r == QPalette::ButtonText
                         ? disabled.lighter(150)
                         : disabled);
    }
    return out;
}

void applySkin(const SkinSettings& skin) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QApplication::setPalette(skinPalette(skin));
}

void useSkinStyle() {
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
}

} // namespace zvk
