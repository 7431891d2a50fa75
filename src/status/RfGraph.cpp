#include "status/RfGraph.h"

#include "link/OperationUi.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace zvk {

RfGraph::RfGraph() : m_bytes(FileSize, '\0') {
    for (int i = 0; i < Records; ++i)
        m_bytes[i * RecordSize + RecordSize - 1] = ' ';
}

bool RfGraph::save(const QString& path, QString* error) const {
    const auto fail = [&](const QString& reason) {
        if (error)
            *error = QStringLiteral("Не удалось записать файл графика RF\n%1\n%2")
                         .arg(QDir::toNativeSeparators(path), reason);
        return false;
    };
    const QFileInfo info(path);
    // A rename would replace a read-only file that the user could not have overwritten in place.
    if (info.exists() && (!info.isFile() || !info.isWritable()))
        return fail(QStringLiteral("Файл недоступен для записи."));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (file.write(m_bytes) != m_bytes.size())
        return fail(file.errorString());
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

bool SaveRfGraph(const RfGraph& graph, const QString& path, OperationUi& ui) {
    if (QFileInfo::exists(path) && !ui.confirmWarning(RfGraphText::Overwrite))
        return false;
    QString error;
    if (!graph.save(path, &error)) {
        ui.errorBox(error);
        return false;
    }
    return true;
}

} // namespace zvk
