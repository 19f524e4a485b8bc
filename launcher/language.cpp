#include "language.h"

#include "common/lang.h"
#include "common/platform/platform.h"

namespace kuvo::launcher {

bool isGermanSystemLanguage(quint16 langId)
{
    switch (langId) {
    case 0x0407: // Germany
    case 0x0007: // neutral German
    case 0x0C07: // Austria
    case 0x0807: // Switzerland
    case 0x1007: // Luxembourg
    case 0x1407: // Liechtenstein
        return true;
    default:
        return false;
    }
}

bool isSpanishSystemLanguage(quint16 langId)
{
    // Primary language 0x0A with sublanguages 1 to 20. The neutral id (sublanguage 0)
    // and later territories such as US Spanish (0x540A) are not in the set.
    const quint16 primary = langId & 0x03FF;
    const quint16 sub = langId >> 10;
    return primary == 0x0A && sub >= 1 && sub <= 20;
}

LangIndex languageForSystemId(quint16 langId)
{
    if (isGermanSystemLanguage(langId))
        return LangIndex::German;
    if (isSpanishSystemLanguage(langId))
        return LangIndex::Spanish;
    return LangIndex::English;
}

qint16 offsetForIndex(LangIndex index)
{
    switch (index) {
    case LangIndex::German:
        return kOffsetGerman;
    case LangIndex::Spanish:
        return kOffsetSpanish;
    case LangIndex::English:
        break;
    }
    return kOffsetEnglish;
}

LangIndex indexForOffset(qint16 offset)
{
    if (offset == kOffsetGerman)
        return LangIndex::German;
    if (offset == kOffsetSpanish)
        return LangIndex::Spanish;
    return LangIndex::English;
}

QString digitForIndex(LangIndex index)
{
    return QString::number(static_cast<int>(index));
}

LanguageStart settleLanguage(SystemInfo& system)
{
    LangOffset = kOffsetEnglish;
    const QString stored = ReadLangFile(1, 1);
    if (stored != QLatin1String("err")) {
        if (auto offset = offsetForLangDigit(stored))
            LangOffset = *offset;
        return {};
    }
    LanguageStart start;
    start.firstRun = true;
    const LangIndex index = languageForSystemId(system.systemDefaultLangId());
    LangOffset = offsetForIndex(index);
    QString error;
    if (!WriteLangFile(1, digitForIndex(index), &error))
        start.saveError = error.isEmpty() ? QStringLiteral("unknown error") : error;
    return start;
}

} // namespace kuvo::launcher
