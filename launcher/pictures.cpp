#include "pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace kuvo::launcher {

namespace {

QPixmap blank(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    return pm;
}

// Shackle, body and keyhole of a padlock inside the square (x, y, s).
void drawPadlock(QPainter& p, qreal x, qreal y, qreal s, const QColor& body, const QColor& hole)
{
    QPen shackle(body, s * 0.12, Qt::SolidLine, Qt::FlatCap);
    p.setPen(shackle);
    p.setBrush(Qt::NoBrush);
    const QRectF arc(x + s * 0.28, y + s * 0.08, s * 0.44, s * 0.5);
    p.drawArc(arc, 0, 180 * 16);
    p.drawLine(QPointF(arc.left(), arc.center().y()), QPointF(arc.left(), y + s * 0.5));
    p.drawLine(QPointF(arc.right(), arc.center().y()), QPointF(arc.right(), y + s * 0.5));
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawRoundedRect(QRectF(x + s * 0.18, y + s * 0.42, s * 0.64, s * 0.5), s * 0.06, s * 0.06);
    p.setBrush(hole);
    p.drawEllipse(QPointF(x + s * 0.5, y + s * 0.6), s * 0.07, s * 0.07);
    p.drawRect(QRectF(x + s * 0.47, y + s * 0.62, s * 0.06, s * 0.16));
}

} // namespace

QPixmap productPicture(int size)
{
    QPixmap pm = blank(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QLinearGradient tile(0, 0, 0, s);
    tile.setColorAt(0, QColor(96, 104, 235));
    tile.setColorAt(1, QColor(40, 44, 150));
    p.setPen(QPen(QColor(24, 26, 100), qMax(1.0, s / 32)));
    p.setBrush(tile);
    const qreal m = qMax(1.0, s / 24);
    p.drawRoundedRect(QRectF(m, m, s - 2 * m, s - 2 * m), s * 0.18, s * 0.18);
    drawPadlock(p, s * 0.12, s * 0.1, s * 0.76, QColor(255, 255, 160), QColor(40, 44, 150));
    return pm;
}

QIcon productIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addPixmap(productPicture(size));
    return icon;
}

static QPixmap trayPixmap(int size)
{
    QPixmap pm = blank(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const qreal u = s / 16; // one pixel of the 16 x 16 design
    const QRectF frame(0.5 * u, 2.5 * u, 15 * u, 11 * u);
    p.setPen(QPen(QColor(20, 24, 110), u));
    p.setBrush(Qt::white);
    p.drawRect(frame);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 70, 210));
    p.drawRect(QRectF(frame.left(), frame.top(), frame.width(), 3 * u));
    p.setBrush(QColor(20, 24, 110));
    for (int i = 0; i < 4; ++i)
        p.drawEllipse(QPointF((3.5 + 3 * i) * u, 9.5 * u), 1.1 * u, 1.1 * u);
    return pm;
}

QIcon trayPicture()
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48})
        icon.addPixmap(trayPixmap(size));
    return icon;
}

QPixmap wizardPicture(int size)
{
    QPixmap pm = blank(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QPainterPath shield;
    shield.moveTo(s * 0.5, s * 0.04);
    shield.cubicTo(s * 0.7, s * 0.14, s * 0.82, s * 0.16, s * 0.92, s * 0.16);
    shield.cubicTo(s * 0.92, s * 0.6, s * 0.76, s * 0.82, s * 0.5, s * 0.96);
    shield.cubicTo(s * 0.24, s * 0.82, s * 0.08, s * 0.6, s * 0.08, s * 0.16);
    shield.cubicTo(s * 0.18, s * 0.16, s * 0.3, s * 0.14, s * 0.5, s * 0.04);
    QLinearGradient fill(0, 0, s, s);
    fill.setColorAt(0, QColor(110, 118, 245));
    fill.setColorAt(1, QColor(36, 40, 140));
    p.setPen(QPen(QColor(255, 255, 128), s * 0.035));
    p.setBrush(fill);
    p.drawPath(shield);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 128));
    p.drawEllipse(QPointF(s * 0.5, s * 0.42), s * 0.11, s * 0.11);
    QPainterPath slot;
    slot.moveTo(s * 0.45, s * 0.46);
    slot.lineTo(s * 0.55, s * 0.46);
    slot.lineTo(s * 0.59, s * 0.72);
    slot.lineTo(s * 0.41, s * 0.72);
    slot.closeSubpath();
    p.drawPath(slot);
    return pm;
}

} // namespace kuvo::launcher
