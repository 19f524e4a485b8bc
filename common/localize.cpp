#include "localize.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

#include "catalogue.h"
#include "lang.h"

namespace kuvo {

QString localizedCaption(const QString& caption)
{
    if (!caption.startsWith(QLatin1Char('#')))
        return caption;
    const QStringView digits = QStringView(caption).mid(1);
    if (digits.isEmpty())
        return caption;
    for (QChar c : digits)
        if (!c.isDigit() || c.unicode() > '9')
            return caption;
    bool ok = false;
    const int number = digits.toInt(&ok);
    if (!ok || number > 32767)
        return caption;
    auto text = catalogueText(static_cast<qint16>(number + LangOffset));
    return text ? *text : caption;
}

static void localizeToolTip(QWidget* w)
{
    const QString tip = w->toolTip();
    if (tip.startsWith(QLatin1Char('#')))
        w->setToolTip(localizedCaption(tip));
}

void LocalizeForm(QWidget* window, LocalizeOptions options)
{
    QString title = localizedCaption(window->windowTitle());
    const qsizetype amp = title.indexOf(QLatin1Char('&'));
    if (amp >= 0)
        title.remove(amp, 1);
    window->setWindowTitle(title);

    const auto children = window->findChildren<QWidget*>();
    for (QWidget* w : children) {
        bool captioned = true;
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            e->setText(localizedCaption(e->text()));
            captioned = false;
        } else if (auto* t = qobject_cast<QPlainTextEdit*>(w)) {
            if (t->toPlainText().startsWith(QLatin1Char('#')))
                t->setPlainText(localizedCaption(t->toPlainText()));
            captioned = false;
        } else if (auto* t = qobject_cast<QTextEdit*>(w)) {
            if (t->toPlainText().startsWith(QLatin1Char('#')))
                t->setPlainText(localizedCaption(t->toPlainText()));
            captioned = false;
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            l->setText(localizedCaption(l->text()));
        } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            b->setText(localizedCaption(b->text()));
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            g->setTitle(localizedCaption(g->title()));
        } else {
            captioned = false;
        }
        if (captioned && options.toolTips)
            localizeToolTip(w);
    }
}

}  // namespace kuvo
