#include "filelist.h"

#include <QDirIterator>
#include <QFileInfo>
#include <algorithm>

namespace kuvo::change {

QString normalizeListPath(const QString& path)
{
    QString p = path;
    while (p.contains(QLatin1String("//")))
        p.replace(QLatin1String("//"), QLatin1String("/"));
    return p;
}

bool IsDirectory(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

QStringList plainFilesIn(const QString& folder, const std::function<void()>& yield)
{
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    QStringList names;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        names << it.fileName();
        if (yield && names.size() % 64 == 0)
            yield();
    }
    std::sort(names.begin(), names.end());
    QStringList paths;
    paths.reserve(names.size());
    for (const QString& name : names)
        paths << prefix + name;
    return paths;
}

} // namespace kuvo::change
