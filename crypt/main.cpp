#include <QApplication>

#include "common/app.h"
#include "common/catalogue.h"
#include "common/lang.h"
#include "common/probe.h"
#include "crypt/ui/fcrypt.h"

int main(int argc, char* argv[])
{
    if (!kuvo::checkDisplay("crypt"))
        return 1;
    QApplication app(argc, argv);
    kuvo::setActiveCatalogue(kuvo::Catalogue::fromResource(QStringLiteral(":/catalogue/crypt.tsv")));
    kuvo::initLanguage();
    FCrypt window(kuvo::realPlatform(), kuvo::commandLineText(app.arguments()));
    window.show();
    kuvo::installTestProbe();
    return app.exec();
}
