#pragma once
// Modal message boxes with the system's texts and buttons. Tests replace the modal loop with a
// hook that records the box and answers it.

#include <QMessageBox>
#include <functional>

namespace zvk::boxes {

using Hook = std::function<QMessageBox::StandardButton(QMessageBox::Icon icon, const QString& text,
                                                       QMessageBox::StandardButtons buttons)>;
void setHook(Hook hook);

QMessageBox::StandardButton show(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                 QMessageBox::StandardButtons buttons = QMessageBox::Ok);

inline void error(QWidget* parent, const QString& text) {
    show(parent, QMessageBox::Critical, text);
}
inline void warning(QWidget* parent, const QString& text) {
    show(parent, QMessageBox::Warning, text);
}
inline bool confirm(QWidget* parent, const QString& text) {
    return show(parent, QMessageBox::Warning, text, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

} // namespace zvk::boxes
