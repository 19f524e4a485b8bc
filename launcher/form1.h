#pragma once

#include <QWidget>

#include "common/platform/platform.h"

// The launcher's wizard window.
class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(const kuvo::Platform& platform, QWidget* parent = nullptr);

private:
    kuvo::Platform m_platform;
};
