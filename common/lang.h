// The suite-wide language setting: one digit in ml.ini, shared by all programs.
#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

namespace kuvo {

// Added to every German text id: 0 German, 900 English, 1900 Spanish.
extern qint16 LangOffset;

constexpr qint16 kOffsetGerman = 0;
constexpr qint16 kOffsetEnglish = 900;
constexpr qint16 kOffsetSpanish = 1900;

// $XDG_CONFIG_HOME/kuvo-security-tools (default ~/.config/kuvo-security-tools).
QString settingsDir();
QString langFilePath();

// Reads length bytes at the 1-based position (length 0: to the end). The text
// stops at the first NUL; an empty result or any failure gives "err".
QString ReadLangFile(int position, int length);

// Writes the 8-bit characters of text at the 1-based position without
// truncating the file; creates the file and its folder when missing.
// Returns false (with a readable reason in *error) when the file cannot be written.
bool WriteLangFile(int position, const QString& text, QString* error = nullptr);

// "0" -> 900, "1" -> 0, "2" -> 1900; anything else (also "err") -> nothing.
std::optional<qint16> offsetForLangDigit(const QString& digit);

// The start-up rule of Crypt and Change: English unless ml.ini says otherwise.
void initLanguage();

}  // namespace kuvo
