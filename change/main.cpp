#include <QApplication>

#include "common/app.h"
#include "common/catalogue.h"
#include "common/lang.h"
#include "common/probe.h"
#include "change/ui/frmchange.h"

int main(int argc, char* argv[])
{
    if (!kuvo::checkDisplay("change"))
        return 1;
    QApplication app(argc, argv);
    kuvo::setActiveCatalogue(kuvo::Catalogue::fromResource(QStringLiteral(":/catalogue/change.tsv")));
    kuvo::initLanguage();
    FrmChange window(kuvo::realPlatform(), kuvo::commandLineText(app.arguments()));
    window.show();
    kuvo::installTestProbe();
    return app.exec();
}
