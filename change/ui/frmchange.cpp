#include "frmchange.h"

#include "common/localize.h"

FrmChange::FrmChange(const kuvo::Platform& platform, const QString& commandLine, QWidget* parent)
    : QWidget(parent), m_platform(platform)
{
    Q_UNUSED(commandLine);
    setObjectName(QStringLiteral("FrmChange"));
    setWindowTitle(QStringLiteral("#102"));
    resize(633, 361);
    kuvo::LocalizeForm(this);
}
