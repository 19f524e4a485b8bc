#include "frmopt.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "common/catalogue.h"
#include "common/lang.h"
#include "common/localize.h"
#include "language.h"

namespace {

const QString kTitle = QStringLiteral("Kuvo Security Tools Lite");

int storedLangIndex()
{
    const QString digit = kuvo::ReadLangFile(1, 1);
    if (digit == QLatin1String("0") || digit == QLatin1String("1") || digit == QLatin1String("2"))
        return digit.toInt();
    return -1;
}

} // namespace

FrmOpt::FrmOpt(const kuvo::Platform& platform, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      m_platform(platform)
{
    setObjectName(QStringLiteral("FrmOpt"));
    setWindowTitle(QStringLiteral("#113"));
    setFixedSize(380, 234);
    setAttribute(Qt::WA_QuitOnClose, false);
    if (parent)
        setWindowIcon(parent->windowIcon());

    auto* frame = new QGroupBox(QStringLiteral("#139"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(10, 8, 360, 174);

    auto* language = new QLabel(QStringLiteral("#140"), frame);
    language->setObjectName(QStringLiteral("Label1"));
    language->setGeometry(14, 30, 110, 26);

    m_cmbLang = new QComboBox(frame);
    m_cmbLang->setObjectName(QStringLiteral("CmbLang"));
    m_cmbLang->setGeometry(130, 30, 180, 26);
    m_cmbLang->addItems({QStringLiteral("English"), QStringLiteral("Deutsch"), QStringLiteral("Español")});
    language->setBuddy(m_cmbLang);

    m_lblTheme = new QLabel(frame);
    m_lblTheme->setObjectName(QStringLiteral("LblTheme"));
    m_lblTheme->setGeometry(14, 66, 332, 62);
    m_lblTheme->setWordWrap(true);
    m_lblTheme->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_cmdControl = new QPushButton(QStringLiteral("#141"), frame);
    m_cmdControl->setObjectName(QStringLiteral("CmdControl"));
    m_cmdControl->setGeometry(14, 134, 220, 28);
    m_cmdControl->hide();
    connect(m_cmdControl, &QPushButton::clicked, this, &FrmOpt::CmdControl_Click);

    auto* about = new QPushButton(QStringLiteral("#255"), this);
    about->setObjectName(QStringLiteral("CmdAbout"));
    about->setGeometry(10, 194, 100, 30);
    about->setAutoDefault(false);
    connect(about, &QPushButton::clicked, this, &FrmOpt::aboutRequested);

    auto* ok = new QPushButton(QStringLiteral("#142"), this);
    ok->setObjectName(QStringLiteral("CmdOk"));
    ok->setGeometry(180, 194, 92, 30);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &FrmOpt::CmdOk_Click);

    auto* cancel = new QPushButton(QStringLiteral("#143"), this);
    cancel->setObjectName(QStringLiteral("CmdCancel"));
    cancel->setGeometry(278, 194, 92, 30);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_openingIndex = storedLangIndex();
    // Without a usable setting the list shows the language this launcher runs in.
    const int shownIndex = m_openingIndex >= 0
                               ? m_openingIndex
                               : static_cast<int>(kuvo::launcher::indexForOffset(kuvo::LangOffset));
    m_cmbLang->setCurrentIndex(shownIndex);

    kuvo::LocalizeForm(this, {.toolTips = true});

    if (m_platform.system->visualStylesActive() == false) {
        m_lblTheme->setText(kuvo::LoadText(144));
        m_cmdControl->show();
    }
}

void FrmOpt::CmdOk_Click()
{
    const int chosen = m_cmbLang->currentIndex();
    if (chosen != m_openingIndex) {
        const auto index = static_cast<kuvo::launcher::LangIndex>(chosen);
        QString error;
        if (!kuvo::WriteLangFile(1, kuvo::launcher::digitForIndex(index), &error)) {
            m_platform.dialogs->message(this, kTitle, kuvo::LoadText(260) + QLatin1Char(' ') + error,
                                        kuvo::Buttons::Ok, kuvo::MessageIcon::Warning);
            accept();
            return;
        }
        // With no setting before, storing the running language changes nothing to restart for.
        if (m_openingIndex >= 0 || index != kuvo::launcher::indexForOffset(kuvo::LangOffset))
            m_platform.dialogs->message(this, kTitle, kuvo::LoadText(246), kuvo::Buttons::Ok,
                                        kuvo::MessageIcon::Information);
    }
    accept();
}

void FrmOpt::CmdControl_Click()
{
    // Where the desktop has no known appearance tool, nothing happens.
    m_platform.desktop->openAppearanceSettings();
}
