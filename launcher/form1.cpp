#include "form1.h"

#include <QPushButton>

#include "common/localize.h"

Form1::Form1(const kuvo::Platform& platform, QWidget* parent) : QWidget(parent), m_platform(platform)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kuvo Security Tools Lite"));
    resize(529, 421);
    auto* button = new QPushButton(QStringLiteral("#112"), this);
    button->setObjectName(QStringLiteral("CmdNext"));
    button->move(20, 20);
    kuvo::LocalizeForm(this, {.toolTips = true});
}
