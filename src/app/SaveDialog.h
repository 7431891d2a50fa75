#pragma once
// The file-save dialog of the tool. Overwriting is not confirmed here: the callers ask the system's
// own question. Tests answer through a hook instead of a modal loop.

#include <QString>
#include <functional>

class QWidget;

namespace zvk::SaveDialog {

struct Request {
    QString folder;        // initial folder
    QString filter;        // "Файл графика RF (*.grf)"
    QString defaultSuffix; // "grf", added when the typed name has none
};

// The chosen path, or an empty string when the dialog was cancelled.
QString choose(QWidget* parent, const Request& request);

using Hook = std::function<QString(const Request& request)>;
void setHook(Hook hook);

} // namespace zvk::SaveDialog
