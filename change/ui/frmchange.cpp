#include "frmchange.h"

#include <QPushButton>

#include "common/localize.h"

FrmChange::FrmChange(const kuvo::Platform& platform, const QString& commandLine, QWidget* parent)
    : QWidget(parent), m_platform(platform)
{
    Q_UNUSED(commandLine);
    setObjectName(QStringLiteral("FrmChange"));
    setWindowTitle(QStringLiteral("#102"));
    resize(633, 361);
    auto* button = new QPushButton(QStringLiteral("#108"), this);
    button->setObjectName(QStringLiteral("CmdReturn"));
    button->move(20, 20);
    kuvo::LocalizeForm(this);
}
