#include "ucshape.h"

#include <QEvent>
#include <QPainter>
#include <QPalette>
#include <optional>

namespace kuvo {

ColorRef colorRefFromColor(const QColor& color)
{
    const QColor c = color.toRgb();
    return ColorRef(c.red()) | ColorRef(c.green()) << 8 | ColorRef(c.blue()) << 16;
}

QColor colorFromColorRef(ColorRef ref, const QPalette& palette)
{
    if ((ref & 0x80000000u) == 0)
        return QColor(int(ref & 0xFF), int(ref >> 8 & 0xFF), int(ref >> 16 & 0xFF));
    // The Windows system colour indexes that have a palette role of the same meaning.
    switch (ref & 0xFF) {
    case 5:
        return palette.color(QPalette::Base); // window background
    case 8:
        return palette.color(QPalette::WindowText); // window text
    case 13:
        return palette.color(QPalette::Highlight);
    case 14:
        return palette.color(QPalette::HighlightedText);
    case 15:
        return palette.color(QPalette::Button); // button face
    case 16:
        return palette.color(QPalette::Mid); // button shadow
    case 17:
        return palette.color(QPalette::PlaceholderText); // grey text
    case 18:
        return palette.color(QPalette::ButtonText);
    case 20:
        return palette.color(QPalette::Light); // button highlight
    case 23:
        return palette.color(QPalette::ToolTipText);
    case 24:
        return palette.color(QPalette::ToolTipBase);
    default:
        return palette.color(QPalette::Window);
    }
}

UcShape::UcShape(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(kMinimumSide, kMinimumSide);
    setAttribute(Qt::WA_OpaquePaintEvent);
    watchContainer();
}

UcShape::~UcShape() = default;

QColor UcShape::ForeColor() const
{
    return colorFromColorRef(m_foreRef, palette());
}

QColor UcShape::FillColor() const
{
    return colorFromColorRef(m_fillRef, palette());
}

void UcShape::setForeColorRef(ColorRef ref)
{
    m_foreRef = ref;
    changed();
}

void UcShape::setFillColorRef(ColorRef ref)
{
    m_fillRef = ref;
    changed();
}

void UcShape::setShapeFont(const QFont& font)
{
    setFont(font);
    changed();
}

void UcShape::setRounding(int rounding)
{
    if (rounding < 0)
        return;
    m_rounding = rounding;
    changed();
}

void UcShape::changed()
{
    update();
    emit propertyChanged();
}

QColor UcShape::backgroundColor() const
{
    if (const QWidget* c = container())
        return c->palette().color(c->backgroundRole());
    return palette().color(QPalette::Window);
}

QFont UcShape::containerFont() const
{
    return container() ? container()->font() : QFont();
}

static std::optional<QVariant> lookup(const QVariantMap& stored, const QString& name)
{
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.value();
    return std::nullopt;
}

static std::optional<ColorRef> storedColor(const QVariantMap& stored, const QString& name)
{
    const auto value = lookup(stored, name);
    if (!value)
        return std::nullopt;
    if (value->metaType().id() == QMetaType::QColor)
        return colorRefFromColor(value->value<QColor>());
    bool ok = false;
    const qlonglong number = value->toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return static_cast<ColorRef>(number);
}

void UcShape::readProperties(const QVariantMap& stored)
{
    m_foreRef = storedColor(stored, QStringLiteral("ForeColor")).value_or(kStoredForeColorDefault);
    const auto font = lookup(stored, QStringLiteral("Font"));
    if (font && font->metaType().id() == QMetaType::QFont)
        setFont(font->value<QFont>());
    else
        setFont(QFont()); // inherit the container's font again
    const auto rounding = lookup(stored, QStringLiteral("Rounding"));
    bool ok = false;
    const int r = rounding ? rounding->toInt(&ok) : 0;
    m_rounding = ok && r >= 0 ? r : 0;
    m_fillRef =
        storedColor(stored, QStringLiteral("FillColor")).value_or(colorRefFromColor(backgroundColor()));
    changed();
}

QVariantMap UcShape::writeProperties() const
{
    QVariantMap out;
    if (FillColor() != backgroundColor())
        out.insert(QStringLiteral("FillColor"), m_fillRef);
    if (m_foreRef != kStoredForeColorDefault)
        out.insert(QStringLiteral("ForeColor"), m_foreRef);
    if (font() != containerFont())
        out.insert(QStringLiteral("Font"), font());
    if (m_rounding != 0)
        out.insert(QStringLiteral("Rounding"), m_rounding);
    return out;
}

void UcShape::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), backgroundColor());
    p.setRenderHint(QPainter::Antialiasing, m_rounding > 0);
    p.setPen(QPen(ForeColor(), 1));
    p.setBrush(FillColor());
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = m_rounding / 2.0;
    if (radius > 0)
        p.drawRoundedRect(box, radius, radius);
    else
        p.drawRect(box);
}

bool UcShape::event(QEvent* event)
{
    if (event->type() == QEvent::ParentChange)
        watchContainer();
    if (event->type() == QEvent::PaletteChange)
        update();
    return QWidget::event(event);
}

void UcShape::watchContainer()
{
    if (m_watched == container())
        return;
    if (m_watched)
        m_watched->removeEventFilter(this);
    m_watched = container();
    if (m_watched)
        m_watched->installEventFilter(this);
    update();
}

bool UcShape::eventFilter(QObject* watched, QEvent* event)
{
    // A new container background recolours the corners at once.
    if (watched == m_watched && event->type() == QEvent::PaletteChange)
        update();
    return QWidget::eventFilter(watched, event);
}

} // namespace kuvo
