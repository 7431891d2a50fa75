#pragma once
// The settings file in the plain Windows INI dialect: [Section] headers, key=value lines, no
// escaping, booleans as 1 and 0. Reading is forgiving (CR LF or LF, junk lines skipped, keys
// compared without case as Windows does); saving writes a temporary file and renames it, so a
// crash never leaves half a settings file.

#include <QList>
#include <QString>

namespace zvk {

class IniFile {
public:
    // Reads path; a missing or unreadable file gives an empty IniFile.
    static IniFile load(const QString& path);

    bool contains(const QString& section, const QString& key) const;
    QString readString(const QString& section, const QString& key, const QString& def) const;
    int readInteger(const QString& section, const QString& key, int def) const;
    bool readBool(const QString& section, const QString& key, bool def) const;

    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);

    // Writes the whole file atomically; false with *error set on failure.
    bool save(const QString& path, QString* error = nullptr) const;
    QByteArray serialize() const;

private:
    struct Entry {
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        QList<Entry> entries;
    };
    const Entry* find(const QString& section, const QString& key) const;

    QList<Section> m_sections;
};

} // namespace zvk
