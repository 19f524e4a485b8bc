// Blocks made by the real `kuvo encrypt-text` decrypt in Crypt's window and the
// other way round; failures speak the language of ml.ini.
#include <QtTest>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <unistd.h>

#include "common/catalogue.h"
#include "common/lang.h"
#include "crypt/core/base64.h"
#include "crypt/ui/fcrypt.h"
#include "tests/support/fake_platform.h"
#include "tests/support/program_run.h"

using kuvo::test::FakePlatform;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

class TextCli {
public:
    TextCli()
    {
        m_passphraseFile = m_dir.filePath("pass.txt");
        writeFile(m_passphraseFile, "Wörter 2 merken\n"); // one trailing newline is not part of it
    }
    static QString passphrase() { return QString::fromUtf8("Wörter 2 merken"); }

    void setLangDigit(const QByteArray& digit)
    {
        QDir().mkpath(m_dir.filePath("config/kuvo-security-tools"));
        writeFile(m_dir.filePath("config/kuvo-security-tools/ml.ini"), digit);
    }

    Run run(const QStringList& args, const QByteArray& input, bool withPassphrase = true)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_dir.path());
        env.insert("XDG_CONFIG_HOME", m_dir.filePath("config"));
        p.setProcessEnvironment(env);
        // A session of its own: no controlling terminal, so nothing can wait for typing.
        p.setChildProcessModifier([] { ::setsid(); });
        QStringList all = args;
        if (withPassphrase)
            all << "--passphrase-file" << m_passphraseFile;
        p.start(QDir(kuvo::test::ProgramRun::binDir()).filePath("kuvo"), all);
        if (!p.waitForStarted(5000))
            return {};
        p.write(input);
        p.closeWriteChannel();
        if (!p.waitForFinished(20000))
            p.kill();
        return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
    }

private:
    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }

    QTemporaryDir m_dir;
    QString m_passphraseFile;
};

const QString kText = QString::fromUtf8("Grüße aus Köln – 5 €\nzweite Zeile\n\nEnde.\n");

} // namespace

class TextCliWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { kuvo::test::useCatalogue("crypt", kuvo::kOffsetEnglish); }
    void cliBlockDecryptsInWindow();
    void windowBlockDecryptsInCli();
    void failuresInTheLanguageOfMlIni_data();
    void failuresInTheLanguageOfMlIni();
    void badUsage();
};

void TextCliWindowTest::cliBlockDecryptsInWindow()
{
    TextCli cli;
    const Run enc = cli.run({"encrypt-text"}, kText.toUtf8());
    QCOMPARE(enc.exitCode, 0);
    QVERIFY2(enc.err.isEmpty(), enc.err.constData());
    // The window's format exactly: lines of 76 joined by CR LF, no break after the last one.
    const QList<QByteArray> lines = enc.out.split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        QCOMPARE(lines[i].size(), 77); // 76 characters and the CR
    QVERIFY(!lines.last().isEmpty() && !lines.last().endsWith('\r') && lines.last().size() <= 76);
    QByteArray compact = enc.out;
    compact.replace("\r\n", "");
    QCOMPARE(compact.size() % 4, 0);
    QCOMPARE(kuvo::Base64Decode(std::string_view(enc.out.constData(), std::size_t(enc.out.size()))).size() %
                 32,
             0u);

    FakePlatform fp;
    FCrypt w(fp.platform(), QString());
    w.txtResults->setPlainText(QString::fromLatin1(enc.out));
    w.TxtCode->setText(TextCli::passphrase());
    w.Command2->click();
    QCOMPARE(w.txtResults->toPlainText(), kText);
    QVERIFY(fp.dialogs.messages.isEmpty());
}

void TextCliWindowTest::windowBlockDecryptsInCli()
{
    FakePlatform fp;
    FCrypt w(fp.platform(), QString());
    w.txtResults->setPlainText(kText);
    w.TxtCode->setText(TextCli::passphrase());
    fp.dialogs.answers << kuvo::Answer::Ok;
    w.Command1->click();
    const QString block = w.txtResults->toPlainText();
    QVERIFY(block != kText);

    TextCli cli;
    for (const QByteArray& pasted : {block.toLatin1(), block.toLatin1().replace("\n", "\r\n")}) {
        const Run dec = cli.run({"decrypt-text"}, pasted);
        QCOMPARE(dec.exitCode, 0);
        QCOMPARE(QString::fromUtf8(dec.out), kText);
    }
}

void TextCliWindowTest::failuresInTheLanguageOfMlIni_data()
{
    QTest::addColumn<QByteArray>("digit");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("textId");
    QTest::addColumn<qint16>("offset");
    const QByteArray partial = QByteArray::fromStdString(kuvo::Base64Encode(kuvo::Bytes(33, 7)));
    QTest::addRow("en partial blocks")
        << QByteArray("0") << "decrypt-text" << partial << 114 << kuvo::kOffsetEnglish;
    QTest::addRow("de partial blocks")
        << QByteArray("1") << "decrypt-text" << partial << 114 << kuvo::kOffsetGerman;
    QTest::addRow("es empty text") << QByteArray("2") << "encrypt-text" << QByteArray() << 114
                                   << kuvo::kOffsetSpanish;
    QTest::addRow("de not Windows-1252")
        << QByteArray("1") << "encrypt-text" << QByteArray("Привет") << 201 << kuvo::kOffsetGerman;
    QTest::addRow("none invalid UTF-8")
        << QByteArray() << "encrypt-text" << QByteArray("ab\xff") << 201 << kuvo::kOffsetEnglish;
}

void TextCliWindowTest::failuresInTheLanguageOfMlIni()
{
    QFETCH(QByteArray, digit);
    QFETCH(QString, command);
    QFETCH(QByteArray, input);
    QFETCH(int, textId);
    QFETCH(qint16, offset);
    TextCli cli;
    if (!digit.isEmpty())
        cli.setLangDigit(digit);
    const Run r = cli.run({command}, input);
    QCOMPARE(r.exitCode, 1);
    QVERIFY(r.out.isEmpty());
    kuvo::LangOffset = offset;
    QCOMPARE(QString::fromUtf8(r.err), "kuvo: " + kuvo::LoadText(qint16(textId)) + "\n");
}

void TextCliWindowTest::badUsage()
{
    TextCli cli;
    QCOMPARE(cli.run({"encrypt-text", "--bogus"}, "x").exitCode, 2);
    QCOMPARE(cli.run({"decrypt-text", "extra"}, "x").exitCode, 2);
    QCOMPARE(cli.run({"encrypt-text", "--passphrase-file"}, "x", false).exitCode, 2);
    const Run noTerminal = cli.run({"encrypt-text"}, "x", false);
    QCOMPARE(noTerminal.exitCode, 2);
    QVERIFY(noTerminal.err.contains("--passphrase-file"));
    const Run missing = cli.run({"encrypt-text", "--passphrase-file", "/nonexistent/pass"}, "x", false);
    QCOMPARE(missing.exitCode, 1);
    QVERIFY(missing.out.isEmpty());
}

QTEST_MAIN(TextCliWindowTest)
#include "text_cli_window_test.moc"
