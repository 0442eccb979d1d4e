#include "platform/shell/ini_file.h"

#include <QFile>
// Names and values are UTF-8 bytes, so no wide-character conversion is needed; the
// template bodies are compiled here, in the one file that uses them.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <limits>
#include <utility>

namespace {

// CSimpleIniA compares section and key names ignoring case.
struct Profile {
    CSimpleIniA ini{true, false, false};
    Profile() { ini.SetSpaces(false); }
};

enum class LoadResult { Loaded, Missing, Unreadable };

LoadResult Load(const QString& fileName, Profile& profile) {
    QFile file(fileName);
    if (!file.exists())
        return LoadResult::Missing;
    if (!file.open(QIODevice::ReadOnly))
        return LoadResult::Unreadable;
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return LoadResult::Unreadable;
    if (profile.ini.LoadData(data.constData(), static_cast<size_t>(data.size())) < 0)
        return LoadResult::Unreadable;
    return LoadResult::Loaded;
}

int DigitValue(QChar c) {
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    const QChar lower = c.toLower();
    if (lower >= u'a' && lower <= u'f')
        return lower.unicode() - u'a' + 10;
    return -1;
}

[[noreturn]] void WriteFailed(const QString& fileName) {
    throw EIniFileError(QStringLiteral("Unable to write to %1").arg(fileName).toStdString());
}

} // namespace

IniFile::IniFile(QString fileName_) : fileName(std::move(fileName_)) {}

QString IniFile::ReadString(const QString& section, const QString& key,
                            const QString& defaultValue) {
    Profile profile;
    if (Load(fileName, profile) != LoadResult::Loaded)
        return defaultValue;
    const char* value =
        profile.ini.GetValue(section.toUtf8().constData(), key.toUtf8().constData(), nullptr);
    return value ? QString::fromUtf8(value) : defaultValue;
}

int IniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) {
    int result = 0;
    return ParseProfileInteger(ReadString(section, key, QString()), result) ? result : defaultValue;
}

bool IniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    Profile profile;
    // Writing over a file that exists but could not be read would lose its content.
    if (Load(fileName, profile) == LoadResult::Unreadable)
        WriteFailed(fileName);
    if (profile.ini.SetValue(section.toUtf8().constData(), key.toUtf8().constData(),
                             value.toUtf8().constData()) < 0)
        WriteFailed(fileName);
    std::string text;
    if (profile.ini.Save(text) < 0)
        WriteFailed(fileName);
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        WriteFailed(fileName);
    const auto size = static_cast<qint64>(text.size());
    if (file.write(text.data(), size) != size || !file.flush())
        WriteFailed(fileName);
    file.close();
    if (file.error() != QFileDevice::NoError)
        WriteFailed(fileName);
}

void IniFile::WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, QString::number(value));
}

void IniFile::WriteBool(const QString& section, const QString& key, bool value) {
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool ParseProfileInteger(const QString& text, int& result) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    if (text.mid(i, 2).compare(u"0x", Qt::CaseInsensitive) == 0 && text.size() > i + 2) {
        base = 16;
        i += 2;
    } else if (i < text.size() && text[i] == u'$') {
        base = 16;
        ++i;
    }
    if (i == text.size())
        return false;
    long long magnitude = 0;
    const long long limit = static_cast<long long>(std::numeric_limits<int>::max()) + 1;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i]);
        if (digit < 0 || digit >= base)
            return false;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return false;
    }
    if (!negative && magnitude == limit)
        return false;
    result = static_cast<int>(negative ? -magnitude : magnitude);
    return true;
}
