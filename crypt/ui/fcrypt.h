#pragma once

#include <QWidget>

#include "common/platform/platform.h"

// Crypt's main window.
class FCrypt : public QWidget {
    Q_OBJECT
public:
    FCrypt(const kuvo::Platform& platform, const QString& commandLine, QWidget* parent = nullptr);

private:
    kuvo::Platform m_platform;
};
