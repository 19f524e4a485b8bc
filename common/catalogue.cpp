#include "catalogue.h"

#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "lang.h"

namespace kuvo {

namespace {
Catalogue& active()
{
    static Catalogue catalogue;
    return catalogue;
}
}  // namespace

std::optional<Catalogue> Catalogue::fromTsv(const QByteArray& utf8, QString* error)
{
    Catalogue cat;
    const QList<QByteArray> lines = utf8.split('\n');
    int lineNo = 0;
    for (QByteArray line : lines) {
        ++lineNo;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> fields = line.split('\t');
        bool ok = false;
        const int id = fields.value(0).toInt(&ok);
        if (fields.size() != 4 || !ok || id < 0 || id + kOffsetSpanish > 32767 ||
            cat.m_ids.contains(id)) {
            if (error)
                *error = QStringLiteral("line %1: malformed or repeated row").arg(lineNo);
            return std::nullopt;
        }
        cat.m_ids.append(id);
        cat.m_texts.insert(static_cast<qint16>(id + kOffsetGerman), QString::fromUtf8(fields[1]));
        cat.m_texts.insert(static_cast<qint16>(id + kOffsetEnglish), QString::fromUtf8(fields[2]));
        cat.m_texts.insert(static_cast<qint16>(id + kOffsetSpanish), QString::fromUtf8(fields[3]));
    }
    std::sort(cat.m_ids.begin(), cat.m_ids.end());
    return cat;
}

Catalogue Catalogue::fromResource(const QString& path)
{
    QFile file(path);
    QString error = QStringLiteral("cannot open");
    if (file.open(QIODevice::ReadOnly)) {
        if (auto cat = fromTsv(file.readAll(), &error))
            return *cat;
    }
    std::fprintf(stderr, "text catalogue %s: %s\n", qPrintable(path), qPrintable(error));
    std::abort();
}

std::optional<QString> Catalogue::text(qint16 fullId) const
{
    auto it = m_texts.constFind(fullId);
    if (it == m_texts.constEnd())
        return std::nullopt;
    return *it;
}

QList<int> Catalogue::germanIds() const
{
    return m_ids;
}

UnknownTextId::UnknownTextId(int id)
    : std::runtime_error("unknown text id " + std::to_string(id)), m_id(id)
{
}

void setActiveCatalogue(const Catalogue& catalogue)
{
    active() = catalogue;
}

const Catalogue& activeCatalogue()
{
    return active();
}

std::optional<QString> catalogueText(qint16 fullId)
{
    return active().text(fullId);
}

QString LoadText(qint16 id, const QString& s1, const QString& s2)
{
    const auto fullId = static_cast<qint16>(id + LangOffset);
    auto text = active().text(fullId);
    if (!text)
        throw UnknownTextId(fullId);
    if (s1.isEmpty() && s2.isEmpty())
        return *text;
    QString result = *text;
    if (result.contains(QLatin1String("%s")))
        result.replace(QLatin1String("%s"), s1);
    if (result.contains(QLatin1String("%d")))
        result.replace(QLatin1String("%d"), s2);
    return result;
}

}  // namespace kuvo
