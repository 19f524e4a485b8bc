// The launcher's side of the language setting: it is the one program that
// chooses the language on the first start and stores it for the whole suite.
#pragma once

#include <QString>
#include <QtGlobal>

namespace kuvo {
class SystemInfo;
}

namespace kuvo::launcher {

// Position in the language list (English, Deutsch, Español), stored in ml.ini as a digit.
enum class LangIndex : quint8 { English = 0, German = 1, Spanish = 2 };

bool isGermanSystemLanguage(quint16 langId);
bool isSpanishSystemLanguage(quint16 langId);

// The list position a Windows language id maps to on the first start.
LangIndex languageForSystemId(quint16 langId);

qint16 offsetForIndex(LangIndex index);
LangIndex indexForOffset(qint16 offset);
QString digitForIndex(LangIndex index);

struct LanguageStart {
    bool firstRun = false; // no usable setting was found: the language was detected
    QString saveError;     // non-empty when the detected language could not be stored
};

// Sets LangOffset from ml.ini; without a usable setting, detects the language from
// the system and stores it. A failed store keeps the detected language for this run.
LanguageStart settleLanguage(SystemInfo& system);

} // namespace kuvo::launcher
