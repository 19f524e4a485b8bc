// What the file operations ask or show while they run. Crypt's window answers
// with its busy panel and message boxes, the command line with stderr and
// terminal prompts, tests with a scripted fake.
#pragma once

#include <QString>

namespace kuvo {

enum class OverwriteChoice {
    Overwrite, // "Yes": replace the existing file
    OtherName, // "No": the save dialog follows (askSaveAs)
    Skip,      // leave the file alone and go on with the next entry
};

class FileOpsUi {
public:
    virtual ~FileOpsUi() = default;

    // ProgressBar2: entries done out of all entries.
    virtual void overallProgress(int value, int maximum) = 0;
    // ProgressBar1: the current entry, 0 .. maximum.
    virtual void entryProgress(int value, int maximum) = 0;
    // The working traffic light (AmpelL 5, 4, 3); the full state every time.
    virtual void lights(bool red, bool yellow, bool green) = 0;
    // An OK-only error box, text already composed from the catalogue.
    virtual void showError(const QString& text) = 0;
    // The overwrite question (text 178 for path, Yes/No).
    virtual OverwriteChoice askOverwrite(const QString& path, const QString& question) = 0;
    // The save dialog; an empty answer skips the entry.
    virtual QString askSaveAs(const QString& title, const QString& filter) = 0;
    // Processes pending events; a Cancel click sets the cipher's doCancel here.
    // Called at points a few milliseconds apart.
    virtual void yield() = 0;
    // Entry index (from 0) and the path being encrypted or restored.
    virtual void entryStarted(int /*index*/, const QString& /*path*/) {}
};

} // namespace kuvo
