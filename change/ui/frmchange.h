#pragma once

#include <QWidget>

#include "common/platform/platform.h"

// Change's main window.
class FrmChange : public QWidget {
    Q_OBJECT
public:
    FrmChange(const kuvo::Platform& platform, const QString& commandLine, QWidget* parent = nullptr);

private:
    kuvo::Platform m_platform;
};
