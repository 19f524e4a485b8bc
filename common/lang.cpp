#include "lang.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "qtcodec.h"

namespace kuvo {

qint16 LangOffset = kOffsetEnglish;

QString settingsDir()
{
    // The XDG rule: only an absolute XDG_CONFIG_HOME counts.
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/kuvo-security-tools");
}

QString langFilePath()
{
    return settingsDir() + QStringLiteral("/ml.ini");
}

QString ReadLangFile(int position, int length)
{
    static const QString err = QStringLiteral("err");
    QFile file(langFilePath());
    if (position < 1 || length < 0 || !file.open(QIODevice::ReadOnly))
        return err;
    if (length == 0) {
        qint64 rest = file.size() - position + 1;
        if (rest <= 0)
            return err;
        length = static_cast<int>(qMin<qint64>(rest, 1 << 20));
    }
    if (!file.seek(position - 1))
        return err;
    QByteArray buffer = file.read(length);
    if (buffer.isNull() && file.error() != QFileDevice::NoError)
        return err;
    int nul = buffer.indexOf('\0');
    if (nul >= 0)
        buffer.truncate(nul);
    if (buffer.isEmpty())
        return err;
    return fromWin1252(buffer);
}

bool WriteLangFile(int position, const QString& text, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    auto bytes = toWin1252(text);
    if (!bytes || position < 1)
        return fail(QStringLiteral("invalid language setting"));
    const QString path = langFilePath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return fail(QStringLiteral("cannot create the folder %1").arg(QFileInfo(path).absolutePath()));
    QFile file(path);
    // ReadWrite keeps the bytes after the ones written.
    if (!file.open(QIODevice::ReadWrite))
        return fail(QStringLiteral("%1: %2").arg(path, file.errorString()));
    if (!file.seek(position - 1) || file.write(*bytes) != bytes->size() || !file.flush())
        return fail(QStringLiteral("%1: %2").arg(path, file.errorString()));
    return true;
}

std::optional<qint16> offsetForLangDigit(const QString& digit)
{
    if (digit == QLatin1String("0"))
        return kOffsetEnglish;
    if (digit == QLatin1String("1"))
        return kOffsetGerman;
    if (digit == QLatin1String("2"))
        return kOffsetSpanish;
    return std::nullopt;
}

void initLanguage()
{
    LangOffset = kOffsetEnglish;
    if (auto off = offsetForLangDigit(ReadLangFile(1, 1)))
        LangOffset = *off;
}

}  // namespace kuvo
