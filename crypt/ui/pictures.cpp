#include "pictures.h"

#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QPainterPath>

namespace kuvo::pictures {

namespace {

const QColor kDial(18, 22, 18);
const QColor kLit(80, 230, 90);
const QColor kUnlit(38, 58, 40);

QPixmap canvas(QSize size, const QColor& fill)
{
    const qreal dpr = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pm(size * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(fill);
    return pm;
}

// Seven segments a..g, each a polygon in the 15 x 20 cell.
QPolygonF segment(int index)
{
    const qreal l = 3, r = 12, t = 2, m = 10, b = 18, w = 1.1;
    auto horizontal = [&](qreal y) {
        return QPolygonF({{l + w, y},
                          {l + 2 * w, y - w},
                          {r - 2 * w, y - w},
                          {r - w, y},
                          {r - 2 * w, y + w},
                          {l + 2 * w, y + w}});
    };
    auto vertical = [&](qreal x, qreal y0, qreal y1) {
        return QPolygonF({{x, y0 + w},
                          {x + w, y0 + 2 * w},
                          {x + w, y1 - 2 * w},
                          {x, y1 - w},
                          {x - w, y1 - 2 * w},
                          {x - w, y0 + 2 * w}});
    };
    switch (index) {
    case 0:
        return horizontal(t);
    case 1:
        return vertical(r, t, m);
    case 2:
        return vertical(r, m, b);
    case 3:
        return horizontal(b);
    case 4:
        return vertical(l, m, b);
    case 5:
        return vertical(l, t, m);
    default:
        return horizontal(m);
    }
}

// Segments lit for 0..9, bit 0 = a.
constexpr unsigned char kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

} // namespace

QPixmap digit(int value)
{
    static QHash<int, QPixmap> cache;
    value = ((value % 10) + 10) % 10;
    const qreal dpr = qApp ? qApp->devicePixelRatio() : 1.0;
    const int cacheKey = value * 1000 + int(dpr * 100);
    if (auto it = cache.constFind(cacheKey); it != cache.cend())
        return *it;
    QPixmap pm = canvas(kDigitSize, kDial);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    for (int s = 0; s < 7; ++s) {
        p.setBrush(kSegments[value] & (1u << s) ? kLit : kUnlit);
        p.drawPolygon(segment(s));
    }
    p.end();
    cache.insert(cacheKey, pm);
    return pm;
}

QPixmap separator()
{
    QPixmap pm = canvas(kSeparatorSize, kDial);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kLit);
    p.drawEllipse(QPointF(3.5, 6.5), 1.4, 1.4);
    p.drawEllipse(QPointF(3.5, 13.5), 1.4, 1.4);
    return pm;
}

QPixmap key(bool solid, QSize size)
{
    QPixmap pm = canvas(size, Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size.width() / 32.0, size.height() / 32.0);
    // A key lying diagonally in its cell, bow to the upper left, so neighbours never touch.
    p.translate(16, 16);
    p.rotate(45);
    QPainterPath shape;
    shape.setFillRule(Qt::OddEvenFill);
    shape.addEllipse(QPointF(-7.5, 0), 5.5, 5.5);
    shape.addEllipse(QPointF(-7.5, 0), 2.3, 2.3);
    QPainterPath blade;
    blade.addRect(QRectF(-2.5, -1.7, 15.5, 3.4));
    blade.addRect(QRectF(6.5, 1.7, 2.6, 3.6));
    blade.addRect(QRectF(10.4, 1.7, 2.6, 5.0));
    shape = shape.united(blade);
    if (solid) {
        QLinearGradient gold(0, 8, 0, 25);
        gold.setColorAt(0, QColor(255, 222, 110));
        gold.setColorAt(1, QColor(196, 140, 20));
        p.setPen(QPen(QColor(110, 74, 0), 1.2));
        p.setBrush(gold);
    } else {
        p.setPen(QPen(QColor(150, 150, 150), 1.2, Qt::DotLine));
        p.setBrush(QColor(200, 200, 200, 60));
    }
    p.drawPath(shape);
    return pm;
}

} // namespace kuvo::pictures
