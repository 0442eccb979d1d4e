#pragma once
// A fresh folder for a test's files, removed with everything in it afterwards.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <string>

class TempFolder {
public:
    TempFolder() { EXPECT_TRUE(dir.isValid()); }

    QString Path() const { return dir.path(); }
    QString File(const QString& name) const { return dir.filePath(name); }

    void Write(const QString& name, const QByteArray& content) const {
        QFile file(File(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QByteArray Read(const QString& name) const {
        QFile file(File(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // As text, so a failed comparison prints readably.
    std::string Text(const QString& name) const { return Read(name).toStdString(); }

private:
    QTemporaryDir dir;
};
