#include "engine_support.h"

#include <QFile>
#include <cstdio>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "common/catalogue.h"

namespace kuvo::test {

void RecordingUi::setLights(bool red, bool yellow, bool green)
{
    QString s = QString(red ? "R" : "") + (yellow ? "Y" : "") + (green ? "G" : "");
    lights << (s.isEmpty() ? QStringLiteral("-") : s);
}

QList<int> RecordingUi::statusIds() const
{
    QList<int> ids;
    for (const QString& s : statuses) {
        int id = -1;
        for (int candidate = 135; candidate <= 143 && id < 0; ++candidate)
            if (s == LoadText(qint16(candidate)))
                id = candidate;
        ids << id;
    }
    return ids;
}

bool RecordingWriter::writePass(int fd, qint64 length, unsigned char byte, const std::function<void()>& yield,
                                QString* error)
{
    const bool ok = !write || PassWriter::writePass(fd, length, byte, yield, error);
    SeenPass seen;
    seen.byte = byte;
    seen.length = length;
    struct stat st;
    if (::fstat(fd, &st) == 0) {
        seen.sizeAfter = st.st_size;
        seen.mode = st.st_mode;
    }
    if (write) {
        char proc[64];
        std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", fd);
        const QByteArray content = readFile(QString::fromLatin1(proc));
        seen.uniform =
            content.size() == seen.sizeAfter &&
            std::all_of(content.begin(), content.end(), [byte](char c) { return uchar(c) == byte; });
    }
    passes << seen;
    if (onPass)
        onPass();
    return ok;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

bool setLocked(const QString& path, bool locked)
{
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        int flags = 0;
        bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (ok) {
            flags = locked ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        if (ok)
            return true;
    }
    // A folder without write permission stops everyone but root (a file would
    // not do: the engine gives its owner write permission).
    struct stat st;
    if (::geteuid() == 0 || ::stat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    const mode_t mode = locked ? (st.st_mode & ~mode_t(0222)) : (st.st_mode | S_IWUSR);
    return ::chmod(native.constData(), mode & 07777) == 0;
}

} // namespace kuvo::test
