#include "encrypt_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

#include "common/catalogue.h"
#include "container.h"
#include "input_list.h"
#include "ops_support.h"
#include "stored_name.h"

namespace kuvo {

using namespace fileops;

bool IsContainerAnInput(const QString& container, const QStringList& entries)
{
    const QString target = QDir::cleanPath(QFileInfo(container).absoluteFilePath());
    struct stat cst;
    const bool exists = ::stat(QFile::encodeName(container).constData(), &cst) == 0;
    for (const QString& entry : entries) {
        if (QDir::cleanPath(QFileInfo(entry).absoluteFilePath()) == target)
            return true;
        struct stat est;
        if (exists && ::stat(QFile::encodeName(entry).constData(), &est) == 0 && est.st_dev == cst.st_dev &&
            est.st_ino == cst.st_ino)
            return true;
    }
    return false;
}

EncryptResult EncryptFiles(const EncryptRequest& request, const CipherKey& key, CRijndael& cipher,
                           FileOpsUi& ui)
{
    using S = EncryptResult::Status;
    using RS = container::RecordOutcome::Status;
    EncryptResult result;
    const qint64 n = request.entries.size();
    if (n == 0) {
        ui.showError(LoadText(114));
        return result;
    }
    if (IsContainerAnInput(request.container, request.entries)) {
        ui.showError(LoadText(204, request.container));
        return result;
    }
    Lights lights(ui);
    lights.set(true, false, false);
    ui.overallProgress(0, int(n));
    YieldGate gate(ui, cipher);
    if (!cipher.EncryptPrepareKey(key)) {
        ui.showError(LoadText(114));
        return result;
    }
    container::ContainerWriter writer;
    int error = 0;
    if (!writer.create(request.container, &error)) {
        ui.showError(ErrorText(PathErrorText(request.container, error)));
        return result;
    }

    const QString root = DirectoryOfTag(request.tag);
    const bool directoryMode = !root.isEmpty();
    EntryProgress progress(ui);
    const auto yield = [&gate] { gate.yieldNow(); };
    result.entrySizes.assign(std::size_t(n), 0);
    for (qint64 i = 0; i < n; ++i) {
        const QString& path = request.entries[i];
        ui.entryStarted(int(i), path);
        progress.reset();
        const StoredNameResult name = MakeStoredName(path, root);
        if (name.hasBackslash) {
            ui.showError(LoadText(206, path));
        } else {
            const auto outcome =
                writer.appendRecord(path, name.bytes, cipher, std::ref(progress), yield, directoryMode);
            switch (outcome.status) {
            case RS::Stored:
                result.entrySizes[std::size_t(i)] = outcome.entrySize;
                break;
            case RS::InputFailed:
                ui.showError(ErrorText(PathErrorText(path, outcome.error)));
                break;
            case RS::InputTooLarge:
                ui.showError(LoadText(205, path));
                break;
            case RS::InputChanged:
                ui.showError(LoadText(208, path));
                break;
            case RS::ContainerFailed:
                writer.discard();
                ui.showError(ErrorText(PathErrorText(request.container, outcome.error)));
                result.status = S::Failed;
                return result;
            case RS::Cancelled:
                break;
            }
        }
        if (result.entrySizes[std::size_t(i)] == 0)
            ++result.notStored;
        ui.overallProgress(int(i + 1), int(n));
        lights.afterItem(i, n, false);
        if (cipher.isCancelled()) {
            writer.discard();
            result.status = S::Cancelled;
            return result;
        }
    }

    lights.set(false, true, true);
    if (!writer.appendTrailer(result.entrySizes, &error)) {
        writer.discard();
        ui.showError(ErrorText(PathErrorText(request.container, error)));
        return result;
    }
    if (cipher.isCancelled()) {
        writer.discard();
        result.status = S::Cancelled;
        return result;
    }
    if (!writer.commit(&error)) {
        writer.discard();
        ui.showError(ErrorText(PathErrorText(request.container, error)));
        return result;
    }
    lights.yellow(false);
    result.status = S::Done;
    return result;
}

} // namespace kuvo
