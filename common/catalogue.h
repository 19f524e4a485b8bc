// The program's table of localized texts and the lookup by German id + LangOffset.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>
#include <stdexcept>

namespace kuvo {

// Rows "N<TAB>German<TAB>English<TAB>Spanish"; '#' lines and empty lines are skipped.
// Each row gives the texts N, N + 900 and N + 1900, so every language has the same ids.
class Catalogue {
public:
    static std::optional<Catalogue> fromTsv(const QByteArray& utf8, QString* error = nullptr);
    // A malformed compiled-in catalogue is a build fault: this aborts with the reason.
    static Catalogue fromResource(const QString& path);

    std::optional<QString> text(qint16 fullId) const;
    QList<int> germanIds() const;  // sorted

private:
    QHash<qint16, QString> m_texts;
    QList<int> m_ids;
};

class UnknownTextId : public std::runtime_error {
public:
    explicit UnknownTextId(int id);
    int id() const { return m_id; }

private:
    int m_id;
};

// The catalogue every LoadText of this process reads.
void setActiveCatalogue(const Catalogue& catalogue);
const Catalogue& activeCatalogue();

// Text id + LangOffset (16-bit signed sum). With s1 and s2 both empty the text is
// returned as stored; otherwise every "%s" becomes s1, then every "%d" becomes s2.
// Throws UnknownTextId for an id the catalogue does not hold.
QString LoadText(qint16 id, const QString& s1 = QString(), const QString& s2 = QString());

// Lookup of an already offset id; nothing when it is unknown.
std::optional<QString> catalogueText(qint16 fullId);

}  // namespace kuvo
