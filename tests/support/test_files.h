// Files for tests: made, read back and compared as whole trees.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

namespace kuvo::test {

// Deterministic bytes that do not compress.
QByteArray pseudoRandom(qsizetype size, quint32 seed);
// Writes the file whole, making its folders; false when that fails.
bool writeFile(const QString& path, const QByteArray& bytes);
// The file's bytes, or nothing when it cannot be read.
QByteArray readFile(const QString& path);
// Every file below folder (hidden ones too), by path relative to it.
QMap<QString, QByteArray> treeOf(const QString& folder);

}  // namespace kuvo::test
