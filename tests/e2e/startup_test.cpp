// Starts the real programs and checks that each opens in the language of ml.ini.
#include <QtTest>

#include "tests/support/program_run.h"

using kuvo::test::ProgramRun;

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void opensInStoredLanguage_data();
    void opensInStoredLanguage();
    void kuvoHelp();
};

void StartupTest::opensInStoredLanguage_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QByteArray>("digit");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("control");
    const QString crypt = "window FCrypt\tKuvo-Crypt SE™ Lite";
    QTest::addRow("crypt none") << "crypt" << QByteArray() << crypt << "CmdReturn\tenabled\tReturn to main menu";
    QTest::addRow("crypt de") << "crypt" << QByteArray("1") << crypt << "CmdReturn\tenabled\tZurück zum Hauptmenü";
    QTest::addRow("change es") << "change" << QByteArray("2")
                               << "window FrmChange\tKuvo Crypt SE - Borrar ficheros seguramente y irrecuperable"
                               << "CmdReturn\tenabled\tVolver al menú principal";
    QTest::addRow("change en") << "change" << QByteArray("0")
                               << "window FrmChange\tKuvo Crypt SE - Securely erase files"
                               << "CmdReturn\tenabled\tReturn to main menu";
    QTest::addRow("varnhold de") << "varnhold" << QByteArray("1") << "window Form1\tKuvo Security Tools Lite"
                                 << "CmdNext\t";
    QTest::addRow("varnhold es") << "varnhold" << QByteArray("2") << "window Form1\tKuvo Security Tools Lite"
                                 << "&Seguir >";
}

void StartupTest::opensInStoredLanguage()
{
    QFETCH(QString, program);
    QFETCH(QByteArray, digit);
    QFETCH(QString, title);
    QFETCH(QString, control);
    ProgramRun run;
    run.setLangDigit(digit);
    QVERIFY(run.start(program));
    QVERIFY2(run.waitForProbe(title), qPrintable(run.probe()));
    QVERIFY2(run.waitForProbe(control), qPrintable(run.probe()));
    if (program == "varnhold" && digit == "1")
        QVERIFY2(run.probe().contains("&Weiter >"), qPrintable(run.probe()));
}

void StartupTest::kuvoHelp()
{
    QProcess p;
    p.start(QDir(ProgramRun::binDir()).filePath("kuvo"), {"--help"});
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(p.readAllStandardOutput().startsWith("Usage: kuvo"));
    p.start(QDir(ProgramRun::binDir()).filePath("kuvo"), {"no-such-command"});
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitCode(), 2);
}

QTEST_GUILESS_MAIN(StartupTest)
#include "startup_test.moc"
