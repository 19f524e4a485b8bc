// The overwrite-and-delete engine: overwrites each listed file in place with the
// chosen strength, gives it a throw-away name in its folder and deletes it.
// It never shows a window; the caller supplies an EraseUi.
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>

namespace kuvo::change {

enum Strength : int { Normal = 0, Once = 1, Twice = 2, Vsitr = 3 };

// The byte of every overwrite pass, in order (empty for Normal).
QList<unsigned char> passPatterns(int strength);
// How many times the per-file bar advances for one file.
int stepsPerFile(int strength);
// width / steps, rounded to the nearest whole number with halves to the even one.
int FileStep(int barWidth, int strength);

// Display form of a path: "/ho.../2007/annual.txt" for long paths.
QString ShortenPath(const QString& path, int maxLength);

// The time of day in units of 0.2 s, as the throw-away name uses it.
qint64 throwAwayNumber(qint64 msecsSinceMidnight);
// The file's folder (up to and including its last "/") + "del.del" + number.
QString throwAwayName(const QString& path, qint64 number);

// What the engine drives while it runs. The window implements it with its
// progress panel and message boxes, the command line with stderr, tests with a recorder.
class EraseUi {
public:
    virtual ~EraseUi() = default;
    // The busy display: the progress panel shown, the file panels disabled (or back).
    virtual void setBusy(bool on) = 0;
    virtual void setStatus(const QString& text) = 0;
    // The full path of the file in hand ("" when the run is over).
    virtual void setCurrentFile(const QString& path) = 0;
    // The per-file bar, in units of its own inner width.
    virtual int fileBarWidth() const = 0;
    virtual void setFileBar(int width) = 0;
    virtual void setOverall(int value, int maximum) = 0;
    virtual void setLights(bool red, bool yellow, bool green) = 0;
    // A message with an OK button.
    virtual void showMessage(const QString& text) = 0;
    // Lets the window handle pending events (and a click on Cancel).
    virtual void yield() = 0;
    virtual bool cancelFlag() const = 0;
    virtual void setCancelFlag(bool on) = 0;
    // The run has emptied its list (before the closing messages).
    virtual void listEmptied() {}
};

// One overwrite pass over an open regular file. The default writes the byte over
// [0, length) in chunks on a worker thread, then fdatasync, and calls yield
// every few tens of milliseconds meanwhile. Tests wrap it to watch every pass.
class PassWriter {
public:
    virtual ~PassWriter() = default;
    // False with a readable reason when a write or the sync failed.
    virtual bool writePass(int fd, qint64 length, unsigned char byte, const std::function<void()>& yield,
                           QString* error);

    qint64 chunkSize = qint64(4) << 20;
};

struct EraseOptions {
    PassWriter* writer = nullptr; // nullptr: a default PassWriter
    // Local time of day in ms; nullptr: the clock.
    std::function<qint64()> msecsSinceMidnight;
    // How many following numbers are tried when throw-away names are taken.
    int nameTries = 1000;
};

struct EraseReport {
    enum class End { Finished, Cancelled, Failed };
    End end = End::Finished;
    QStringList erased;     // gone from disk
    QStringList notRegular; // pipes, devices, sockets, folders: left alone
    QStringList noName;     // overwritten, but left in place: no free throw-away name
    QString error;          // the failure that ended the run, or the last file's deletion error
};

// Erases every entry of list with the strength 0..3 and empties the list.
EraseReport DelVSITR(QStringList& list, int strength, EraseUi& ui, const EraseOptions& options = {});

} // namespace kuvo::change
