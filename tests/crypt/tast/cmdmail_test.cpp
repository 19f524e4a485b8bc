// Send by mail: the prompts, what is handed to the mail program, and its failures.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "common/lang.h"
#include "common/platform/qtplatform.h"
#include "crypt/ui/cmdmail.h"
#include "tests/support/fake_platform.h"
#include "tests/support/test_files.h"

using namespace Qt::StringLiterals;

using kuvo::test::readFile;
using kuvo::test::writeFile;

namespace {

constexpr int kTextTab = 1;
constexpr int kFileTab = 2;

} // namespace

class CmdMailTest : public QObject {
    Q_OBJECT

private slots:
    void init();

    void nothingToSend_data();
    void nothingToSend();
    void textTabSendsTheResultAsBody();
    void fileTabAttachesTheContainer();
    void otherTabsDoNothing();
    void failureShowsMapiError();
    void cancelStaysSilent();
    void realMailerDeliversTheAttachment();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void CmdMailTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void CmdMailTest::nothingToSend_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("results");
    QTest::addColumn<QString>("container"); // "deleted", "folder" or a literal path
    QTest::addColumn<qint16>("offset");
    QTest::addColumn<QString>("prompt");

    const QString text = u"Bitte zunächst den Text verschlüsseln."_s;
    const QString textEn = u"First encrypt the text please."_s;
    const QString file = u"Bitte zunächst eine Datei verschlüsseln."_s;
    const QString fileEn = u"First encrypt a file please."_s;
    QTest::addRow("empty text, German") << kTextTab << ""
                                        << "" << kuvo::kOffsetGerman << text;
    QTest::addRow("empty text, English") << kTextTab << ""
                                         << "" << kuvo::kOffsetEnglish << textEn;
    QTest::addRow("empty text, Spanish") << kTextTab << ""
                                         << "" << kuvo::kOffsetSpanish << textEn;
    QTest::addRow("no container, German") << kFileTab << "x"
                                          << "" << kuvo::kOffsetGerman << file;
    QTest::addRow("no container, English") << kFileTab << "x"
                                           << "" << kuvo::kOffsetEnglish << fileEn;
    QTest::addRow("no container, Spanish") << kFileTab << "x"
                                           << "" << kuvo::kOffsetSpanish << fileEn;
    QTest::addRow("deleted container, German") << kFileTab << ""
                                               << "deleted" << kuvo::kOffsetGerman << file;
    QTest::addRow("deleted container, English") << kFileTab << ""
                                                << "deleted" << kuvo::kOffsetEnglish << fileEn;
    QTest::addRow("container is now a folder") << kFileTab << ""
                                               << "folder" << kuvo::kOffsetEnglish << fileEn;
}

void CmdMailTest::nothingToSend()
{
    QFETCH(int, tab);
    QFETCH(QString, results);
    QFETCH(QString, container);
    QFETCH(qint16, offset);
    QFETCH(QString, prompt);

    if (container == u"deleted"_s) {
        container = m_dir->filePath(u"gone.kuvo"_s);
        QVERIFY(writeFile(container, "x"));
        QVERIFY(QFile::remove(container));
    } else if (container == u"folder"_s) {
        container = m_dir->filePath(u"now a folder.kuvo"_s);
        QVERIFY(QDir().mkpath(container));
    }

    kuvo::test::FakePlatform fp;
    kuvo::sendByMail(nullptr, tab, results, container, offset, fp.platform());
    QCOMPARE(fp.mail.sent.size(), 0);
    QCOMPARE(fp.dialogs.texts(), QStringList{prompt});
    QCOMPARE(fp.dialogs.messages[0].title, u"Kuvo Crypt Lite"_s);
    QCOMPARE(fp.dialogs.messages[0].buttons, kuvo::Buttons::Ok);
}

void CmdMailTest::textTabSendsTheResultAsBody()
{
    // Sent as it stands, encrypted or not.
    const QString results = u"q83v+PCh/Q==\r\nZGVm\r\nnot even Base64 §"_s;
    kuvo::test::FakePlatform fp;
    kuvo::sendByMail(nullptr, kTextTab, results, m_dir->filePath(u"ignored.kuvo"_s), kuvo::kOffsetGerman,
                     fp.platform());
    QCOMPARE(fp.dialogs.messages.size(), 0);
    QCOMPARE(fp.mail.sent.size(), 1);
    const kuvo::MailMessage& m = fp.mail.sent[0];
    QCOMPARE(m.subject, u"Encrypted File"_s);
    QCOMPARE(m.body, results);
    QVERIFY(m.attachmentPath.isEmpty());
}

void CmdMailTest::fileTabAttachesTheContainer()
{
    const QString container = m_dir->filePath(u"holiday photos.kuvo"_s);
    QVERIFY(writeFile(container, "container bytes"));
    kuvo::test::FakePlatform fp;
    kuvo::sendByMail(nullptr, kFileTab, u"text of the other tab"_s, container, kuvo::kOffsetEnglish,
                     fp.platform());
    QCOMPARE(fp.dialogs.messages.size(), 0);
    QCOMPARE(fp.mail.sent.size(), 1);
    const kuvo::MailMessage& m = fp.mail.sent[0];
    QCOMPARE(m.subject, u"Encrypted File"_s);
    QCOMPARE(m.body, u"   "_s);
    QCOMPARE(m.attachmentPath, container);
    QCOMPARE(m.attachmentName, u"Encrypted text.kuvo"_s);
}

void CmdMailTest::otherTabsDoNothing()
{
    kuvo::test::FakePlatform fp;
    for (int tab : {0, 3})
        kuvo::sendByMail(nullptr, tab, QString(), QString(), kuvo::kOffsetEnglish, fp.platform());
    QCOMPARE(fp.mail.sent.size(), 0);
    QCOMPARE(fp.dialogs.messages.size(), 0);
}

void CmdMailTest::failureShowsMapiError()
{
    kuvo::test::FakePlatform fp;
    fp.mail.result = {kuvo::MailResult::Status::Failed, u"No mail program is set up on this desktop."_s};
    kuvo::sendByMail(nullptr, kTextTab, u"abc"_s, QString(), kuvo::kOffsetGerman, fp.platform());
    QCOMPARE(fp.mail.sent.size(), 1);
    QCOMPARE(fp.dialogs.texts(), QStringList{u"MAPI Error: No mail program is set up on this desktop."_s});
    QCOMPARE(fp.dialogs.messages[0].buttons, kuvo::Buttons::Ok);
}

void CmdMailTest::cancelStaysSilent()
{
    kuvo::test::FakePlatform fp;
    fp.mail.result = {kuvo::MailResult::Status::Cancelled, u"cancelled by the user"_s};
    kuvo::sendByMail(nullptr, kTextTab, u"abc"_s, QString(), kuvo::kOffsetEnglish, fp.platform());
    QCOMPARE(fp.mail.sent.size(), 1);
    QCOMPARE(fp.dialogs.messages.size(), 0);
}

void CmdMailTest::realMailerDeliversTheAttachment()
{
    // A stand-in xdg-email first on PATH records its arguments and keeps the attachment.
    const QString bin = m_dir->filePath(u"bin"_s);
    const QString out = m_dir->filePath(u"out"_s);
    QVERIFY(QDir().mkpath(bin) && QDir().mkpath(out));
    QVERIFY(writeFile(bin + u"/xdg-email"_s, R"(#!/bin/sh
: > "$STUB_OUT/args"
prev=
for a in "$@"; do
  printf '%s\n' "$a" >> "$STUB_OUT/args"
  [ "$prev" = "--attach" ] && cp "$a" "$STUB_OUT/"
  prev=$a
done
exit 0
)"));
    QVERIFY(
        QFile::setPermissions(bin + u"/xdg-email"_s, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin) + ':' + path);
    qputenv("STUB_OUT", QFile::encodeName(out));

    const QString container = m_dir->filePath(u"Documents 2024.kuvo"_s);
    const QByteArray content("\x00\x01 encrypted records \xff\xfe", 24);
    QVERIFY(writeFile(container, content));

    kuvo::test::FakePlatform fp;
    kuvo::XdgMailer mailer;
    kuvo::Platform platform = fp.platform();
    platform.mail = &mailer;
    kuvo::sendByMail(nullptr, kFileTab, QString(), container, kuvo::kOffsetEnglish, platform);
    qputenv("PATH", path);

    QCOMPARE(fp.dialogs.messages.size(), 0);
    const QStringList args = QString::fromUtf8(readFile(out + u"/args"_s)).split(u'\n');
    QCOMPARE(args.mid(0, 6), QStringList({u"--utf8"_s, u"--subject"_s, u"Encrypted File"_s, u"--body"_s,
                                          u"   "_s, u"--attach"_s}));
    QCOMPARE(QFileInfo(args.value(6)).fileName(), u"Encrypted text.kuvo"_s);
    QCOMPARE(readFile(out + u"/Encrypted text.kuvo"_s), content);
    QCOMPARE(readFile(container), content);
}

QTEST_MAIN(CmdMailTest)
#include "cmdmail_test.moc"
