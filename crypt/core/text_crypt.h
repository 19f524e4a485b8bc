// Text encryption: a text becomes the Base64 block of the Rijndael-256/CBC
// ciphertext of 32 random bytes followed by the text's Windows-1252 bytes, and
// such a block becomes the text again. The window and the command line share it.
#pragma once

#include <QString>

#include "crypt/cipher/passphrase_key.h"
#include "crypt/cipher/rijndael.h"

namespace kuvo::textcrypt {

inline constexpr std::size_t kRandomPrefix = 32;

// Text as a Windows text box holds it, lines joined by CR LF: every LF that does
// not follow a CR becomes CR LF. Blocks so stay readable by Windows peers.
QString toWindowsLines(const QString& text);
// CR LF pairs become LF, for a box or a terminal that breaks lines at LF.
QString fromWindowsLines(const QString& text);

// Input checks made before anything changes, each with its catalogue message.
enum class Problem { None, Empty, TextNotRepresentable, PassphraseNotRepresentable };
int messageId(Problem problem); // 114, 201, 202; 0 for None
// A text must be Windows-1252 and hold no NUL (decryption ends the text at the first zero byte).
Problem checkEncryptInput(const QString& text, const QString& passphrase);
Problem checkDecryptInput(const QString& block, const QString& passphrase);

enum class Status { Ok, Cancelled, NotWholeBlocks, TextNotRepresentable };
struct Result {
    Status status = Status::Ok;
    QString text;
};

// One EncryptData call with progress and yields through the cipher's observer;
// 32 fresh bytes from the system's generator make every block different.
Result encryptText(CRijndael& cipher, const QString& windowsText, const CipherKey& key);
// Spaces are dropped, then the block is decoded as it stands (a lone LF is a
// character there). NotWholeBlocks when the bytes are not whole 32-byte blocks
// (also when there are none). A wrong key is not detected.
Result decryptText(CRijndael& cipher, const QString& windowsBlock, const CipherKey& key);

} // namespace kuvo::textcrypt
