// The real mail hand-off through a stand-in xdg-email first on PATH.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "common/platform/qtplatform.h"
#include "tests/support/test_files.h"

using namespace Qt::StringLiterals;

using kuvo::test::readFile;
using kuvo::test::writeFile;

namespace {

// Records its arguments NUL-separated, copies the attachment away (with the
// name it was given) and notes where it lay; exits with $STUB_EXIT.
const char kStub[] = R"(#!/bin/sh
: > "$STUB_OUT/args"
prev=
for a in "$@"; do
  printf '%s\0' "$a" >> "$STUB_OUT/args"
  if [ "$prev" = "--attach" ]; then
    printf '%s' "$a" > "$STUB_OUT/attached-path"
    cp "$a" "$STUB_OUT/received/"
  fi
  prev=$a
done
[ -n "$STUB_SLEEP" ] && sleep "$STUB_SLEEP"
exit "${STUB_EXIT:-0}"
)";

} // namespace

class XdgMailerTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void attachmentArrivesUnderItsDisplayName();
    void textMessageWithoutAttachment();
    void exitCodesBecomeDescriptions_data();
    void exitCodesBecomeDescriptions();
    void missingXdgEmail();
    void missingAttachment();
    void slowMailProgramDoesNotHoldTheWindow();

private:
    QStringList recordedArgs() const;

    std::unique_ptr<QTemporaryDir> m_root;
    QString m_out;
    QByteArray m_path;
};

void XdgMailerTest::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    const QString bin = m_root->filePath(u"bin"_s);
    m_out = m_root->filePath(u"out"_s);
    QVERIFY(QDir().mkpath(bin) && QDir().mkpath(m_out + u"/received"_s));
    const QString stub = bin + u"/xdg-email"_s;
    QVERIFY(writeFile(stub, kStub));
    QVERIFY(QFile::setPermissions(stub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    m_path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin) + ':' + m_path);
    qputenv("STUB_OUT", QFile::encodeName(m_out));
    qunsetenv("STUB_EXIT");
    qunsetenv("STUB_SLEEP");
    qunsetenv("MAILER");
}

void XdgMailerTest::cleanup()
{
    qputenv("PATH", m_path);
    m_root.reset();
}

QStringList XdgMailerTest::recordedArgs() const
{
    QStringList args;
    for (const QByteArray& a : readFile(m_out + u"/args"_s).split('\0'))
        args << QString::fromUtf8(a);
    if (!args.isEmpty() && args.back().isEmpty())
        args.removeLast();
    return args;
}

void XdgMailerTest::attachmentArrivesUnderItsDisplayName()
{
    const QString container = m_root->filePath(u"my secrets.kuvo"_s);
    QByteArray content(100000, '\0');
    for (int i = 0; i < content.size(); ++i)
        content[i] = char(i * 7 + 3);
    QVERIFY(writeFile(container, content));

    QString attached;
    {
        kuvo::XdgMailer mailer;
        const auto r = mailer.send({u"Encrypted File"_s, u"   "_s, container, u"Encrypted text.kuvo"_s});
        QCOMPARE(r.status, kuvo::MailResult::Status::Handed);

        attached = QString::fromUtf8(readFile(m_out + u"/attached-path"_s));
        QCOMPARE(recordedArgs(), QStringList({u"--utf8"_s, u"--subject"_s, u"Encrypted File"_s, u"--body"_s,
                                              u"   "_s, u"--attach"_s, attached}));
        QCOMPARE(QFileInfo(attached).fileName(), u"Encrypted text.kuvo"_s);
        QCOMPARE(readFile(m_out + u"/received/Encrypted text.kuvo"_s), content);

        // A private copy that stays for the mail program to read later.
        QVERIFY(QFileInfo(attached).absolutePath() != QFileInfo(container).absolutePath());
        QCOMPARE(readFile(attached), content);
        QCOMPARE(QFileInfo(QFileInfo(attached).absolutePath()).permissions() & 0x0077, QFile::Permissions());
        QCOMPARE(QFileInfo(QFileInfo(attached).absolutePath()).permissions() & QFile::ExeOwner,
                 QFile::ExeOwner);
        QCOMPARE(readFile(container), content);

        // A second mail gets its own copy; the first stays in place.
        const auto again = mailer.send({u"Encrypted File"_s, u"   "_s, container, u"Encrypted text.kuvo"_s});
        QCOMPARE(again.status, kuvo::MailResult::Status::Handed);
        const QString second = QString::fromUtf8(readFile(m_out + u"/attached-path"_s));
        QVERIFY(second != attached);
        QVERIFY(QFileInfo::exists(attached));
        QVERIFY(QFileInfo::exists(second));
    }
    // Cleaned up when the mailer goes away (at program exit); the container stays.
    QVERIFY(!QFileInfo::exists(attached));
    QVERIFY(!QFileInfo::exists(QFileInfo(attached).absolutePath()));
    QCOMPARE(readFile(container), content);
}

void XdgMailerTest::textMessageWithoutAttachment()
{
    const QString body = u"Ab3+/Zx==\r\nQmFzZTY0\r\näöü §"_s;
    kuvo::XdgMailer mailer;
    const auto r = mailer.send({u"Encrypted File"_s, body, QString(), QString()});
    QCOMPARE(r.status, kuvo::MailResult::Status::Handed);
    QCOMPARE(recordedArgs(),
             QStringList({u"--utf8"_s, u"--subject"_s, u"Encrypted File"_s, u"--body"_s, body}));
}

void XdgMailerTest::exitCodesBecomeDescriptions_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("words");
    QTest::addRow("syntax") << 1 << "not understood";
    QTest::addRow("file missing") << 2 << "attachment could not be found";
    QTest::addRow("no mail tool") << 3 << "No mail program";
    QTest::addRow("failed") << 4 << "could not be started";
    QTest::addRow("other") << 9 << "code 9";
}

void XdgMailerTest::exitCodesBecomeDescriptions()
{
    QFETCH(int, code);
    QFETCH(QString, words);
    qputenv("STUB_EXIT", QByteArray::number(code));
    kuvo::XdgMailer mailer;
    const auto r = mailer.send({u"Encrypted File"_s, u"text"_s, QString(), QString()});
    QCOMPARE(r.status, kuvo::MailResult::Status::Failed);
    QVERIFY2(r.error.contains(words), qPrintable(r.error));
}

void XdgMailerTest::missingXdgEmail()
{
    const QString empty = m_root->filePath(u"empty"_s);
    QVERIFY(QDir().mkpath(empty));
    qputenv("PATH", QFile::encodeName(empty));
    kuvo::XdgMailer mailer;
    const auto r = mailer.send({u"Encrypted File"_s, u"text"_s, QString(), QString()});
    QCOMPARE(r.status, kuvo::MailResult::Status::Failed);
    QVERIFY2(r.error.contains(u"xdg-email"_s), qPrintable(r.error));
}

void XdgMailerTest::missingAttachment()
{
    kuvo::XdgMailer mailer;
    const auto r = mailer.send(
        {u"Encrypted File"_s, u"   "_s, m_root->filePath(u"gone.kuvo"_s), u"Encrypted text.kuvo"_s});
    QCOMPARE(r.status, kuvo::MailResult::Status::Failed);
    QVERIFY(!r.error.isEmpty());
    QVERIFY(!QFileInfo::exists(m_out + u"/args"_s));
}

void XdgMailerTest::slowMailProgramDoesNotHoldTheWindow()
{
    qputenv("STUB_SLEEP", "5");
    kuvo::XdgMailer mailer;
    mailer.setWaitLimit(300);
    QElapsedTimer clock;
    clock.start();
    const auto r = mailer.send({u"Encrypted File"_s, u"text"_s, QString(), QString()});
    QCOMPARE(r.status, kuvo::MailResult::Status::Handed);
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(m_out + u"/args"_s), 5000);
}

QTEST_MAIN(XdgMailerTest)
#include "xdg_mailer_test.moc"

