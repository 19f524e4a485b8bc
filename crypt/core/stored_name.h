// Names as a container stores them: at most 255 bytes, "\" between folder
// levels, Windows-1252 where it can represent the name, else UTF-8. Native
// "/" paths become stored names here and nowhere else.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace kuvo {

inline constexpr int kMaxStoredNameBytes = 255;

// Bytes for a name: Windows-1252 when those bytes read back as the same name,
// else UTF-8; cut to maxBytes without splitting a character.
QByteArray EncodeStoredName(const QString& name, int maxBytes = kMaxStoredNameBytes);
// Valid UTF-8 holding at least one multi-byte sequence is read as UTF-8,
// anything else as Windows-1252.
QString DecodeStoredName(const QByteArray& bytes);
bool IsMultiByteUtf8(const QByteArray& bytes);

struct StoredNameResult {
    QByteArray bytes;          // empty when refused
    bool hasBackslash = false; // refused: "\" would read as a folder level
};

// The stored name of a list entry. directoryRoot is the root folder of
// directory mode (ending in "/"), or empty in files mode: then the bare file
// name is stored. A relative path too long to store falls back to the bare name.
StoredNameResult MakeStoredName(const QString& entryPath, const QString& directoryRoot);

// The native folder levels of a stored name, last the file name; nothing when
// the name could reach outside the output folder (an empty, "." or ".." level,
// a leading "\", a drive letter, "/" or NUL inside a level).
std::optional<QStringList> SafeStoredLevels(const QString& storedName);

} // namespace kuvo
