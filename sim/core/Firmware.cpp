#include "core/Firmware.h"

#include <QStringList>

namespace zvk::sim {

std::optional<Firmware> parseFirmware(const QString& text) {
    const QStringList parts = text.split(u'.');
    if (parts.size() != 3)
        return std::nullopt;
    int v[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        v[i] = parts[i].toInt(&ok);
        if (!ok || v[i] < 0 || v[i] > 255 || parts[i].isEmpty() || parts[i].startsWith(u'+'))
            return std::nullopt;
    }
    return Firmware{v[0], v[1], v[2]};
}

} // namespace zvk::sim
