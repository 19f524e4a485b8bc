// The screen keyboard and Send by mail as the main window offers them.
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "common/catalogue.h"
#include "common/lang.h"
#include "crypt/core/passphrase_rating.h"
#include "crypt/ui/fcrypt.h"
#include "crypt/ui/frmtast.h"
#include "tests/support/fake_platform.h"

using namespace Qt::StringLiterals;
using kuvo::test::FakePlatform;

namespace {

std::unique_ptr<FCrypt> makeWindow(FakePlatform& fp)
{
    auto w = std::make_unique<FCrypt>(fp.platform(), QString());
    w->findDataFile = [](const QString&) { return QString(); };
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get()))
        qWarning("window not exposed");
    return w;
}

int keysShown(const FCrypt& w)
{
    int n = 0;
    for (int i = 1; i <= 5; ++i)
        n += !w.Stern[std::size_t(i)]->isHidden();
    return n;
}

QPushButton* key(FrmTast* kb, int index)
{
    return kb->findChild<QPushButton*>(u"cmdNr_%1"_s.arg(index));
}

} // namespace

class FCryptTastTest : public QObject {
    Q_OBJECT

private slots:
    void init() { kuvo::test::useCatalogue(u"crypt"_s, kuvo::kOffsetEnglish); }

    void screenKeyboardTypesIntoThePassphraseBox();
    void mailOnTheTextTab();
    void mailOnTheFileTab();
};

void FCryptTastTest::screenKeyboardTypesIntoThePassphraseBox()
{
    FakePlatform fp;
    fp.system.keyboardId = 0x0407;
    auto w = makeWindow(fp);
    QTest::mouseClick(w->Command3, Qt::LeftButton);
    auto* kb = w->findChild<FrmTast*>();
    QVERIFY(kb);
    QVERIFY(kb->isVisible());
    QCOMPARE(kb->keySet(), FrmTast::KeySet::German);
    QCOMPARE(kb->windowTitle(), u"Screen Keyboard"_s);
    // Placed over the window, below the passphrase box and not on it.
    const QRect box(w->TxtCode->mapToGlobal(QPoint(0, 0)), w->TxtCode->size());
    QVERIFY(kb->frameGeometry().top() > box.bottom());
    QVERIFY(kb->frameGeometry().top() < box.bottom() + 10);
    QVERIFY(w->frameGeometry().contains(kb->frameGeometry().topLeft()));

    // A second click keeps the one keyboard.
    QTest::mouseClick(w->Command3, Qt::LeftButton);
    QCOMPARE(w->findChildren<FrmTast*>().size(), 1);

    // Every key leaves the gauge showing the rating of the box's new text.
    w->TxtCode->setText(u"Start"_s);
    const QList<int> keys = {67, 47, 67, 19, 55, 56, 57, 15, 58, 59, 60, 61, 62, 63, 64, 65, 1,  2,
                             3,  18, 48, 49, 53, 12, 14, 43, 44, 20, 21, 22, 23, 24, 25, 26, 27, 28};
    for (int index : keys) {
        QTest::mouseClick(key(kb, index), Qt::LeftButton);
        const QString passphrase = w->TxtCode->text();
        const kuvo::PassphraseRating r = kuvo::RatePassphrase(passphrase.toStdU16String());
        QCOMPARE(w->Label3->text(), kuvo::LoadText(qint16(r.verdictId)));
        QCOMPARE(keysShown(*w), r.keys);
    }
    QCOMPARE(w->TxtCode->text(), u"StartÖa!\"§$%&/()=?ß123 üä^yzbcdefghij"_s);
    QCOMPARE(keysShown(*w), 5);

    // Closing the main window takes the keyboard with it.
    QPointer<FrmTast> gone(kb);
    w->close();
    QTRY_VERIFY(gone.isNull());
}

void FCryptTastTest::mailOnTheTextTab()
{
    FakePlatform fp;
    auto w = makeWindow(fp);
    w->TabStr->setCurrentIndex(0);
    w->txtResults->clear();
    QTest::mouseClick(w->CmdMail, Qt::LeftButton);
    QCOMPARE(fp.dialogs.texts(), QStringList{u"First encrypt the text please."_s});
    QCOMPARE(fp.mail.sent.size(), 0);

    w->txtResults->setPlainText(u"line one\nline two"_s);
    QTest::mouseClick(w->CmdMail, Qt::LeftButton);
    QCOMPARE(fp.mail.sent.size(), 1);
    QCOMPARE(fp.mail.sent[0].subject, u"Encrypted File"_s);
    QCOMPARE(fp.mail.sent[0].body, u"line one\nline two"_s);
    QVERIFY(fp.mail.sent[0].attachmentPath.isEmpty());
}

void FCryptTastTest::mailOnTheFileTab()
{
    kuvo::test::useCatalogue(u"crypt"_s, kuvo::kOffsetGerman);
    FakePlatform fp;
    auto w = makeWindow(fp);
    w->TabStr->setCurrentIndex(1);
    w->txtResults->setPlainText(u"text tab only"_s);
    QTest::mouseClick(w->CmdMail, Qt::LeftButton);
    QCOMPARE(fp.dialogs.texts(), QStringList{u"Bitte zunächst eine Datei verschlüsseln."_s});
    QCOMPARE(fp.mail.sent.size(), 0);

    QTemporaryDir dir;
    const QString container = dir.filePath(u"backup.kuvo"_s);
    QFile f(container);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write("records") == 7);
    f.close();
    w->LastContainer = container;
    fp.mail.result = {kuvo::MailResult::Status::Failed, u"No mail program is set up on this desktop."_s};
    QTest::mouseClick(w->CmdMail, Qt::LeftButton);
    QCOMPARE(fp.mail.sent.size(), 1);
    QCOMPARE(fp.mail.sent[0].attachmentPath, container);
    QCOMPARE(fp.mail.sent[0].attachmentName, u"Encrypted text.kuvo"_s);
    QCOMPARE(fp.mail.sent[0].body, u"   "_s);
    QCOMPARE(fp.dialogs.texts().last(), u"MAPI Error: No mail program is set up on this desktop."_s);
}

QTEST_MAIN(FCryptTastTest)
#include "fcrypt_tast_test.moc"
