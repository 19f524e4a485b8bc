// Small painted controls of Crypt's window: the lamps of a traffic light, the
// light's housing and a label that acts as a link.
#pragma once

#include <QLabel>
#include <QWidget>

namespace kuvo {

// A round lamp: on, its fill is opaque in its colour; off, only the outline shows.
class Lamp : public QWidget {
    Q_OBJECT
public:
    Lamp(const QColor& color, QWidget* parent);
    QColor color() const { return m_color; }
    bool isOn() const { return m_on; }
    void setOn(bool on);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor m_color;
    bool m_on = false;
};

// An opaque rounded rectangle (the housing of a traffic light).
class ShapeBox : public QWidget {
    Q_OBJECT
public:
    ShapeBox(const QColor& fill, QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor m_fill;
};

// A label that reports a left click, shown as a link.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void applyLook();
};

} // namespace kuvo
