#include <QApplication>

#include "common/app.h"
#include "common/catalogue.h"
#include "common/probe.h"
#include "launcher/form1.h"

int main(int argc, char* argv[])
{
    if (!kuvo::checkDisplay("varnhold"))
        return 1;
    QApplication app(argc, argv);
    kuvo::setActiveCatalogue(kuvo::Catalogue::fromResource(QStringLiteral(":/catalogue/launcher.tsv")));
    // No initLanguage() here: the wizard settles the language itself, and on the very
    // first start detects it from the system, stores it and opens the about window.
    Form1 window(kuvo::realPlatform());
    window.show();
    kuvo::installTestProbe();
    return app.exec();
}
