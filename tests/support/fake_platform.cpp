#include "fake_platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "common/catalogue.h"
#include "common/lang.h"

namespace kuvo::test {

Answer FakeDialogs::message(QWidget*, const QString& title, const QString& text, Buttons buttons, MessageIcon)
{
    ShownMessage shown{title, text, buttons};
    messages << shown;
    if (onMessage)
        onMessage(shown);
    if (!answers.isEmpty())
        return answers.takeFirst();
    ++unscripted;
    return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
}

QString FakeDialogs::nextFile()
{
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QString FakeDialogs::openFile(QWidget*, const QString& title, const QString& filter)
{
    calls << DialogCall{QStringLiteral("open"), title, filter};
    return nextFile();
}

QStringList FakeDialogs::openFiles(QWidget*, const QString& title, const QString& filter)
{
    calls << DialogCall{QStringLiteral("openMany"), title, filter};
    return filesAnswers.isEmpty() ? QStringList() : filesAnswers.takeFirst();
}

QString FakeDialogs::saveFile(QWidget*, const QString& title, const QString& filter)
{
    calls << DialogCall{QStringLiteral("save"), title, filter};
    return nextFile();
}

QString FakeDialogs::browseFolder(QWidget*, const QString& title)
{
    calls << DialogCall{QStringLiteral("folder"), title, QString()};
    return nextFile();
}

QStringList FakeDialogs::texts() const
{
    QStringList t;
    for (const auto& m : messages)
        t << m.text;
    return t;
}

StartResult FakeProcessStarter::start(const QString& program, const QStringList& arguments)
{
    started << StartedProcess{program, arguments};
    return results.value(program, StartResult{});
}

void useCatalogue(const QString& program, qint16 langOffset)
{
    setActiveCatalogue(Catalogue::fromResource(QStringLiteral(":/catalogue/%1.tsv").arg(program)));
    LangOffset = langOffset;
}

void writeLangFileBytes(const QByteArray& bytes)
{
    QDir().mkpath(settingsDir());
    QFile f(langFilePath());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(langFilePath()));
}

void removeLangFile()
{
    QFile::remove(langFilePath());
}

}  // namespace kuvo::test
