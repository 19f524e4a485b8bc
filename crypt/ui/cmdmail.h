// Send by mail: hands the last encryption's result to the user's mail program.
#pragma once

#include <QString>
#include <QtGlobal>

#include "common/lang.h"
#include "common/platform/platform.h"

class QWidget;

namespace kuvo {

// tab: the selected main tab as the design counts it, 1 text and 2 files; any
// other tab does nothing. The text tab mails results as the body; the file tab
// attaches lastContainer under the name "Encrypted text.kuvo". Nothing to send
// gives a "first encrypt" prompt, German when langOffset is German and English
// otherwise; a failing hand-off shows "MAPI Error: " and its description.
void sendByMail(QWidget* parent, int tab, const QString& results, const QString& lastContainer,
                qint16 langOffset, const Platform& platform);

} // namespace kuvo
