#include "form1.h"

#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

#include "common/catalogue.h"
#include "common/lang.h"
#include "common/localize.h"
#include "launcher/frminfo.h"
#include "launcher/frmopt.h"
#include "launcher/pictures.h"
#include "launcher/trayicon.h"

using kuvo::LoadText;

namespace {

const QString kTitle = QStringLiteral("Kuvo Security Tools Lite");
const QColor kWindowColour(177, 177, 255);
const QColor kPageColour(255, 255, 128);

// A stored caption as a label shows it: "&&" is one ampersand, a lone "&" only
// marks an access key.
QString labelText(const QString& caption)
{
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&')) {
            if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&'))
                out += QLatin1Char('&');
            ++i;
            if (i < caption.size() && caption[i] != QLatin1Char('&'))
                out += caption[i];
            continue;
        }
        out += caption[i];
    }
    return out;
}

// Page 2's title: a title too long for the title line keeps its first word.
QString pageTwoTitle()
{
    QString title = LoadText(104);
    if (title.size() > 25) {
        const qsizetype space = title.indexOf(QLatin1Char(' '));
        if (space >= 0)
            title.truncate(space + 1);
    }
    return title;
}

void fill(QWidget* w, const QColor& colour)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, colour);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

template <typename T> T* make(QWidget* parent, const QString& name, const QRect& geometry)
{
    auto* w = new T(parent);
    w->setObjectName(name);
    w->setGeometry(geometry);
    return w;
}

} // namespace

namespace kuvo::launcher {

SideBySide placeBeside(const QRect& screen, const QRect& wizard, const QSize& window, int gap)
{
    SideBySide place{wizard.topLeft(), {}};
    int x;
    if (wizard.right() + 1 + gap + window.width() <= screen.right() + 1) {
        x = wizard.right() + 1 + gap;
    } else if (wizard.left() - gap - window.width() >= screen.left()) {
        x = wizard.left() - gap - window.width();
    } else if (wizard.width() + gap + window.width() <= screen.width()) {
        place.wizard.setX(screen.left() + (screen.width() - wizard.width() - gap - window.width()) / 2);
        x = place.wizard.x() + wizard.width() + gap;
    } else {
        x = screen.right() + 1 - window.width();
    }
    const int lowest = qMax(screen.top(), screen.bottom() + 1 - window.height());
    place.window = QPoint(qMax(screen.left(), x), qBound(screen.top(), wizard.top(), lowest));
    return place;
}

} // namespace kuvo::launcher

Form1::Form1(const kuvo::Platform& platform, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      m_platform(platform)
{
    m_languageStart = kuvo::launcher::settleLanguage(*m_platform.system);

    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(kTitle);
    setWindowIcon(kuvo::launcher::productIcon());
    setFixedSize(7935 / 15, 6315 / 15);
    fill(this, kWindowColour);

    // Left column of pictures.
    for (int i = 0; i < 3; ++i) {
        m_image1[i] = make<QLabel>(this, QStringLiteral("Image1_%1").arg(i), QRect(16, 24 + 112 * i, 80, 80));
        m_image1[i]->setAlignment(Qt::AlignCenter);
    }
    m_image1[1]->setPixmap(kuvo::launcher::wizardPicture(80));

    m_lblTitle = make<QLabel>(this, QStringLiteral("lblTitle"), QRect(112, 12, 405, 32));
    QFont titleFont = m_lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    m_lblTitle->setFont(titleFont);
    m_lblTitle->setText(QStringLiteral("#102"));

    m_lblTitle2[0] = make<QLabel>(this, QStringLiteral("lblTitle2_0"), QRect(112, 50, 405, 72));
    m_lblTitle2[0]->setFrameShape(QFrame::Box);
    m_lblTitle2[0]->setMargin(6);
    m_lblTitle2[0]->setWordWrap(true);
    m_lblTitle2[0]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    fill(m_lblTitle2[0], QColor(232, 232, 255));
    m_lblTitle2[0]->setText(QStringLiteral("#103"));

    m_lblTitle2[1] = make<QLabel>(this, QStringLiteral("lblTitle2_1"), QRect(112, 128, 405, 22));
    QFont questionFont = m_lblTitle2[1]->font();
    questionFont.setBold(true);
    m_lblTitle2[1]->setFont(questionFont);
    m_lblTitle2[1]->setText(QStringLiteral("#102"));

    const QRect pageRect(112, 154, 405, 206);
    m_frameStep1 = make<QFrame>(this, QStringLiteral("FrameStep1"), pageRect);
    fill(m_frameStep1, kPageColour);
    m_frameEncrDecr = make<QFrame>(this, QStringLiteral("FrameEncrDecr"), pageRect);
    fill(m_frameEncrDecr, kPageColour);
    m_frameEncrDecr->hide();

    // The tasks, top to bottom, with their design captions.
    const struct {
        int member;
        const char* caption;
    } tasks[] = {{0, "#104"}, {8, "#145"}, {1, "#105"}, {6, "#110"}};
    int row = 0;
    for (const auto& task : tasks) {
        auto* opt = make<QRadioButton>(m_frameStep1, QStringLiteral("Opts_%1").arg(task.member),
                                       QRect(20, 18 + 46 * row++, 373, 30));
        opt->setText(QLatin1String(task.caption));
        m_opts[task.member] = opt;
        connect(opt, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                Opts_Click();
        });
    }
    for (int i = 0; i < 4; ++i)
        m_optEd[i] = make<QRadioButton>(m_frameEncrDecr, QStringLiteral("OptEd_%1").arg(i),
                                        QRect(20, 18 + 46 * i, 373, 30));
    m_optEd[0]->setChecked(true);

    auto* line = make<QFrame>(this, QStringLiteral("Line1"), QRect(112, 366, 405, 2));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    m_cmdOptions = make<QPushButton>(this, QStringLiteral("cmdOptions"), QRect(112, 378, 100, 30));
    m_cmdOptions->setText(QStringLiteral("#113"));
    m_cmdPrev = make<QPushButton>(this, QStringLiteral("CmdPrev"), QRect(229, 378, 92, 30));
    m_cmdPrev->setText(QStringLiteral("#111"));
    m_cmdPrev->setEnabled(false);
    m_cmdNext = make<QPushButton>(this, QStringLiteral("CmdNext"), QRect(325, 378, 92, 30));
    m_cmdNext->setText(QStringLiteral("#112"));
    m_cmdNext->setEnabled(false);
    m_cmdNext->setDefault(true);
    m_cmdCancel = make<QPushButton>(this, QStringLiteral("CmdCancel"), QRect(425, 378, 92, 30));
    m_cmdCancel->setText(QStringLiteral("#114"));

    connect(m_cmdNext, &QPushButton::clicked, this, &Form1::CmdNext_Click);
    connect(m_cmdPrev, &QPushButton::clicked, this, &Form1::CmdPrev_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QWidget::close);
    connect(m_cmdOptions, &QPushButton::clicked, this, &Form1::cmdOptions_Click);

    m_tray = new kuvo::launcher::TrayIcon(this);
    connect(m_tray, &kuvo::launcher::TrayIcon::MouseDown, this, &Form1::TrayIcon1_MouseDown);

    kuvo::LocalizeForm(this, {.toolTips = true});
    for (QLabel* label : {m_lblTitle, m_lblTitle2[0], m_lblTitle2[1]})
        label->setText(labelText(label->text()));

    const QPixmap picture = m_image1[1]->pixmap();
    m_image1[0]->setPixmap(picture);
    m_image1[2]->setPixmap(picture);

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

Form1::~Form1() = default;

void Form1::Opts_Click()
{
    m_cmdNext->setEnabled(true);
    const struct {
        int member;
        qint16 description;
    } order[] = {{0, 131}, {1, 132}, {6, 137}, {8, 148}};
    for (const auto& task : order) {
        if (m_opts[task.member]->isChecked()) {
            m_lblTitle2[0]->setText(labelText(LoadText(task.description)));
            return;
        }
    }
}

void Form1::CmdNext_Click()
{
    ++m_step;
    m_frameStep1->hide();
    m_frameEncrDecr->hide();
    m_cmdPrev->setEnabled(true);
    m_cmdNext->setEnabled(true);

    if (m_step == 2) {
        if (m_opts[0]->isChecked()) {
            showPage2();
            return;
        }
        if (m_opts[1]->isChecked()) {
            if (!startModule(QStringLiteral("quillnote")))
                return;
            m_opts[1]->setAutoExclusive(false);
            m_opts[1]->setChecked(false);
            m_opts[1]->setAutoExclusive(true);
            m_cmdNext->setEnabled(false);
            m_step = 1;
        } else if (m_opts[8]->isChecked()) {
            if (startModule(QStringLiteral("change")))
                close();
            return;
        } else if (m_opts[6]->isChecked()) {
            if (startModule(QStringLiteral("lock/Kuvo-Lock"), {QStringLiteral("/opt")}))
                close();
            return;
        }
    }
    if (m_step == 3 && m_opts[0]->isChecked()) {
        QStringList arguments;
        if (m_optEd[0]->isChecked())
            arguments << QStringLiteral("/filee");
        else if (m_optEd[2]->isChecked())
            arguments << QStringLiteral("/filed");
        if (startModule(QStringLiteral("crypt"), arguments))
            close();
        return;
    }
    if (m_step == 1)
        showPage1();
}

void Form1::CmdPrev_Click()
{
    // Previous is enabled only after a Next, so the step is at least 2 here.
    m_step = static_cast<quint8>(m_step >= 2 ? m_step - 2 : 0);
    CmdNext_Click();
}

void Form1::showPage1()
{
    m_lblTitle->setText(labelText(LoadText(102)));
    m_lblTitle2[0]->setText(labelText(LoadText(103)));
    m_lblTitle2[1]->setText(labelText(LoadText(102)));
    m_frameStep1->show();
    m_cmdPrev->setEnabled(false);
    focusChoice(m_frameStep1);
}

void Form1::showPage2()
{
    m_lblTitle->setText(labelText(pageTwoTitle()));
    m_lblTitle2[0]->setText(labelText(LoadText(116)));
    m_lblTitle2[1]->setText(labelText(LoadText(102)));
    const qint16 captions[] = {117, 118, 120, 121};
    for (int i = 0; i < 4; ++i)
        m_optEd[i]->setText(LoadText(captions[i]));
    m_frameEncrDecr->show();
    focusChoice(m_frameEncrDecr);
}

void Form1::focusChoice(QWidget* page)
{
    // Hiding the other page moved the focus away; Enter should go on with the page's choice.
    const auto options = page->findChildren<QRadioButton*>();
    for (QRadioButton* option : options) {
        if (option->isChecked()) {
            option->setFocus();
            return;
        }
    }
    if (!options.isEmpty())
        options.first()->setFocus();
}

bool Form1::startModule(const QString& program, const QStringList& arguments)
{
    // Always the suite's own module beside the launcher: a program of the same name
    // elsewhere on the PATH must never be started in its place.
    const QString path = QDir(kuvo::programsDir()).filePath(program);
    const kuvo::StartResult result = m_platform.processes->start(path, arguments);
    if (result.ok())
        return true;
    const QString text = result.status == kuvo::StartResult::Status::NotFound
                             ? LoadText(130)
                             : LoadText(129) + QLatin1Char(' ') + result.error;
    m_platform.dialogs->message(this, kTitle, text, kuvo::Buttons::Ok, kuvo::MessageIcon::Critical);
    return false;
}

void Form1::cmdOptions_Click()
{
    if (m_options) {
        m_options->raise();
        m_options->activateWindow();
        return;
    }
    m_options = new FrmOpt(m_platform, this);
    m_options->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_options, &FrmOpt::aboutRequested, this, [this] { showAbout(); });
    if (QScreen* screen = QGuiApplication::primaryScreen())
        m_options->move(screen->availableGeometry().center() - m_options->rect().center());
    m_options->show();
}

FrmInfo* Form1::showAbout(bool besideWizard)
{
    if (!m_about) {
        m_about = new FrmInfo(m_platform, this);
        m_about->setAttribute(Qt::WA_DeleteOnClose);
        if (besideWizard)
            placeBesideWizard(m_about);
        else if (QScreen* screen = QGuiApplication::primaryScreen())
            m_about->move(screen->availableGeometry().center() - m_about->rect().center());
    }
    if (m_about->isVisible()) {
        m_about->raise();
        m_about->activateWindow();
    }
    m_about->show();
    return m_about;
}

void Form1::placeBesideWizard(QWidget* window)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The other window is not shown yet: take its frame to be like the wizard's.
    const QSize frame = frameGeometry().size() - size();
    const int gap = 8;
    const auto place = kuvo::launcher::placeBeside(screen->availableGeometry(), frameGeometry(),
                                                   window->size() + frame, gap);
    move(place.wizard);
    window->move(place.window);
}

void Form1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        // After the window is on screen, so the about window and any message find it.
        QTimer::singleShot(0, this, &Form1::firstShown);
    }
}

void Form1::firstShown()
{
    if (m_languageStart.firstRun)
        showAbout(true);
    if (!m_languageStart.saveError.isEmpty())
        m_platform.dialogs->message(this, kTitle,
                                    LoadText(260) + QLatin1Char(' ') + m_languageStart.saveError,
                                    kuvo::Buttons::Ok, kuvo::MessageIcon::Warning);
}

void Form1::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized())
        return;
    // Without a notification area the window stays minimised in the task bar:
    // hiding it there would leave no way back.
    if (!m_tray->isAvailable())
        return;
    QTimer::singleShot(0, this, [this] {
        if (isMinimized() && isVisible() && m_tray->ShowIcon())
            hide();
    });
}

void Form1::TrayIcon1_MouseDown(int, int)
{
    m_tray->HideIcon();
    showNormal();
    raise();
    activateWindow();
}

void Form1::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() & ~(Qt::KeypadModifier)) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A focused button takes Enter itself; elsewhere Enter is Next.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled()) {
            button->click();
        } else if (m_cmdNext->isEnabled() && m_cmdNext->isVisible()) {
            m_cmdNext->click();
        }
        return;
    case Qt::Key_Escape:
        m_cmdCancel->click();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (m_options)
        m_options->close();
    if (m_about)
        m_about->close();
    m_tray->HideIcon();
    event->accept();
}
