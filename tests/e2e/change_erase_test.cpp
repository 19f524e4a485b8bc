// Starts the real change program: with a hand-over served by this test, with a
// token that names nothing, and, under a private X server, answering its
// question with real key presses.
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

#include "common/handover.h"
#include "tests/support/program_run.h"
#include "tests/support/test_files.h"

using kuvo::test::ProgramRun;

using kuvo::test::writeFile;

namespace {

// A private X server for the test's lifetime.
class XServer {
public:
    bool start()
    {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty() ||
            QStandardPaths::findExecutable("xdotool").isEmpty())
            return false;
        for (int n = 300 + ::getpid() % 300, tries = 0; tries < 20; ++n, ++tries) {
            if (QFileInfo::exists(QString("/tmp/.X11-unix/X%1").arg(n)) ||
                QFileInfo::exists(QString("/tmp/.X%1-lock").arg(n)))
                continue;
            m_display = QString(":%1").arg(n);
            m_process.start("Xvfb", {m_display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
            if (!m_process.waitForStarted(5000))
                return false;
            QElapsedTimer t;
            t.start();
            while (t.elapsed() < 5000 && m_process.state() == QProcess::Running) {
                if (QFileInfo::exists(QString("/tmp/.X11-unix/X%1").arg(n)))
                    return true;
                QThread::msleep(50);
            }
            m_process.kill();
            m_process.waitForFinished();
        }
        return false;
    }
    ~XServer()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(3000))
                m_process.kill();
            m_process.waitForFinished();
        }
    }
    QString display() const { return m_display; }
    bool key(const QString& key)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", m_display);
        p.setProcessEnvironment(env);
        p.start("xdotool", {"key", key});
        return p.waitForFinished(5000) && p.exitCode() == 0;
    }

private:
    QProcess m_process;
    QString m_display;
};

} // namespace

class ChangeEraseTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void handoverListIsShownWithTheQuestion();
    void handoverTokenThatNamesNothing();
    void realKeysAnswerTheQuestion_data();
    void realKeysAnswerTheQuestion();

private:
    QTemporaryDir m_runtime;
};

void ChangeEraseTest::initTestCase()
{
    QVERIFY(m_runtime.isValid());
    // The test's server and the program it starts meet in this folder.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
}

void ChangeEraseTest::handoverListIsShownWithTheQuestion()
{
    QTemporaryDir dir;
    const QStringList files{dir.filePath("b.txt"), dir.filePath("a.txt"), dir.filePath("c d.txt")};
    for (const QString& f : files)
        QVERIFY(writeFile(f, "content"));
    kuvo::HandoverServer server;
    const QString token = server.serve(files);
    QVERIFY(!token.isEmpty());

    ProgramRun run;
    run.setLangDigit("0");
    run.setEnv("XDG_RUNTIME_DIR", m_runtime.path());
    QVERIFY(run.start("change", {"/hen", token}));
    // The probe shows the count of the copied list and the question box over the window.
    QTRY_VERIFY_WITH_TIMEOUT(run.probe().contains("LblFiles\tenabled\tFiles: 3"), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(run.probe().contains("window \tErase Files"), 15000);
    QCOMPARE(server.servedCount(), 1);
    for (const QString& f : files)
        QVERIFY(QFileInfo::exists(f)); // nothing erased before the answer
}

void ChangeEraseTest::handoverTokenThatNamesNothing()
{
    ProgramRun run;
    run.setLangDigit("1");
    run.setEnv("XDG_RUNTIME_DIR", m_runtime.path());
    QVERIFY(run.start("change", {"/hen", "987654321"}));
    QTRY_VERIFY_WITH_TIMEOUT(run.probe().contains("LblFiles\tenabled\tDateien: 0"), 15000);
    QTest::qWait(500);
    QVERIFY2(!run.probe().contains("Erase Files"), qPrintable(run.probe())); // no question
    QVERIFY(run.process().state() == QProcess::Running);
}

void ChangeEraseTest::realKeysAnswerTheQuestion_data()
{
    QTest::addColumn<bool>("handover");
    QTest::addRow("/en path") << false;
    QTest::addRow("/hen token") << true;
}

void ChangeEraseTest::realKeysAnswerTheQuestion()
{
    QFETCH(bool, handover);
    XServer x;
    if (!x.start())
        QSKIP("needs Xvfb and xdotool");
    QTemporaryDir dir;
    const QStringList files = handover ? QStringList{dir.filePath("one"), dir.filePath("two")}
                                       : QStringList{dir.filePath("only file.bin")};
    for (const QString& f : files)
        QVERIFY(writeFile(f, QByteArray(100000, 'x')));
    kuvo::HandoverServer server;
    QStringList args{"/en", files.first()};
    if (handover)
        args = QStringList{"/hen", server.serve(files)};

    ProgramRun run;
    run.setLangDigit("0");
    run.setEnv("XDG_RUNTIME_DIR", m_runtime.path());
    run.setEnv("QT_QPA_PLATFORM", "xcb");
    run.setEnv("DISPLAY", x.display());
    QVERIFY(run.start("change", args));
    QTRY_VERIFY_WITH_TIMEOUT(run.probe().contains("window \tErase Files"), 15000);
    QTest::qWait(300);
    QVERIFY(x.key("Return")); // Yes is the default button
    for (const QString& f : files)
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(f), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(run.probe().contains("LblStat\tenabled\tFinished!") ||
                                 run.probe().contains("LblStat\tdisabled\tFinished!"),
                             15000);
    QVERIFY(x.key("Return")); // the "Done!" box
    if (handover) {
        QVERIFY(run.waitForExit(15000)); // started by Crypt: closes after the run
        QCOMPARE(run.process().exitCode(), 0);
    } else {
        QTest::qWait(500);
        QCOMPARE(run.process().state(), QProcess::Running); // started with one path: stays open
        QTRY_VERIFY_WITH_TIMEOUT(run.probe().contains("LblFiles\tenabled\tFiles: 1"), 5000);
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

QTEST_GUILESS_MAIN(ChangeEraseTest)
#include "change_erase_test.moc"
