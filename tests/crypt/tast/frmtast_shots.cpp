// Not a test: draws the screen keyboard in every key set at both sizes into PNG
// files for looking at, and prints the session's keyboard layout id.
//   frmtast_shots OUTDIR [SECONDS]   (SECONDS: keep the last keyboard on screen)
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QTextStream>
#include <QTimer>

#include "common/catalogue.h"
#include "common/lang.h"
#include "common/platform/qtplatform.h"
#include "crypt/ui/frmtast.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString out = args.value(1, QStringLiteral("."));
    QDir().mkpath(out);
    kuvo::setActiveCatalogue(kuvo::Catalogue::fromResource(QStringLiteral(":/catalogue/crypt.tsv")));
    kuvo::initLanguage();

    kuvo::LinuxSystemInfo system;
    QTextStream(stdout) << "platform " << QGuiApplication::platformName() << " layout 0x"
                        << QString::number(system.keyboardLayoutId(), 16) << Qt::endl;

    QWidget main;
    main.setWindowTitle(QStringLiteral("owner"));
    main.resize(560, 560);
    auto* box = new QLineEdit(&main);
    box->setObjectName(QStringLiteral("TxtCode"));
    box->setGeometry(20, 320, 400, 24);
    main.show();

    const struct {
        const char* name;
        quint16 layout;
    } sets[] = {{"de", 0x0407}, {"en", 0x0409}, {"es", 0x040A}};
    FrmTast* last = nullptr;
    for (const auto& s : sets) {
        auto* kb = new FrmTast(box, s.layout, &main);
        kb->show();
        app.processEvents();
        kb->grab().save(QStringLiteral("%1/frmtast-%2-1x.png").arg(out, QLatin1String(s.name)));
        kb->findChild<QRadioButton*>(QStringLiteral("Option1_1"))->click();
        app.processEvents();
        kb->grab().save(QStringLiteral("%1/frmtast-%2-2x.png").arg(out, QLatin1String(s.name)));
        if (last)
            last->close();
        last = kb;
    }
    if (args.size() < 3)
        return 0;
    last->close();
    QPointer<FrmTast> slot;
    openScreenKeyboard(slot, box, &main, system);
    QTimer::singleShot(args[2].toInt() * 1000, &app, &QApplication::quit);
    return app.exec();
}
