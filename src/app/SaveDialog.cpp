#include "app/SaveDialog.h"

#include <QFileDialog>

namespace zvk::SaveDialog {

namespace {
Hook& hook() {
    static Hook h;
    return h;
}
} // namespace

void setHook(Hook h) {
    hook() = std::move(h);
}

QString choose(QWidget* parent, const Request& request) {
    if (hook())
        return hook()(request);
    QFileDialog dialog(parent, QString(), request.folder, request.filter);
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace zvk::SaveDialog
