#pragma once
// File helpers of the export tests, and the scripted dialogs and texts they use.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringList>
#include <map>
#include <optional>
#include <vector>

#include "support/FakeDialogs.h"
#include "support/FakeView.h"

namespace yb::test {

inline QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// Everything in a folder, hidden entries included: a leftover temporary file shows up here.
inline QStringList FolderEntries(const QString& dir) {
    return QDir(dir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

}  // namespace yb::test
