#include "form1.h"

#include "common/localize.h"

Form1::Form1(const kuvo::Platform& platform, QWidget* parent) : QWidget(parent), m_platform(platform)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kuvo Security Tools Lite"));
    resize(529, 421);
    kuvo::LocalizeForm(this, {.toolTips = true});
}
