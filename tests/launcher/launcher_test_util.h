// Small helpers shared by the launcher's widget tests.
#pragma once

#include <QApplication>
#include <QtTest>

#include "common/lang.h"
#include "tests/support/fake_platform.h"

// Finds a named control or fails the test.
#define FIND(var, Type, root, name)                                                                          \
    auto* var = (root).findChild<Type*>(QStringLiteral(name));                                               \
    QVERIFY2(var, "no control " name)

namespace kuvo::test {

inline QByteArray langFileBytes()
{
    QFile f(langFilePath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

// Puts a folder where ml.ini should be, so it can neither be read nor written
// (also for root, whom file permissions would not stop).
inline void blockLangFile()
{
    removeLangFile();
    QDir().mkpath(langFilePath());
}

inline void unblockLangFile()
{
    QDir(langFilePath()).removeRecursively();
}

} // namespace kuvo::test
