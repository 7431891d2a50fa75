#pragma once
// The status log "LOG/log_TS.csv" below the application folder: one line per decoded block.

#include <QByteArray>
#include <QString>

namespace zvk {

class OperationUi;

class StatusLog {
public:
    explicit StatusLog(const QString& appDir = {});

    void setAppDir(const QString& appDir);
    QString filePath() const { return m_path; }

    enum class Result { Written, Failed, FailedAndReported };

    // Appends line and CR LF, creating the file when it is missing. A failure (missing folder,
    // read-only or locked file) is reported in status panel 1 once, and again only after a write has
    // succeeded in between; it never stops the caller.
    Result append(const QByteArray& line, OperationUi* ui);

    // The message of a failed write.
    QString failureText() const;

private:
    QString m_path;
    bool m_failureReported = false;
};

} // namespace zvk
