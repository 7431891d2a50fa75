#include "app/IniFile.h"

#include "link/Frames.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace zvk {

namespace {
// Files written by the Windows tool are Windows-1251; files written here are UTF-8. A line that is
// not valid UTF-8 is taken as Windows-1251, so old paths with Cyrillic names survive.
QString decodeLine(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return fromWire(bytes);
}
} // namespace

IniFile IniFile::load(const QString& path) {
    IniFile ini;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ini;
    const QByteArray all = file.readAll();
    Section* current = nullptr;
    for (QByteArray raw : all.split('\n')) {
        if (raw.endsWith('\r'))
            raw.chop(1);
        if (raw.startsWith("\xEF\xBB\xBF"))
            raw.remove(0, 3);
        const QString line = decodeLine(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            const QString name = line.mid(1, line.size() - 2).trimmed();
            current = nullptr;
            for (Section& s : ini.m_sections) {
                if (s.name.compare(name, Qt::CaseInsensitive) == 0)
                    current = &s;
            }
            if (!current) {
                ini.m_sections.append({name, {}});
                current = &ini.m_sections.last();
            }
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!current || eq <= 0)
            continue; // junk: a line outside any section or without a key
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1);
        bool replaced = false;
        for (Entry& e : current->entries) {
            if (e.key.compare(key, Qt::CaseInsensitive) == 0) {
                e.value = value;
                replaced = true;
            }
        }
        if (!replaced)
            current->entries.append({key, value});
    }
    return ini;
}

const IniFile::Entry* IniFile::find(const QString& section, const QString& key) const {
    for (const Section& s : m_sections) {
        if (s.name.compare(section, Qt::CaseInsensitive) != 0)
            continue;
        for (const Entry& e : s.entries) {
            if (e.key.compare(key, Qt::CaseInsensitive) == 0)
                return &e;
        }
    }
    return nullptr;
}

bool IniFile::contains(const QString& section, const QString& key) const {
    return find(section, key);
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const {
    const Entry* e = find(section, key);
    return e ? e->value : def;
}

int IniFile::readInteger(const QString& section, const QString& key, int def) const {
    const Entry* e = find(section, key);
    if (!e)
        return def;
    bool ok = false;
    const QString v = e->value.trimmed();
    // Windows also reads hexadecimal integers written as 0x...
    const int n =
        v.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? v.mid(2).toInt(&ok, 16) : v.toInt(&ok);
    return ok ? n : def;
}

bool IniFile::readBool(const QString& section, const QString& key, bool def) const {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    // A value must stay on its line.
    QString clean = value;
    clean.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    Section* target = nullptr;
    for (Section& s : m_sections) {
        if (s.name.compare(section, Qt::CaseInsensitive) == 0)
            target = &s;
    }
    if (!target) {
        m_sections.append({section, {}});
        target = &m_sections.last();
    }
    for (Entry& e : target->entries) {
        if (e.key.compare(key, Qt::CaseInsensitive) == 0) {
            e.value = clean;
            return;
        }
    }
    target->entries.append({key, clean});
}

void IniFile::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value) {
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QByteArray IniFile::serialize() const {
    QByteArray out;
    for (const Section& s : m_sections) {
        out += '[' + s.name.toUtf8() + "]\r\n";
        for (const Entry& e : s.entries)
            out += e.key.toUtf8() + '=' + e.value.toUtf8() + "\r\n";
        out += "\r\n";
    }
    return out;
}

bool IniFile::save(const QString& path, QString* error) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    file.write(serialize());
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace zvk
