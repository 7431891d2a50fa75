#include "app/MessageBoxes.h"

#include <QApplication>

namespace zvk::boxes {

namespace {
Hook& hook() {
    static Hook h;
    return h;
}
} // namespace

void setHook(Hook h) {
    hook() = std::move(h);
}

QMessageBox::StandardButton show(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                 QMessageBox::StandardButtons buttons) {
    if (hook())
        return hook()(icon, text, buttons);
    QMessageBox box(icon, QApplication::applicationDisplayName(), text, buttons, parent);
    box.setAccessibleName(text);
    return QMessageBox::StandardButton(box.exec());
}

} // namespace zvk::boxes
