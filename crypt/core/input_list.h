// The rules of Crypt's input file list: which paths it takes, its two modes
// (kept in the list's tag), the directory scan and the suggested container name.
// The window shows the list; these rules know nothing of widgets.
#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

namespace kuvo {

enum class ListMode {
    Empty,     // tag ""
    Files,     // tag "d": bare file names are stored
    Directory, // tag "v" + folder + "/": paths below folder are stored
};

QString FilesModeTag();
// folder gets a trailing "/" when it lacks one.
QString DirectoryModeTag(const QString& folder);
ListMode ModeOfTag(const QString& tag);
// The root folder of a directory-mode tag (ending in "/"), else empty.
QString DirectoryOfTag(const QString& tag);

// Every run of separators becomes one "/".
QString ReduceDoubledSeparators(QString path);
// The path up to and including its last "/"; empty when it has none.
QString FolderOf(const QString& path);
// Follows a symbolic link: a folder the user names through a link is a folder.
bool IsDirectory(const QString& path);
// folder (ending in "/") + 8 random letters "a"-"z" and digits + ".kuvo".
QString MakeContainerName(const QString& folder);

class InputFileList {
public:
    // The only way an entry is added. False for the empty path and for a
    // path already listed (compared exactly, after reducing doubled separators).
    bool AddUniqueFile(const QString& path);
    void removeAt(int index);
    void clear();

    const QStringList& entries() const { return m_entries; }
    int size() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }

    const QString& tag() const { return m_tag; }
    void setTag(const QString& tag) { m_tag = tag; }
    ListMode mode() const { return ModeOfTag(m_tag); }

private:
    QStringList m_entries;
    QSet<QString> m_index;
    QString m_tag;
};

struct TreeScanHooks {
    // Called after each file and each folder step; the window processes events here.
    std::function<void()> yield;
    // Looked at once per folder: a cancelled scan keeps what it found.
    std::function<bool()> cancelled;
    // Called for each path the list took.
    std::function<void(const QString&)> added;
};

// Adds every regular file below folder, depth first, each folder's items in
// name order. Symbolic links below folder are not followed (no loops, nothing
// outside the tree); other special files are left out. Returns the number added.
int AddDirectoryTree(InputFileList& list, const QString& folder, const TreeScanHooks& hooks = {});

} // namespace kuvo
