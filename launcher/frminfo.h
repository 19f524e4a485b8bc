// The launcher's about window.
#pragma once

#include <QDialog>
#include <QLabel>

#include "common/platform/platform.h"

class QPushButton;

namespace kuvo::launcher {

// A label that acts as a web link: underlined, dark blue, hand cursor.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// "Version 1.1.6" from the launcher's version numbers.
QString versionLine();

} // namespace kuvo::launcher

class FrmInfo : public QDialog {
    Q_OBJECT
public:
    explicit FrmInfo(const kuvo::Platform& platform, QWidget* parent = nullptr);

private:
    void openMakerSite();

    kuvo::Platform m_platform;
};
