// The launcher's options dialog: the suite's language and the styling hint.
#pragma once

#include <QDialog>

#include "common/platform/platform.h"

class QComboBox;
class QLabel;
class QPushButton;

class FrmOpt : public QDialog {
    Q_OBJECT
public:
    explicit FrmOpt(const kuvo::Platform& platform, QWidget* parent = nullptr);

signals:
    void aboutRequested();

private:
    void CmdOk_Click();
    void CmdControl_Click();

    kuvo::Platform m_platform;
    QComboBox* m_cmbLang;
    QLabel* m_lblTheme;
    QPushButton* m_cmdControl;
    // The stored language when the dialog opened; -1 when there was no usable setting.
    int m_openingIndex = -1;
};
