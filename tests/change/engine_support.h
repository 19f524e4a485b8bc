// Recorders for the erase engine: what it showed, and what each pass left on disk.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <ostream>
#include <sys/stat.h>

#include "change/core/delvsitr.h"

// Readable failures in GoogleTest output.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace kuvo::test {

class RecordingUi : public change::EraseUi {
public:
    QList<bool> busy;
    QStringList statuses;
    QStringList files;
    QList<int> bars;
    QList<QPair<int, int>> overall;
    QStringList lights; // "R", "RY", "YG", ... ("-" for all off)
    QStringList messages;
    int width = 90;
    bool cancel = false;
    int yields = 0;
    std::function<void()> onYield;

    void setBusy(bool on) override { busy << on; }
    void setStatus(const QString& text) override { statuses << text; }
    void setCurrentFile(const QString& path) override { files << path; }
    int fileBarWidth() const override { return width; }
    void setFileBar(int w) override { bars << w; }
    void setOverall(int value, int maximum) override { overall << qMakePair(value, maximum); }
    void setLights(bool red, bool yellow, bool green) override;
    void showMessage(const QString& text) override { messages << text; }
    void yield() override
    {
        ++yields;
        if (onYield)
            onYield();
    }
    bool cancelFlag() const override { return cancel; }
    void setCancelFlag(bool on) override { cancel = on; }

    // The status texts as their catalogue ids.
    QList<int> statusIds() const;
};

struct SeenPass {
    unsigned char byte = 0;
    qint64 length = 0;    // what the engine asked for
    qint64 sizeAfter = 0; // the file's size once the pass was written
    bool uniform = false; // every byte of the file is `byte`
    mode_t mode = 0;
};

// Writes through the real writer (unless write is false), then reads the whole
// file back through its descriptor.
class RecordingWriter : public change::PassWriter {
public:
    QList<SeenPass> passes;
    bool write = true;
    std::function<void()> onPass;

    bool writePass(int fd, qint64 length, unsigned char byte, const std::function<void()>& yield,
                   QString* error) override;
};

QByteArray readFile(const QString& path);
bool writeFile(const QString& path, const QByteArray& bytes);
// An immutable file or folder (a folder without write permission where that
// cannot be set); false when neither can be had.
bool setLocked(const QString& path, bool locked);

} // namespace kuvo::test
