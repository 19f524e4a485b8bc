// QString <-> Windows-1252 bytes, over the one codec in cp1252.h.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace kuvo {

std::optional<QByteArray> toWin1252(const QString& text);
QString fromWin1252(const QByteArray& bytes);
bool isWin1252(const QString& text);

}  // namespace kuvo
