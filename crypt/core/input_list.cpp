#include "input_list.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "common/secure.h"

namespace kuvo {

QString FilesModeTag()
{
    return QStringLiteral("d");
}

QString DirectoryModeTag(const QString& folder)
{
    QString root = folder;
    if (!root.endsWith(QLatin1Char('/')))
        root += QLatin1Char('/');
    return QLatin1Char('v') + root;
}

ListMode ModeOfTag(const QString& tag)
{
    if (tag.size() >= 2 && tag.startsWith(QLatin1Char('v')))
        return ListMode::Directory;
    if (tag.isEmpty())
        return ListMode::Empty;
    return ListMode::Files;
}

QString DirectoryOfTag(const QString& tag)
{
    return ModeOfTag(tag) == ListMode::Directory ? tag.mid(1) : QString();
}

QString ReduceDoubledSeparators(QString path)
{
    while (path.contains(QLatin1String("//")))
        path.replace(QLatin1String("//"), QLatin1String("/"));
    return path;
}

QString FolderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash + 1);
}

bool IsDirectory(const QString& path)
{
    struct stat st;
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

QString MakeContainerName(const QString& folder)
{
    static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString name = folder;
    int made = 0;
    while (made < 8) {
        std::uint8_t bytes[16];
        randomBytes(bytes, sizeof bytes);
        for (std::uint8_t b : bytes) {
            // 252 = 7 * 36: dropping the rest keeps every character equally likely.
            if (b >= 252 || made == 8)
                continue;
            name += QLatin1Char(kAlphabet[b % 36]);
            ++made;
        }
    }
    return name + QLatin1String(".kuvo");
}

bool InputFileList::AddUniqueFile(const QString& path)
{
    const QString entry = ReduceDoubledSeparators(path);
    if (entry.isEmpty() || m_index.contains(entry))
        return false;
    m_entries.append(entry);
    m_index.insert(entry);
    return true;
}

void InputFileList::removeAt(int index)
{
    if (index < 0 || index >= m_entries.size())
        return;
    m_index.remove(m_entries.takeAt(index));
    if (m_entries.isEmpty())
        m_tag.clear();
}

void InputFileList::clear()
{
    m_entries.clear();
    m_index.clear();
    m_tag.clear();
}

namespace {

struct Scan {
    InputFileList& list;
    const TreeScanHooks& hooks;
    int added = 0;

    void yield() const
    {
        if (hooks.yield)
            hooks.yield();
    }

    // fd is an open folder, owned by this call; path is its name ending in "/".
    void folder(int fd, const QString& path)
    {
        if (hooks.cancelled && hooks.cancelled()) {
            ::close(fd);
            return;
        }
        DIR* dir = ::fdopendir(fd);
        if (!dir) {
            ::close(fd);
            return;
        }
        std::vector<std::string> names;
        while (dirent* item = ::readdir(dir)) {
            const std::string name = item->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            struct stat st;
            if (::fstatat(::dirfd(dir), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue; // vanished meanwhile
            const QString child = path + QFile::decodeName(QByteArray::fromStdString(name));
            if (S_ISDIR(st.st_mode)) {
                // O_NOFOLLOW: a folder swapped for a link after it was seen is not entered.
                const int sub =
                    ::openat(::dirfd(dir), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                if (sub >= 0)
                    folder(sub, child + QLatin1Char('/'));
            } else if (S_ISREG(st.st_mode)) {
                if (list.AddUniqueFile(child)) {
                    ++added;
                    if (hooks.added)
                        hooks.added(list.entries().last());
                }
            }
            yield();
        }
        ::closedir(dir);
    }
};

} // namespace

int AddDirectoryTree(InputFileList& list, const QString& folder, const TreeScanHooks& hooks)
{
    QString root = folder;
    if (!root.endsWith(QLatin1Char('/')))
        root += QLatin1Char('/');
    // The folder the user chose is entered even when it is reached through a link.
    const int fd = ::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    Scan scan{list, hooks};
    scan.folder(fd, root);
    return scan.added;
}

} // namespace kuvo
