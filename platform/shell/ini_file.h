#pragma once
// The program's settings file, kept the way a Windows profile file behaves: section and
// key names are compared ignoring case, a new file lists sections and keys in the order
// they were first written, lines this program does not know survive every write, and
// each write reaches the disk before the call returns.
#include <QString>

#include <stdexcept>
#include <string>

// A write that could not reach the file. The message names the file.
class EIniFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class IniFile {
public:
    // Nothing is read or created yet: a missing file reads as empty and is created by
    // the first write.
    explicit IniFile(QString fileName);

    const QString& FileName() const { return fileName; }

    QString ReadString(const QString& section, const QString& key, const QString& defaultValue);
    // A value that is not a whole number (decimal, or hexadecimal after "0x" or "$")
    // within 32 bits gives the default.
    int ReadInteger(const QString& section, const QString& key, int defaultValue);
    // A whole number other than 0 is true; anything that is not a number gives the default.
    bool ReadBool(const QString& section, const QString& key, bool defaultValue);

    // Each write reads the file again, changes the one value and writes the whole file.
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value); // "1" or "0"

private:
    QString fileName;
};

// Whole-number parsing of a profile value: optional blanks and sign, then decimal digits,
// or hexadecimal digits after "0x" or "$". False when the text is anything else or does
// not fit in 32 bits.
bool ParseProfileInteger(const QString& text, int& result);
