// Encrypting the input list into one container. The window runs it from its
// "Encrypt files" button, the command line from "kuvo encrypt"; both supply
// the cipher (so Cancel can set its doCancel) and a FileOpsUi.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "crypt/cipher/passphrase_key.h"
#include "crypt/cipher/rijndael.h"
#include "file_ops_ui.h"

namespace kuvo {

struct EncryptRequest {
    QStringList entries; // the input list, in list order
    QString tag;         // the list's tag: "d" files mode, "v" + folder + "/" directory mode
    QString container;   // the container path
};

struct EncryptResult {
    enum class Status {
        Done,      // the container is complete: it becomes LastContainer
        Cancelled, // nothing of the container remains; no message was shown
        Failed,    // a message was shown; no container was written
    };
    Status status = Status::Failed;
    std::vector<std::uint32_t> entrySizes; // 0 for a file that was not stored
    int notStored = 0;
};

// Whether the container path names one of the inputs (the same file however
// written, or the same path when neither exists yet).
bool IsContainerAnInput(const QString& container, const QStringList& entries);

// Prepares the key, writes every entry's record and the trailer into a
// temporary file beside the container and renames it into place at the end
// (replacing a container of that name). A file that cannot be stored gets its
// message and entry size 0, and the run goes on. Lights, progress and yields
// go through ui; the caller keeps the key and wipes it.
EncryptResult EncryptFiles(const EncryptRequest& request, const CipherKey& key, CRijndael& cipher,
                           FileOpsUi& ui);

} // namespace kuvo
