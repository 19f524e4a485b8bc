#include "gauge.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

namespace kuvo {

Lamp::Lamp(const QColor& color, QWidget* parent) : QWidget(parent), m_color(color) {}

void Lamp::setOn(bool on)
{
    if (m_on == on)
        return;
    m_on = on;
    update();
}

void Lamp::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal d = qMin(width(), height()) - 1.0;
    const QRectF circle((width() - d) / 2.0, (height() - d) / 2.0, d, d);
    p.setPen(QPen(QColor(64, 64, 64), 1));
    p.setBrush(m_on ? QBrush(m_color) : QBrush(Qt::NoBrush));
    p.drawEllipse(circle);
}

ShapeBox::ShapeBox(const QColor& fill, QWidget* parent) : QWidget(parent), m_fill(fill) {}

void ShapeBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(96, 96, 96), 1));
    p.setBrush(m_fill);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
}

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setCursor(Qt::PointingHandCursor);
    applyLook();
}

void LinkLabel::applyLook()
{
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    // Link colour only while usable: a disabled link greys out like the other controls.
    QPalette pal = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive})
        pal.setColor(group, QPalette::WindowText, pal.color(group, QPalette::Link));
    setPalette(pal);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

} // namespace kuvo
