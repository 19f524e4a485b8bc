#include <QHash>
#include <QRegularExpression>

#include "platform.h"

namespace kuvo {

namespace {

// Windows primary language ids of the languages a session is likely to use.
const QHash<QString, quint16>& primaryIds()
{
    static const QHash<QString, quint16> ids = {
        {"ar", 0x01}, {"bg", 0x02}, {"ca", 0x03}, {"zh", 0x04}, {"cs", 0x05}, {"da", 0x06},
        {"de", 0x07}, {"el", 0x08}, {"en", 0x09}, {"es", 0x0A}, {"fi", 0x0B}, {"fr", 0x0C},
        {"he", 0x0D}, {"hu", 0x0E}, {"is", 0x0F}, {"it", 0x10}, {"ja", 0x11}, {"ko", 0x12},
        {"nl", 0x13}, {"nb", 0x14}, {"no", 0x14}, {"pl", 0x15}, {"pt", 0x16}, {"rm", 0x17},
        {"ro", 0x18}, {"ru", 0x19}, {"hr", 0x1A}, {"sk", 0x1B}, {"sq", 0x1C}, {"sv", 0x1D},
        {"th", 0x1E}, {"tr", 0x1F}, {"ur", 0x20}, {"id", 0x21}, {"uk", 0x22}, {"be", 0x23},
        {"sl", 0x24}, {"et", 0x25}, {"lv", 0x26}, {"lt", 0x27}, {"fa", 0x29}, {"vi", 0x2A},
        {"hy", 0x2B}, {"eu", 0x2D}, {"mk", 0x2F}, {"af", 0x36}, {"ka", 0x37}, {"hi", 0x39},
        {"ga", 0x3C}, {"ms", 0x3E}, {"kk", 0x3F}, {"sw", 0x41}, {"gl", 0x56},
    };
    return ids;
}

// Sublanguage ids by territory for the languages whose variants matter.
quint16 sublanguage(const QString& lang, const QString& territory)
{
    static const QHash<QString, quint16> de = {{"DE", 1}, {"CH", 2}, {"AT", 3}, {"LU", 4}, {"LI", 5}};
    static const QHash<QString, quint16> es = {
        {"ES", 3}, {"MX", 2},  {"GT", 4},  {"CR", 5},  {"PA", 6},  {"DO", 7},  {"VE", 8},
        {"CO", 9}, {"PE", 10}, {"AR", 11}, {"EC", 12}, {"CL", 13}, {"UY", 14}, {"PY", 15},
        {"BO", 16}, {"SV", 17}, {"HN", 18}, {"NI", 19}, {"PR", 20}, {"US", 21}};
    static const QHash<QString, quint16> en = {
        {"US", 1}, {"GB", 2},  {"AU", 3},  {"CA", 4},  {"NZ", 5},  {"IE", 6},  {"ZA", 7},
        {"JM", 8}, {"BZ", 10}, {"TT", 11}, {"ZW", 12}, {"PH", 13}, {"IN", 16}, {"MY", 17},
        {"SG", 18}};
    static const QHash<QString, quint16> fr = {{"FR", 1}, {"BE", 2}, {"CA", 3}, {"CH", 4}, {"LU", 5}, {"MC", 6}};
    static const QHash<QString, quint16> pt = {{"BR", 1}, {"PT", 2}};
    static const QHash<QString, quint16> it = {{"IT", 1}, {"CH", 2}};
    static const QHash<QString, quint16> nl = {{"NL", 1}, {"BE", 2}};
    static const QHash<QString, const QHash<QString, quint16>*> tables = {
        {"de", &de}, {"es", &es}, {"en", &en}, {"fr", &fr}, {"pt", &pt}, {"it", &it}, {"nl", &nl}};
    const auto* table = tables.value(lang);
    if (!table)
        return 1;
    return table->value(territory, 1);
}

}  // namespace

quint16 langIdFromLocaleName(const QString& locale)
{
    constexpr quint16 englishUs = 0x0409;
    QString name = locale;
    name = name.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    if (name.isEmpty() || name == QLatin1String("C") || name == QLatin1String("POSIX"))
        return englishUs;
    static const QRegularExpression re(QStringLiteral("^([A-Za-z]{2,3})(?:[_-]([A-Za-z]{2}))?$"));
    const auto m = re.match(name);
    if (!m.hasMatch())
        return englishUs;
    const QString lang = m.captured(1).toLower();
    const QString territory = m.captured(2).toUpper();
    const quint16 primary = primaryIds().value(lang, 0);
    if (primary == 0)
        return englishUs;
    // A bare language is the neutral id, as Windows reports it.
    const quint16 sub = territory.isEmpty() ? 0 : sublanguage(lang, territory);
    return static_cast<quint16>((sub << 10) | primary);
}

quint16 langIdFromEnvironment()
{
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(var);
        if (!value.isEmpty())
            return langIdFromLocaleName(value);
    }
    return langIdFromLocaleName(QString());
}

}  // namespace kuvo
