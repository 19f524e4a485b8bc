// The rules by which Change collects the files it is to erase.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace kuvo::change {

// Doubled separators collapse ("/a//b" and "/a/b" are one entry); otherwise the
// path is kept as typed, and entries compare case-sensitively.
QString normalizeListPath(const QString& path);

// A folder, or a link to one.
bool IsDirectory(const QString& path);

// The entries directly inside folder that are not folders (hidden ones included,
// links to folders left out), sorted by name. Sub-folders are not entered.
QStringList plainFilesIn(const QString& folder, const std::function<void()>& yield = {});

} // namespace kuvo::change
