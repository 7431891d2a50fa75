#include "status/StatusLog.h"

#include "link/OperationUi.h"

#include <QDir>
#include <QFile>

namespace zvk {

StatusLog::StatusLog(const QString& appDir) {
    setAppDir(appDir);
}

void StatusLog::setAppDir(const QString& appDir) {
    const QString base = appDir.isEmpty() ? QDir::currentPath() : appDir;
    m_path = base + QStringLiteral("/LOG/log_TS.csv");
}

QString StatusLog::failureText() const {
    return QStringLiteral(" Ошибка записи в файл ") + QDir::toNativeSeparators(m_path);
}

StatusLog::Result StatusLog::append(const QByteArray& line, OperationUi* ui) {
    QFile file(m_path);
    bool written = false;
    if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        const QByteArray record = line + "\r\n";
        written = file.write(record) == record.size();
        file.close();
        written = written && file.error() == QFileDevice::NoError;
    }
    if (written) {
        m_failureReported = false;
        return Result::Written;
    }
    if (m_failureReported)
        return Result::Failed;
    m_failureReported = true;
    if (ui)
        ui->setStatusPanel(1, failureText());
    return Result::FailedAndReported;
}

} // namespace zvk
