#include "probe.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSaveFile>
#include <QTimer>
#include <QWidget>

namespace kuvo {

static QString controlText(const QWidget* w)
{
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text() + (b->isCheckable() && b->isChecked() ? QStringLiteral(" [checked]") : QString());
    if (auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return e->echoMode() == QLineEdit::Normal ? e->text() : QString();
    if (auto* g = qobject_cast<const QGroupBox*>(w))
        return g->title();
    return {};
}

// With KUVO_TEST_PROBE_GEOMETRY set, each control line ends in "\t@x,y,w,h" (screen
// pixels), so a test under a private X server can click a control by its name.
static void writeProbe(const QString& path, bool geometry)
{
    QString out;
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* win : windows) {
        if (!win->isVisible())
            continue;
        out += QStringLiteral("window %1\t%2\n").arg(win->objectName(), win->windowTitle());
        for (QWidget* w : win->findChildren<QWidget*>()) {
            if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")) || !w->isVisible())
                continue;
            QString text = controlText(w);
            text.replace(QLatin1Char('\n'), QLatin1Char(' '));
            out += QStringLiteral("  %1\t%2\t%3")
                       .arg(w->objectName(), w->isEnabled() ? "enabled" : "disabled", text);
            if (geometry) {
                const QPoint at = w->mapToGlobal(QPoint(0, 0));
                out +=
                    QStringLiteral("\t@%1,%2,%3,%4").arg(at.x()).arg(at.y()).arg(w->width()).arg(w->height());
            }
            out += QLatin1Char('\n');
        }
    }
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(out.toUtf8());
        file.commit();
    }
}

void installTestProbe()
{
    const QString path = qEnvironmentVariable("KUVO_TEST_PROBE");
    if (path.isEmpty())
        return;
    auto* timer = new QTimer(qApp);
    const bool geometry = !qEnvironmentVariableIsEmpty("KUVO_TEST_PROBE_GEOMETRY");
    QObject::connect(timer, &QTimer::timeout, qApp, [path, geometry] { writeProbe(path, geometry); });
    timer->start(200);
}

}  // namespace kuvo
