// How the kuvo commands get a passphrase: from a file named on the command
// line, or typed on the terminal without echo.
#pragma once

#include <QString>
#include <optional>

#include "crypt/cipher/passphrase_key.h"

namespace kuvo::cli {

// The file's content without one trailing newline (LF or CR LF), read as
// UTF-8 (Windows-1252 when it is not valid UTF-8). Without a file the
// passphrase is asked on the controlling terminal (/dev/tty, so standard input
// stays free for data); confirm asks twice. nullopt after a
// message on stderr, with the exit code to return.
std::optional<QString> readPassphrase(const QString& file, bool confirm, int* exitCode);

// The key for a passphrase: an empty one is refused with text 114, one with
// characters Windows-1252 lacks with text 202. nullopt after the message.
std::optional<CipherKey> keyForPassphrase(const QString& passphrase);

// readPassphrase then keyForPassphrase, with the passphrase wiped afterwards;
// nullopt after a message, with the exit code to return.
std::optional<CipherKey> obtainKey(const QString& file, bool confirm, int* exitCode);

// True when both stdin and stderr are terminals (questions can be asked).
bool interactive();
// Asks a question on the terminal and reads one line (with echo).
QString askLine(const QString& prompt);

} // namespace kuvo::cli
