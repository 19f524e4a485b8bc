// Restoring the files of a container, and listing what it holds. The window
// runs DecryptContainer from its "Decrypt files" button, the command line from
// "kuvo decrypt" and "kuvo list".
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "crypt/cipher/passphrase_key.h"
#include "crypt/cipher/rijndael.h"
#include "file_ops_ui.h"

namespace kuvo {

// TxtDecrOutPath's rules: the container's folder when empty, always ending in "/".
QString DefaultOutputFolder(const QString& container);
QString ValidatedOutputFolder(const QString& text, const QString& container);

struct DecryptRequest {
    QString container;
    QString outputFolder; // stored folder levels are recreated below it
    // Create a missing output folder, once the first entry has passed its check.
    bool createOutputFolder = false;
};

struct DecryptResult {
    enum class Status {
        Done,      // every entry restored or skipped by the user
        Cancelled, // stopped; the entry being restored was not left behind
        Failed,    // a message was shown; files restored before it stay
    };
    Status status = Status::Failed;
    int restored = 0;
    int skipped = 0; // overwrite declined
    QStringList restoredPaths;
};

// Before any folder or file of an entry is created its first piece is checked
// (a wrong passphrase shows here: text 207 when nothing was restored yet, else
// 114); unsafe stored names are refused (203). Each file is written under a
// temporary name beside its target and renamed into place when complete; an
// existing file is replaced only when ui says so.
DecryptResult DecryptContainer(const DecryptRequest& request, const CipherKey& key, CRijndael& cipher,
                               FileOpsUi& ui);

struct ListedEntry {
    QString name;           // native relative path ("/" between levels)
    std::uint64_t size = 0; // content length
    bool stored = true;     // false for an entry whose file could not be stored
};

struct ListResult {
    bool ok = false; // false: a message was shown
    std::vector<ListedEntry> entries;
};

// Decrypts only the start of each entry; writes nothing.
ListResult ListContainer(const QString& container, const CipherKey& key, CRijndael& cipher, FileOpsUi& ui);

} // namespace kuvo
