// ucShape: a decorative rounded rectangle over the whole control, outlined in
// ForeColor and filled with FillColor. The area outside the rounded corners
// always shows the container's background, so the frame blends with the window.
#pragma once

#include <QColor>
#include <QFont>
#include <QVariantMap>
#include <QWidget>

namespace kuvo {

// Colours as the window designs store them (COLORREF: red in the low byte).
// Values with the top bit set name a system colour; they are resolved against
// a palette each time they are drawn, so they follow the desktop's theme.
using ColorRef = quint32;

constexpr ColorRef kSystemButtonFace = 0x8000000F;

ColorRef colorRefFromColor(const QColor& color);
// System colours without a palette counterpart fall back to the palette's window colour.
QColor colorFromColorRef(ColorRef ref, const QPalette& palette);

class UcShape : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor ForeColor READ ForeColor WRITE setForeColor NOTIFY propertyChanged)
    Q_PROPERTY(QColor FillColor READ FillColor WRITE setFillColor NOTIFY propertyChanged)
    Q_PROPERTY(QFont Font READ Font WRITE setShapeFont NOTIFY propertyChanged)
    Q_PROPERTY(int Rounding READ Rounding WRITE setRounding NOTIFY propertyChanged)

public:
    static constexpr int kMinimumSide = 32;
    // Outline colour a stored control without "ForeColor" gets (RGB 191,184,191).
    static constexpr ColorRef kStoredForeColorDefault = 12564671;

    // A newly placed control: black outline, white fill, square corners, the container's font.
    explicit UcShape(QWidget* parent = nullptr);
    ~UcShape() override;

    QColor ForeColor() const;
    QColor FillColor() const;
    QFont Font() const { return font(); }
    int Rounding() const { return m_rounding; }
    ColorRef ForeColorRef() const { return m_foreRef; }
    ColorRef FillColorRef() const { return m_fillRef; }

    void setForeColor(const QColor& color) { setForeColorRef(colorRefFromColor(color)); }
    void setFillColor(const QColor& color) { setFillColorRef(colorRefFromColor(color)); }
    void setForeColorRef(ColorRef ref);
    void setFillColorRef(ColorRef ref);
    void setShapeFont(const QFont& font);
    // Width and height of the ellipse that rounds each corner; a negative value is ignored.
    void setRounding(int rounding);

    // The colour outside the rounded corners: the container's background.
    QColor backgroundColor() const;

    // Stored properties, as a window holding the control loads and saves them.
    // Keys are "ForeColor", "FillColor" (ColorRef numbers or QColor), "Font"
    // (QFont) and "Rounding"; they are matched without regard to case. Absent
    // keys give: ForeColor 12564671, Font and FillColor the container's,
    // Rounding 0.
    void readProperties(const QVariantMap& stored);
    // Leaves out every value that equals what readProperties would supply for
    // it, so a saved control reads back unchanged.
    QVariantMap writeProperties() const;

signals:
    void propertyChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* container() const { return parentWidget(); }
    QFont containerFont() const;
    void watchContainer();
    void changed();

    ColorRef m_foreRef = 0;
    ColorRef m_fillRef = 0x00FFFFFF;
    int m_rounding = 0;
    QWidget* m_watched = nullptr;
};

} // namespace kuvo
