#pragma once
// The RF graph buffer of the main window and its file "*.grf": 150 records of a 4-byte value and a
// marker character, written in order with no header. Nothing in the tool fills the values, so a
// saved file holds 150 records 00 00 00 00 20.

#include <QByteArray>
#include <QString>

namespace zvk {

class OperationUi;

class RfGraph {
public:
    static constexpr int Records = 150;
    static constexpr int RecordSize = 5;
    static constexpr int FileSize = Records * RecordSize;

    // Values 0, every marker a space: the buffer as the main window creates it.
    RfGraph();

    QByteArray serialize() const { return m_bytes; }

    // Writes the file through a temporary file that replaces the target only once it is complete,
    // so a failed write leaves an existing file as it was. An existing file that is read-only is not
    // replaced. On failure the message names the file and the reason.
    bool save(const QString& path, QString* error) const;

private:
    QByteArray m_bytes;
};

namespace RfGraphText {
inline const QString Overwrite = QStringLiteral("Файл уже существует. Вы хотите перезаписать его?");
}

// The save of "Сохранить график RF" once a file was chosen: asks before overwriting an existing
// file, writes it, and shows an error box when it cannot be written. True when the file was written.
bool SaveRfGraph(const RfGraph& graph, const QString& path, OperationUi& ui);

} // namespace zvk
