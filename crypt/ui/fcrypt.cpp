#include "fcrypt.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTime>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "cmdmail.h"
#include "common/catalogue.h"
#include "common/links.h"
#include "common/localize.h"
#include "common/secure.h"
#include "common/ucshape.h"
#include "crypt/cipher/passphrase_key.h"
#include "crypt/core/cmdline.h"
#include "crypt/core/decrypt_files.h"
#include "crypt/core/encrypt_files.h"
#include "crypt/core/passphrase_rating.h"
#include "crypt/core/text_crypt.h"
#include "frmtast.h"
#include "gauge.h"
#include "pictures.h"

using kuvo::LoadText;
namespace textcrypt = kuvo::textcrypt;

namespace {

// Long work processes events at most this often; a Cancel click waits no longer than that.
constexpr qint64 kYieldSpacingMs = 10;
// How long a closed Crypt goes on serving a hand-over that Change has not fetched yet.
constexpr qint64 kHandoverGraceMs = 5000;
// Width of the passphrase panel at 96 dpi: the gauge sits at fixed places in it.
constexpr int kPasswordPanelWidth = 720;

std::u16string_view view(const QString& s)
{
    return {reinterpret_cast<const char16_t*>(s.utf16()), std::size_t(s.size())};
}

// A panel whose children are placed by hand, at the design's positions.
class PlacedPanel : public QFrame {
public:
    using QFrame::QFrame;
    std::function<void()> arrange;
    QSize hint{kPasswordPanelWidth, 180};
    QSize sizeHint() const override { return hint; }
    QSize minimumSizeHint() const override { return hint; }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QFrame::resizeEvent(event);
        if (arrange)
            arrange();
    }
};

template <typename W, typename... Args> W* named(const QString& name, Args&&... args)
{
    auto* w = new W(std::forward<Args>(args)...);
    w->setObjectName(name);
    return w;
}

QLabel* wrappedLabel(const QString& name, const QString& caption, QWidget* parent)
{
    auto* l = named<QLabel>(name, caption, parent);
    l->setWordWrap(true);
    return l;
}

// Room around a button's caption, which the compact default style leaves tight.
constexpr int kButtonPadding = 16;

int buttonWidth(const QPushButton* button, int minimum)
{
    return std::max(minimum, button->sizeHint().width() + kButtonPadding);
}

int currentSecondOfDay()
{
    return QTime::currentTime().msecsSinceStartOfDay() / 1000;
}

} // namespace

// Reports EncryptData/DecryptData progress to ProgressBar1 and yields to the window.
class FCrypt::Observer : public kuvo::CipherObserver {
public:
    explicit Observer(FCrypt& window) : m_window(window) {}

    void progressRange(float minimum, float maximum) override
    {
        m_window.ProgressBar1->setRange(int(minimum), int(maximum));
        m_window.ProgressBar1->setValue(int(minimum));
        m_pending = -1;
    }
    void progressValue(float value) override
    {
        m_pending = int(value);
        // The last step is drawn at once; the others wait for the next yield.
        if (m_pending >= m_window.ProgressBar1->maximum())
            flush();
    }
    void yieldNow() override { m_window.yieldToUi(); }

    void flush()
    {
        if (m_pending >= 0)
            m_window.ProgressBar1->setValue(m_pending);
        m_pending = -1;
    }

private:
    FCrypt& m_window;
    int m_pending = -1;
};

FCrypt::CipherRun::CipherRun(FCrypt& window) : m_window(window), m_cipher(std::make_unique<kuvo::CRijndael>())
{
    m_cipher->setObserver(m_window.m_observer.get());
    m_window.ActiveCipher = m_cipher.get();
}

FCrypt::CipherRun::~CipherRun()
{
    m_window.ActiveCipher = nullptr;
}

FCrypt::FCrypt(const kuvo::Platform& platform, const QString& commandLine, QWidget* parent)
    : QWidget(parent), m_platform(platform), m_observer(std::make_unique<Observer>(*this))
{
    secondOfDay = currentSecondOfDay;
    findDataFile = [](const QString& name) { return kuvo::findDataFile(name); };

    setObjectName(QStringLiteral("FCrypt"));
    setWindowTitle(QStringLiteral("Kuvo-Crypt SE™ Lite"));
    buildWindow();

    kuvo::LocalizeForm(this);
    for (QTabBar* tabs : {TabStr, TabFileCrypt})
        for (int i = 0; i < tabs->count(); ++i)
            tabs->setTabText(i, LoadText(qint16(tabs->tabText(i).toInt())));
    for (QPushButton* b : {CmdReturn, CmdAdCryptdfile, CmdDelCryptFiles, CmdCancel})
        b->setMinimumWidth(buttonWidth(b, 0));
    layoutPasswordPanel();

    applyCommandLine(commandLine);
    TabStr_Click();
    TabFileCrypt_Click();
    TxtCode_Change();
}

FCrypt::~FCrypt()
{
    delete m_tast;
}

// --- Building the window -----------------------------------------------------------

void FCrypt::buildWindow()
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(12, 10, 12, 12);
    outer->setSpacing(8);

    auto* top = new QHBoxLayout;
    lblTitle = named<QLabel>(QStringLiteral("lblTitle"), QStringLiteral("Kuvo-Crypt"), this);
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    CmdReturn = named<QPushButton>(QStringLiteral("CmdReturn"), QStringLiteral("#182"), this);
    connect(CmdReturn, &QPushButton::clicked, this, &FCrypt::CmdReturn_Click);
    top->addWidget(lblTitle);
    top->addStretch(1);
    top->addWidget(CmdReturn);
    outer->addLayout(top);

    // The rounded frame lies behind the working area, in the same cell of the grid.
    auto* stage = new QGridLayout;
    ucShape1 = named<kuvo::UcShape>(QStringLiteral("ucShape1"), this);
    ucShape1->readProperties({{QStringLiteral("ForeColor"), 0},
                              {QStringLiteral("Rounding"), 20},
                              {QStringLiteral("FillColor"), kuvo::kSystemButtonFace}});
    stage->addWidget(ucShape1, 0, 0);

    auto* content = new QWidget(this);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(14, 12, 14, 12);
    column->setSpacing(0);
    TabStr = named<QTabBar>(QStringLiteral("TabStr"), content);
    TabStr->addTab(QStringLiteral("166"));
    TabStr->addTab(QStringLiteral("167"));
    TabStr->setExpanding(false);
    TabStr->setDrawBase(false);
    connect(TabStr, &QTabBar::currentChanged, this, &FCrypt::TabStr_Click);
    column->addWidget(TabStr);

    auto* work = new QFrame(content);
    work->setFrameShape(QFrame::StyledPanel);
    auto* panels = new QGridLayout(work);
    panels->setContentsMargins(10, 10, 10, 10);
    panels->addWidget(buildTextPanel(), 0, 0);
    panels->addWidget(buildFilePanel(), 0, 0);
    panels->addWidget(buildBusyPanel(), 0, 0);
    column->addWidget(work, 1);
    column->addSpacing(10);
    column->addWidget(buildPasswordPanel());
    stage->addWidget(content, 0, 0);
    outer->addLayout(stage, 1);

    TmrCount = named<QTimer>(QStringLiteral("TmrCount"), this);
    TmrCount->setInterval(800);
    connect(TmrCount, &QTimer::timeout, this, &FCrypt::TmrCount_Timer);
}

QWidget* FCrypt::buildTextPanel()
{
    Frame[0] = named<QFrame>(QStringLiteral("Frame_0"));
    auto* box = new QVBoxLayout(Frame[0]);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(named<QLabel>(QStringLiteral("Label2"), QStringLiteral("#165"), Frame[0]));
    txtResults = named<kuvo::TextBox>(QStringLiteral("txtResults"), Frame[0]);
    // Base64 lines of 76 characters line up in a fixed-width font.
    txtResults->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txtResults->setMinimumHeight(200);
    box->addWidget(txtResults, 1);
    QSizePolicy keep = Frame[0]->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    Frame[0]->setSizePolicy(keep);
    return Frame[0];
}

QWidget* FCrypt::buildFilePanel()
{
    Frame[1] = named<QFrame>(QStringLiteral("Frame_1"));
    auto* box = new QVBoxLayout(Frame[1]);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    TabFileCrypt = named<QTabBar>(QStringLiteral("TabFileCrypt"), Frame[1]);
    TabFileCrypt->addTab(QStringLiteral("183"));
    TabFileCrypt->addTab(QStringLiteral("184"));
    TabFileCrypt->setExpanding(false);
    connect(TabFileCrypt, &QTabBar::currentChanged, this, &FCrypt::TabFileCrypt_Click);
    box->addWidget(TabFileCrypt);

    auto* stack = new QGridLayout;
    stack->setContentsMargins(0, 8, 0, 0);
    box->addLayout(stack, 1);

    // Encrypt: the input list with its buttons, and the container to write.
    FramFileEnrypt = named<QFrame>(QStringLiteral("FramFileEnrypt"), Frame[1]);
    auto* enc = new QGridLayout(FramFileEnrypt);
    enc->setContentsMargins(0, 0, 0, 0);
    enc->setVerticalSpacing(4);
    enc->addWidget(wrappedLabel(QStringLiteral("Label4"), QStringLiteral("#144"), FramFileEnrypt), 0, 0, 1,
                   3);
    enc->addWidget(named<QLabel>(QStringLiteral("Label5"), QStringLiteral("#145"), FramFileEnrypt), 1, 0,
                   Qt::AlignBottom);
    LstCryptFiles = named<QListWidget>(QStringLiteral("LstCryptFiles"), FramFileEnrypt);
    // Rows keep their whole path: long paths scroll sideways instead of being cut.
    LstCryptFiles->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    LstCryptFiles->setTextElideMode(Qt::ElideNone);
    LstCryptFiles->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    LstCryptFiles->setMinimumHeight(90);
    LstCryptFiles->setAcceptDrops(true);
    LstCryptFiles->viewport()->setAcceptDrops(true);
    LstCryptFiles->viewport()->installEventFilter(this);
    LstCryptFiles->installEventFilter(this);
    enc->addWidget(LstCryptFiles, 2, 0, 1, 2);
    auto* side = new QVBoxLayout;
    OptFiles = named<QRadioButton>(QStringLiteral("OptFiles"), QStringLiteral("#192"), FramFileEnrypt);
    OptDirs = named<QRadioButton>(QStringLiteral("OptDirs"), QStringLiteral("#193"), FramFileEnrypt);
    OptFiles->setChecked(true);
    CmdAdCryptdfile =
        named<QPushButton>(QStringLiteral("CmdAdCryptdfile"), QStringLiteral("#179"), FramFileEnrypt);
    CmdDelCryptFiles =
        named<QPushButton>(QStringLiteral("CmdDelCryptFiles"), QStringLiteral("#180"), FramFileEnrypt);
    side->addWidget(OptFiles);
    side->addWidget(OptDirs);
    side->addSpacing(6);
    side->addWidget(CmdAdCryptdfile);
    side->addWidget(CmdDelCryptFiles);
    side->addStretch(1);
    enc->addLayout(side, 2, 2);
    enc->addWidget(named<QLabel>(QStringLiteral("Label6"), QStringLiteral("#146"), FramFileEnrypt), 3, 0);
    TxtEncrFileName = named<QLineEdit>(QStringLiteral("TxtEncrFileName"), FramFileEnrypt);
    CmdBrowseCryptOut =
        named<QPushButton>(QStringLiteral("CmdBrowseCryptOut"), QStringLiteral("..."), FramFileEnrypt);
    enc->addWidget(TxtEncrFileName, 4, 0, 1, 2);
    enc->addWidget(CmdBrowseCryptOut, 4, 2, Qt::AlignLeft);
    ChkEraseEncr = named<QCheckBox>(QStringLiteral("ChkEraseEncr"), QStringLiteral("#147"), FramFileEnrypt);
    enc->addWidget(ChkEraseEncr, 5, 0, 1, 3);
    enc->setColumnStretch(0, 1);
    enc->setRowStretch(2, 1);
    stack->addWidget(FramFileEnrypt, 0, 0);
    connect(CmdAdCryptdfile, &QPushButton::clicked, this, &FCrypt::CmdAdCryptdfile_Click);
    connect(CmdDelCryptFiles, &QPushButton::clicked, this, &FCrypt::CmdDelCryptFiles_Click);
    connect(CmdBrowseCryptOut, &QPushButton::clicked, this, &FCrypt::CmdBrowseCryptOut_Click);

    // Decrypt: the container and the folder to restore into.
    FramFileDecrypt = named<QFrame>(QStringLiteral("FramFileDecrypt"), Frame[1]);
    auto* dec = new QGridLayout(FramFileDecrypt);
    dec->setContentsMargins(0, 0, 0, 0);
    dec->setVerticalSpacing(4);
    auto* heading = named<QLabel>(QStringLiteral("Label8"), QStringLiteral("#148"), FramFileDecrypt);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    dec->addWidget(heading, 0, 0, 1, 2);
    dec->addWidget(named<QLabel>(QStringLiteral("Label9"), QStringLiteral("#154"), FramFileDecrypt), 1, 0, 1,
                   2);
    TxtDecrFile = named<QLineEdit>(QStringLiteral("TxtDecrFile"), FramFileDecrypt);
    Command7 = named<QPushButton>(QStringLiteral("Command7"), QStringLiteral("..."), FramFileDecrypt);
    dec->addWidget(TxtDecrFile, 2, 0);
    dec->addWidget(Command7, 2, 1);
    dec->addItem(new QSpacerItem(0, 8), 3, 0);
    dec->addWidget(named<QLabel>(QStringLiteral("Label10"), QStringLiteral("#153"), FramFileDecrypt), 4, 0, 1,
                   2);
    TxtDecrOutPath = named<QLineEdit>(QStringLiteral("TxtDecrOutPath"), FramFileDecrypt);
    CmdBrowseOutPath =
        named<QPushButton>(QStringLiteral("CmdBrowseOutPath"), QStringLiteral("..."), FramFileDecrypt);
    dec->addWidget(TxtDecrOutPath, 5, 0);
    dec->addWidget(CmdBrowseOutPath, 5, 1);
    dec->setRowStretch(6, 1);
    dec->setColumnStretch(0, 1);
    stack->addWidget(FramFileDecrypt, 0, 0);
    connect(TxtDecrFile, &QLineEdit::textChanged, this, &FCrypt::TxtDecrFile_Change);
    TxtDecrOutPath->installEventFilter(this);
    connect(Command7, &QPushButton::clicked, this, &FCrypt::Command7_Click);
    connect(CmdBrowseOutPath, &QPushButton::clicked, this, &FCrypt::CmdBrowseOutPath_Click);

    for (QPushButton* dots : {CmdBrowseCryptOut, Command7, CmdBrowseOutPath})
        dots->setFixedWidth(36);
    for (QWidget* w : {static_cast<QWidget*>(Frame[1]), static_cast<QWidget*>(FramFileEnrypt),
                       static_cast<QWidget*>(FramFileDecrypt)}) {
        QSizePolicy keep = w->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        w->setSizePolicy(keep);
    }
    return Frame[1];
}

QWidget* FCrypt::buildTrafficLight(const QString& name, const QString& housingName, int firstLamp,
                                   bool redOnTop)
{
    // Housing 375 x 855 twips, lamps 375 x 255 twips at left 120, tops 30 / 300 / 570.
    auto* light = named<QWidget>(name);
    light->setFixedSize(41, 58);
    auto* housing = new kuvo::ShapeBox(QColor(192, 192, 192), light);
    housing->setObjectName(housingName);
    housing->setGeometry(8, 0, 25, 57);
    const QColor colours[3] = {QColor(255, 0, 0), QColor(255, 255, 0), QColor(0, 255, 0)};
    const int tops[3] = {2, 20, 38};
    for (int k = 0; k < 3; ++k) {
        // The passphrase light counts down from red (0, 1, 2); the working light counts up to red (3, 4, 5).
        const int index = redOnTop ? firstLamp + k : firstLamp + 2 - k;
        auto* lamp = new kuvo::Lamp(colours[k], light);
        lamp->setObjectName(QStringLiteral("AmpelL_%1").arg(index));
        lamp->setGeometry(8, tops[k], 25, 17);
        AmpelL[std::size_t(index)] = lamp;
    }
    return light;
}

QWidget* FCrypt::buildBusyPanel()
{
    FrameW = named<QFrame>(QStringLiteral("FrameW"));
    FrameW->setFrameShape(QFrame::StyledPanel);
    FrameW->setAutoFillBackground(true);
    FrameW->setCursor(Qt::ArrowCursor); // Cancel stays an ordinary button while the window is busy
    auto* box = new QVBoxLayout(FrameW);
    box->setContentsMargins(24, 16, 24, 16);
    box->addStretch(1);
    Label7 = wrappedLabel(QStringLiteral("Label7"), QStringLiteral("#143"), FrameW);
    Label7->setAlignment(Qt::AlignCenter);
    box->addWidget(Label7);
    box->addSpacing(14);

    auto* row = new QHBoxLayout;
    row->setSpacing(14);
    PictArbeitampel =
        buildTrafficLight(QStringLiteral("PictArbeitampel"), QStringLiteral("Shape2"), 3, false);
    PictArbeitampel->setParent(FrameW);
    PictArbeitampel->hide();
    row->addWidget(PictArbeitampel);
    auto* bars = new QVBoxLayout;
    ProgressBar1 = named<QProgressBar>(QStringLiteral("ProgressBar1"), FrameW);
    ProgressBar2 = named<QProgressBar>(QStringLiteral("ProgressBar2"), FrameW);
    for (QProgressBar* bar : {ProgressBar1, ProgressBar2}) {
        bar->setTextVisible(false);
        bar->setValue(0);
        bars->addWidget(bar);
    }
    row->addLayout(bars, 1);
    auto* clock = new QHBoxLayout;
    clock->setSpacing(1);
    for (int i = 0; i < 5; ++i) {
        auto* img = named<QLabel>(QStringLiteral("ImgCount_%1").arg(i), FrameW);
        img->setPixmap(i == 2 ? kuvo::pictures::separator() : kuvo::pictures::digit(0));
        img->setFixedSize(i == 2 ? kuvo::pictures::kSeparatorSize : kuvo::pictures::kDigitSize);
        ImgCount[std::size_t(i)] = img;
        clock->addWidget(img);
    }
    row->addLayout(clock);
    box->addLayout(row);
    box->addSpacing(14);

    CmdCancel = named<QPushButton>(QStringLiteral("CmdCancel"), QStringLiteral("#150"), FrameW);
    CmdCancel->setMinimumWidth(110);
    connect(CmdCancel, &QPushButton::clicked, this, &FCrypt::CmdCancel_Click);
    auto* cancelRow = new QHBoxLayout;
    cancelRow->addStretch(1);
    cancelRow->addWidget(CmdCancel);
    cancelRow->addStretch(1);
    box->addLayout(cancelRow);
    box->addStretch(1);

    QSizePolicy keep = FrameW->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    FrameW->setSizePolicy(keep);
    FrameW->hide();
    return FrameW;
}

QWidget* FCrypt::buildPasswordPanel()
{
    auto* panel = new PlacedPanel;
    panel->setObjectName(QStringLiteral("FramePwd"));
    panel->arrange = [this] { layoutPasswordPanel(); };
    FramePwd = panel;

    named<QLabel>(QStringLiteral("LabCodeb"), QStringLiteral("#149"), FramePwd)->setWordWrap(true);
    TxtCode = named<QLineEdit>(QStringLiteral("TxtCode"), FramePwd);
    // The design's mask character.
    TxtCode->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    TxtCode->setEchoMode(QLineEdit::Password);
    connect(TxtCode, &QLineEdit::textChanged, this, &FCrypt::TxtCode_Change);
    ChkHPwd = named<QCheckBox>(QStringLiteral("ChkHPwd"), QStringLiteral("#158"), FramePwd);
    ChkHPwd->setChecked(true);
    connect(ChkHPwd, &QCheckBox::toggled, this, &FCrypt::ChkHPwd_Click);
    cmdPassgen = named<QPushButton>(QStringLiteral("cmdPassgen"), QStringLiteral("#155"), FramePwd);
    connect(cmdPassgen, &QPushButton::clicked, this, &FCrypt::cmdPassgen_Click);
    Command3 = named<QPushButton>(QStringLiteral("Command3"), QStringLiteral("#156"), FramePwd);
    connect(Command3, &QPushButton::clicked, this, &FCrypt::Command3_Click);

    named<QLabel>(QStringLiteral("Label1"), QStringLiteral("#159"), FramePwd);
    PictAmpel = buildTrafficLight(QStringLiteral("PictAmpel"), QStringLiteral("Shape1"), 0, true);
    PictAmpel->setParent(FramePwd);
    AmpelL[0]->setOn(true);
    const QPixmap solid = kuvo::pictures::key(true);
    const QPixmap faded = kuvo::pictures::key(false);
    for (int i = 1; i <= 5; ++i) {
        SchlusselPlatz[std::size_t(i)] = named<QLabel>(QStringLiteral("SchlusselPlatz_%1").arg(i), FramePwd);
        Stern[std::size_t(i)] = named<QLabel>(QStringLiteral("Stern_%1").arg(i), FramePwd);
        for (QLabel* k : {SchlusselPlatz[std::size_t(i)], Stern[std::size_t(i)]}) {
            k->setScaledContents(true);
            k->setPixmap(k == Stern[std::size_t(i)] ? solid : faded);
        }
        Stern[std::size_t(i)]->hide();
    }
    Label3 = wrappedLabel(QStringLiteral("Label3"), QString(), FramePwd);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Command1 = named<QPushButton>(QStringLiteral("Command1"), QStringLiteral("#161"), FramePwd);
    Command2 = named<QPushButton>(QStringLiteral("Command2"), QStringLiteral("#162"), FramePwd);
    Command4 = named<QPushButton>(QStringLiteral("Command4"), QStringLiteral("#163"), FramePwd);
    Command5 = named<QPushButton>(QStringLiteral("Command5"), QStringLiteral("#164"), FramePwd);
    connect(Command4, &QPushButton::clicked, this, &FCrypt::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &FCrypt::Command5_Click);
    CmdMail = named<QPushButton>(QStringLiteral("CmdMail"), QStringLiteral("#181"), FramePwd);
    LblLink = new kuvo::LinkLabel(QStringLiteral("#160"), FramePwd);
    LblLink->setObjectName(QStringLiteral("LblLink"));
    connect(Command1, &QPushButton::clicked, this, &FCrypt::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &FCrypt::Command2_Click);
    connect(CmdMail, &QPushButton::clicked, this, [this] {
        kuvo::sendByMail(this, TabStr->currentIndex() + 1, txtResults->toPlainText(), LastContainer,
                         kuvo::LangOffset, m_platform);
    });
    connect(LblLink, &kuvo::LinkLabel::clicked, this, &FCrypt::LblLink_Click);
    return FramePwd;
}

// Keys at left 4200 + 360 (i - 1), top 1035 twips; the rest flows around them.
void FCrypt::layoutPasswordPanel()
{
    auto* panel = static_cast<PlacedPanel*>(FramePwd);
    auto* hint = FramePwd->findChild<QLabel*>(QStringLiteral("LabCodeb"));
    auto* quality = FramePwd->findChild<QLabel*>(QStringLiteral("Label1"));
    const int width = qMax(FramePwd->width(), kPasswordPanelWidth);
    const int left = 12;

    const int hintHeight = qMax(34, hint->heightForWidth(width - 2 * left));
    hint->setGeometry(left, 6, width - 2 * left, hintHeight);
    const int down = hintHeight - 34; // a hint longer than two lines moves everything below it

    const int boxHeight = TxtCode->sizeHint().height();
    TxtCode->setGeometry(left, 46 + down, 208, boxHeight);
    int y = 46 + down + boxHeight + 6;
    ChkHPwd->setGeometry(left, y, ChkHPwd->sizeHint().width(), ChkHPwd->sizeHint().height());
    y += ChkHPwd->sizeHint().height() + 6;
    PictAmpel->move(232, 44 + down);
    quality->setGeometry(280, 46 + down, quality->sizeHint().width(), quality->sizeHint().height());
    for (int i = 1; i <= 5; ++i) {
        const QRect spot(280 + 24 * (i - 1), 69 + down, 24, 24);
        Stern[std::size_t(i)]->setGeometry(spot);
        SchlusselPlatz[std::size_t(i)]->setGeometry(spot);
    }
    // The verdict takes the room right of the keys.
    const int verdictLeft = 410;
    const int verdictWidth = width - verdictLeft - left;
    const int verdictHeight = qMax(Label3->heightForWidth(verdictWidth), Label3->fontMetrics().height() * 3);
    Label3->setGeometry(verdictLeft, 69 + down, verdictWidth, verdictHeight);
    const int verdictBottom = 69 + down + verdictHeight;

    // The passphrase aids go below the box and the light, or below the verdict when too wide to pass it.
    y = std::max(y, PictAmpel->geometry().bottom() + 8);
    const int buttonHeight = cmdPassgen->sizeHint().height();
    const int gen = buttonWidth(cmdPassgen, 110);
    const int keyboard = buttonWidth(Command3, 0);
    if (left + gen + 6 + keyboard > verdictLeft - 8)
        y = std::max(y, verdictBottom + 6);
    cmdPassgen->setGeometry(left, y, gen, buttonHeight);
    Command3->setGeometry(left + gen + 6, y, keyboard, buttonHeight);
    const int bottom = std::max({y + buttonHeight, PictAmpel->geometry().bottom(), verdictBottom});

    // Action buttons: one slot for Encrypt text / Encrypt files / Decrypt files, which never show together.
    const int actionTop = bottom + 14;
    const int actionHeight = Command1->sizeHint().height();
    int slot = 0;
    for (QPushButton* b : {Command1, Command4, Command5})
        slot = qMax(slot, buttonWidth(b, 120));
    for (QPushButton* b : {Command1, Command4, Command5})
        b->setGeometry(left, actionTop, slot, actionHeight);
    const int second = buttonWidth(Command2, 120);
    Command2->setGeometry(left + slot + 8, actionTop, second, actionHeight);
    const QSize link = LblLink->sizeHint();
    LblLink->setGeometry(left + slot + 8 + second + 16, actionTop + (actionHeight - link.height()) / 2,
                         link.width(), link.height());
    const int mail = buttonWidth(CmdMail, 120);
    CmdMail->setGeometry(width - left - mail, actionTop, mail, actionHeight);

    const QSize wanted(kPasswordPanelWidth, actionTop + actionHeight + 8);
    if (panel->hint != wanted) {
        panel->hint = wanted;
        panel->updateGeometry();
    }
}

// --- Command line ------------------------------------------------------------------

void FCrypt::applyCommandLine(const QString& commandLine)
{
    using Rule = kuvo::CryptCommandLine::Rule;
    const kuvo::CryptCommandLine parsed = kuvo::ParseCryptCommandLine(commandLine);
    switch (parsed.rule) {
    case Rule::SetEncrFiles:
        for (const QString& token : parsed.inputTokens)
            AddUniqueFile(token);
        if (!parsed.inputTokens.isEmpty()) {
            setListTag(QStringLiteral("d"));
            OptDirs->setEnabled(false);
        }
        if (parsed.outputFile)
            TxtEncrFileName->setText(*parsed.outputFile);
        break;
    case Rule::SetDecrFile:
        TxtDecrFile->setText(parsed.decryptFile);
        break;
    case Rule::Usage:
        showMessage(
            kuvo::CryptUsageText(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName()));
        break;
    default:
        break;
    }
    TabStr->setCurrentIndex(parsed.mainTab - 1);
    TabFileCrypt->setCurrentIndex(parsed.fileTab - 1);
}

// --- Tabs --------------------------------------------------------------------------

void FCrypt::TabStr_Click()
{
    const int tab = TabStr->currentIndex() + 1;
    Frame[0]->hide();
    Frame[1]->hide();
    Frame[std::size_t(tab - 1)]->show();
    if (tab == 2) {
        Command4->show();
        Command5->show();
        TabFileCrypt_Click();
    } else {
        Command4->hide();
        Command5->hide();
    }
    for (QWidget* w :
         {static_cast<QWidget*>(Command1), static_cast<QWidget*>(Command2), static_cast<QWidget*>(LblLink)})
        w->setVisible(tab == 1);
}

void FCrypt::TabFileCrypt_Click()
{
    const int i = TabFileCrypt->currentIndex() + 1;
    // The file buttons belong to the file panel: on the text panel they stay hidden.
    const bool filePanel = TabStr->currentIndex() == 1;
    FramFileEnrypt->setVisible(i == 1);
    FramFileDecrypt->setVisible(i == 2);
    Command4->setVisible(filePanel && i == 1);
    Command5->setVisible(filePanel && i == 2);
}

// --- Busy display ------------------------------------------------------------------

void FCrypt::SetBusy(bool busy, bool noProgress)
{
    m_busy = busy;
    if (busy) {
        PictAmpel->hide();
        FrameW->show();
        FrameW->raise();
        setCursor(Qt::WaitCursor);
        for (QWidget* w : {static_cast<QWidget*>(Frame[0]), static_cast<QWidget*>(Frame[1]),
                           static_cast<QWidget*>(FramePwd), static_cast<QWidget*>(TabStr)})
            w->setEnabled(false);
        if (noProgress) {
            ProgressBar1->hide();
            ProgressBar2->hide();
            for (QLabel* img : ImgCount)
                img->hide();
            PictArbeitampel->hide();
        } else {
            ProgressBar1->setValue(ProgressBar1->minimum());
            ProgressBar2->setValue(ProgressBar2->minimum());
            TmrCount_Timer(); // timer still stopped: this starts the clock
            TmrCount->start();
        }
    } else {
        FrameW->hide();
        PictAmpel->show();
        unsetCursor();
        for (QWidget* w : {static_cast<QWidget*>(Frame[0]), static_cast<QWidget*>(Frame[1]),
                           static_cast<QWidget*>(FramePwd), static_cast<QWidget*>(TabStr)})
            w->setEnabled(true);
        PictArbeitampel->hide();
        if (noProgress) {
            ProgressBar1->show();
            ProgressBar2->show();
            for (QLabel* img : ImgCount)
                img->show();
        } else {
            TmrCount->stop();
        }
    }
    QCoreApplication::processEvents();
    m_sinceYield.invalidate(); // the first yield of the work that follows runs at once
    if (!busy && m_closeRequested)
        QMetaObject::invokeMethod(this, &FCrypt::finishPendingClose, Qt::QueuedConnection);
}

// A close or "Return to main menu" asked for during a run, carried out now that it has ended.
void FCrypt::finishPendingClose()
{
    if (m_busy || !m_closeRequested)
        return;
    m_closeRequested = false;
    if (m_returnRequested) {
        m_returnRequested = false;
        CmdReturn_Click();
    } else {
        close();
    }
}

void FCrypt::yieldToUi()
{
    if (m_sinceYield.isValid() && m_sinceYield.elapsed() < kYieldSpacingMs)
        return;
    m_observer->flush();
    QCoreApplication::processEvents();
    m_sinceYield.start();
}

kuvo::CipherObserver& FCrypt::cipherObserver()
{
    return *m_observer;
}

void FCrypt::showDigit(int index, int digit)
{
    ImgCount[std::size_t(index)]->setPixmap(kuvo::pictures::digit(digit));
}

void FCrypt::TmrCount_Timer()
{
    const int now = secondOfDay();
    if (!TmrCount->isActive()) {
        ClockStart = now;
        for (int i : {1, 0, 3, 4})
            showDigit(i, 0);
        ClockMinutes = 0;
        return;
    }
    int elapsed = now - ClockStart;
    if (elapsed < 0) { // midnight has passed
        ClockStart -= 86400;
        elapsed = now - ClockStart;
    }
    const int s = elapsed % 60;
    const int m = (elapsed / 60) % 100;
    showDigit(4, s % 10);
    showDigit(3, s / 10);
    if (m != ClockMinutes) {
        ClockMinutes = qint16(m);
        showDigit(1, m % 10);
        showDigit(0, m / 10);
    }
}

void FCrypt::CmdCancel_Click()
{
    CancelFlag = true;
    if (ActiveCipher)
        ActiveCipher->cancel();
}

void FCrypt::closeEvent(QCloseEvent* event)
{
    // Closing during a run cancels it; the window closes once the run has ended.
    if (m_busy) {
        m_closeRequested = true;
        CmdCancel_Click();
        event->ignore();
        return;
    }
    // Change fetches the list just after it starts: closed at once, Crypt waits for
    // that (a few seconds at most), or Change would find nothing to erase.
    if (m_handover.isServing() && m_handover.servedCount() == 0 && m_sinceHandover.isValid() &&
        m_sinceHandover.elapsed() < kHandoverGraceMs) {
        event->ignore();
        if (!m_closeAfterHandover) {
            m_closeAfterHandover = true;
            setEnabled(false);
            // The list is written once the event loop has run a little: close a moment later.
            connect(&m_handover, &kuvo::HandoverServer::served, this,
                    [this] { QTimer::singleShot(300, this, &QWidget::close); });
            QTimer::singleShot(int(kHandoverGraceMs - m_sinceHandover.elapsed()) + 50, this, &QWidget::close);
        }
        return;
    }
    if (m_tast)
        m_tast->close();
    QWidget::closeEvent(event);
}

void FCrypt::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        layoutPasswordPanel();
}

// --- Buttons and small operations --------------------------------------------------------

void FCrypt::showMessage(const QString& text, const QString& title)
{
    m_platform.dialogs->message(this, title, text, kuvo::Buttons::Ok);
}

void FCrypt::refuse(int textId)
{
    showMessage(LoadText(qint16(textId)));
}

void FCrypt::CmdReturn_Click()
{
    if (m_busy) { // the run is cancelled first; the launcher starts once it has ended
        m_returnRequested = true;
        close();
        return;
    }
    m_platform.processes->start(QStringLiteral("varnhold"), {}); // a failure is ignored
    close();
}

void FCrypt::LblLink_Click()
{
    showMessage(LoadText(191));
    m_platform.desktop->openUrl(QUrl(kuvo::cryptOnlineUrl()));
}

bool FCrypt::FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

bool FCrypt::DirExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

QString FCrypt::BrowseForFolder(const QString& title)
{
    return m_platform.dialogs->browseFolder(this, title);
}

QString FCrypt::listTag() const
{
    return m_list.tag();
}

void FCrypt::setListTag(const QString& tag)
{
    m_list.setTag(tag);
}

// --- Input list ----------------------------------------------------------------------

bool FCrypt::AddUniqueFile(const QString& path)
{
    if (!m_list.AddUniqueFile(path))
        return false;
    LstCryptFiles->addItem(m_list.entries().last());
    return true;
}

// The directory scan of Add and of a dropped folder, with only the waiting text and Cancel shown.
void FCrypt::addDirectoryTree(const QString& folder)
{
    SetBusy(true, true);
    CancelFlag = false;
    kuvo::TreeScanHooks hooks;
    hooks.yield = [this] { yieldToUi(); };
    hooks.cancelled = [this] { return CancelFlag; };
    hooks.added = [this](const QString& path) { LstCryptFiles->addItem(path); };
    kuvo::AddDirectoryTree(m_list, folder, hooks);
    SetBusy(false, true);
}

void FCrypt::suggestContainerName(const QString& folder)
{
    TxtEncrFileName->setText(kuvo::MakeContainerName(folder));
}

void FCrypt::CmdAdCryptdfile_Click()
{
    if (!OptFiles->isEnabled() && !OptDirs->isEnabled())
        return; // directory mode takes nothing more
    if (OptFiles->isChecked()) {
        const QStringList chosen = m_platform.dialogs->openFiles(this, LoadText(121), LoadText(109));
        if (chosen.isEmpty())
            return;
        for (const QString& path : chosen)
            AddUniqueFile(path);
        OptDirs->setEnabled(false);
        m_list.setTag(kuvo::FilesModeTag());
        if (!m_list.isEmpty())
            suggestContainerName(kuvo::FolderOf(m_list.entries().first()));
    } else if (OptDirs->isChecked()) {
        QString folder = BrowseForFolder(QString());
        if (folder.isEmpty())
            return;
        folder = kuvo::ReduceDoubledSeparators(folder);
        if (!folder.endsWith(QLatin1Char('/')))
            folder += QLatin1Char('/');
        addDirectoryTree(folder);
        if (!m_list.isEmpty()) {
            m_list.setTag(kuvo::DirectoryModeTag(folder));
            OptFiles->setEnabled(false);
            OptDirs->setEnabled(false);
            suggestContainerName(folder);
        }
    }
}

void FCrypt::CmdDelCryptFiles_Click()
{
    const QList<QListWidgetItem*> selected = LstCryptFiles->selectedItems();
    if (!selected.isEmpty()) {
        const int row = LstCryptFiles->row(selected.first());
        m_list.removeAt(row);
        delete LstCryptFiles->takeItem(row);
    } else {
        m_list.clear();
        LstCryptFiles->clear();
    }
    if (m_list.isEmpty()) {
        m_list.setTag(QString());
        OptFiles->setEnabled(true);
        OptDirs->setEnabled(true);
    } else {
        LstCryptFiles->setCurrentRow(0);
    }
}

namespace {

// The local files and folders of a drop from the file manager, in the order delivered.
QStringList droppedPaths(const QMimeData* data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths << url.toLocalFile();
    return paths;
}

} // namespace

void FCrypt::LstCryptFiles_OLEDragDrop(QDropEvent* event)
{
    // A disabled list still sees drops through the event filter: none while the window is busy.
    if (m_busy) {
        event->ignore();
        return;
    }
    if (m_list.mode() == kuvo::ListMode::Directory) {
        OptDirs->setChecked(true);
        m_platform.dialogs->beep();
        event->ignore();
        return;
    }
    const QStringList items = droppedPaths(event->mimeData());
    if (items.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Dropped folders are flattened: their files are stored under their bare names.
    for (const QString& item : items) {
        if (m_closeRequested)
            break;
        if (kuvo::IsDirectory(item))
            addDirectoryTree(item);
        else
            AddUniqueFile(item);
    }
    if (!m_list.isEmpty()) {
        suggestContainerName(kuvo::FolderOf(m_list.entries().first()));
        m_list.setTag(kuvo::FilesModeTag());
        OptFiles->setChecked(true);
        OptDirs->setEnabled(false);
    }
}

void FCrypt::CmdBrowseCryptOut_Click()
{
    const QString path = m_platform.dialogs->saveFile(this, QStringLiteral("Kuvo-Crypt"), LoadText(123));
    if (!path.isEmpty())
        TxtEncrFileName->setText(path);
}

bool FCrypt::eventFilter(QObject* watched, QEvent* event)
{
    if (LstCryptFiles && watched == LstCryptFiles->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (m_busy || droppedPaths(drag->mimeData()).isEmpty())
                drag->ignore();
            else
                drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop:
            LstCryptFiles_OLEDragDrop(static_cast<QDropEvent*>(event));
            return true;
        default:
            break;
        }
    } else if (watched == LstCryptFiles && event->type() == QEvent::KeyPress && !m_busy &&
               static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        CmdDelCryptFiles_Click();
        return true;
    } else if (watched == TxtDecrOutPath && event->type() == QEvent::FocusOut) {
        TxtDecrOutPath_Validate();
    }
    return QWidget::eventFilter(watched, event);
}

// --- Container and output folder ---------------------------------------------------------

// The container box as an absolute path: a bare name typed there lies in the current
// folder, and its output folder must be that folder, never "/".
QString FCrypt::absoluteContainer() const
{
    const QString path = TxtDecrFile->text();
    if (path.isEmpty() || QDir::isAbsolutePath(path))
        return path;
    return QDir::current().absoluteFilePath(path);
}

void FCrypt::TxtDecrFile_Change()
{
    if (!TxtDecrFile->text().isEmpty())
        TxtDecrOutPath->setText(kuvo::DefaultOutputFolder(absoluteContainer()));
}

void FCrypt::TxtDecrOutPath_Validate()
{
    const QString container = absoluteContainer();
    if (TxtDecrOutPath->text().isEmpty() && container.isEmpty())
        return; // nothing to derive a folder from: stay empty rather than become "/"
    const QString folder = kuvo::ValidatedOutputFolder(TxtDecrOutPath->text(), container);
    if (folder != TxtDecrOutPath->text())
        TxtDecrOutPath->setText(folder);
}

void FCrypt::Command7_Click()
{
    const QString path = m_platform.dialogs->openFile(this, LoadText(122), LoadText(123));
    if (!path.isEmpty())
        TxtDecrFile->setText(path);
}

void FCrypt::CmdBrowseOutPath_Click()
{
    // A cancelled browser keeps the folder the box held.
    const QString folder = BrowseForFolder(QString());
    if (!folder.isEmpty())
        TxtDecrOutPath->setText(folder);
    TxtDecrOutPath_Validate();
}

// --- File operations ------------------------------------------------------------------------

// What the file operations show and ask, in the busy panel and in message boxes.
class FCrypt::FileUi : public kuvo::FileOpsUi {
public:
    explicit FileUi(FCrypt& window) : m_window(window) {}

    void overallProgress(int value, int maximum) override { setBar(m_window.ProgressBar2, value, maximum); }
    void entryProgress(int value, int maximum) override { setBar(m_window.ProgressBar1, value, maximum); }
    void lights(bool red, bool yellow, bool green) override
    {
        m_window.AmpelL[5]->setOn(red);
        m_window.AmpelL[4]->setOn(yellow);
        m_window.AmpelL[3]->setOn(green);
    }
    void showError(const QString& text) override { m_window.showMessage(text); }
    kuvo::OverwriteChoice askOverwrite(const QString&, const QString& question) override
    {
        const kuvo::Answer answer =
            m_window.m_platform.dialogs->message(&m_window, QString::fromLatin1(kAppTitle), question,
                                                 kuvo::Buttons::YesNo, kuvo::MessageIcon::Question);
        return answer == kuvo::Answer::Yes ? kuvo::OverwriteChoice::Overwrite
                                           : kuvo::OverwriteChoice::OtherName;
    }
    QString askSaveAs(const QString& title, const QString& filter) override
    {
        return m_window.m_platform.dialogs->saveFile(&m_window, title, filter);
    }
    // The cores call this every few milliseconds already.
    void yield() override
    {
        QCoreApplication::processEvents();
        m_window.m_sinceYield.start();
    }

private:
    static void setBar(QProgressBar* bar, int value, int maximum)
    {
        // A range of 0 .. 0 would show Qt's busy animation instead of a bar.
        maximum = std::max(maximum, 1);
        if (bar->maximum() != maximum || bar->minimum() != 0)
            bar->setRange(0, maximum);
        bar->setValue(std::clamp(value, 0, maximum));
    }

    FCrypt& m_window;
};

void FCrypt::showWorkingLight()
{
    AmpelL[5]->setOn(true);
    AmpelL[4]->setOn(false);
    AmpelL[3]->setOn(false);
    PictArbeitampel->show();
}

void FCrypt::playFinishSound()
{
    const QString wav = findDataFile(QStringLiteral("finish.wav"));
    if (FileExists(wav))
        m_platform.sound->play(wav);
}

// The passphrase's key for a file run that is already busy. Refused (114 empty, 202 not
// Windows-1252): the message is shown and the busy display ends. Taken: the box is cleared,
// so the passphrase must be typed again for the next operation.
std::optional<kuvo::CipherKey> FCrypt::takeRunKey()
{
    QString passphrase = TxtCode->text();
    std::optional<kuvo::CipherKey> key;
    if (!passphrase.isEmpty())
        key = kuvo::PassphraseToKey(view(passphrase));
    kuvo::secureZero(passphrase.data(), std::size_t(passphrase.size()) * sizeof(QChar));
    if (!key) {
        refuse(passphrase.isEmpty() ? 114 : 202);
        SetBusy(false, false);
        return std::nullopt;
    }
    TxtCode->setText(QString());
    return key;
}

void FCrypt::Command4_Click()
{
    LastContainer.clear();
    if (m_list.isEmpty() || TxtEncrFileName->text().isEmpty()) {
        refuse(114);
        return;
    }
    if (m_platform.dialogs->message(this, QStringLiteral("Kuvo Crypt"), LoadText(190),
                                    kuvo::Buttons::OkCancel) != kuvo::Answer::Ok)
        return;

    showWorkingLight();
    ProgressBar2->setRange(0, m_list.size());
    // The cipher exists before the busy display yields, so an early Cancel reaches it.
    CipherRun run(*this);
    SetBusy(true, false);
    std::optional<kuvo::CipherKey> key = takeRunKey();
    if (!key)
        return;

    // The run and the erase offer work on this copy: the list cannot change under them.
    const kuvo::EncryptRequest request{m_list.entries(), m_list.tag(), TxtEncrFileName->text()};
    FileUi ui(*this);
    const kuvo::EncryptResult result = kuvo::EncryptFiles(request, *key, run.cipher(), ui);
    kuvo::secureZero(*key);
    if (result.status == kuvo::EncryptResult::Status::Done) {
        LastContainer = request.container;
        playFinishSound();
        TmrCount->stop();
        if (ChkEraseEncr->isChecked())
            offerErase(request.container, request.entries, result.entrySizes);
    }
    SetBusy(false, false);
}

// Hands the stored input files to Change. Only files whose records were written are
// offered: erasing one the container does not hold would lose it.
void FCrypt::offerErase(const QString& container, const QStringList& entries,
                        const std::vector<std::uint32_t>& entrySizes)
{
    QStringList stored;
    for (qsizetype i = 0; i < entries.size() && std::size_t(i) < entrySizes.size(); ++i)
        if (entrySizes[std::size_t(i)] > 0)
            stored << QFileInfo(entries[i]).absoluteFilePath();
    if (stored.isEmpty())
        return;
    if (m_platform.dialogs->message(this, QString::fromLatin1(kAppTitle),
                                    LoadText(116, container) + QLatin1Char(' ') + LoadText(117),
                                    kuvo::Buttons::OkCancel) != kuvo::Answer::Ok)
        return;
    const QString token = m_handover.serve(stored);
    if (token.isEmpty() ||
        !m_platform.processes->start(QStringLiteral("change"), {QStringLiteral("/hen"), token}).ok()) {
        m_handover.close();
        refuse(118);
        return;
    }
    m_sinceHandover.start();
}

void FCrypt::Command5_Click()
{
    if (TxtDecrFile->text().isEmpty()) {
        refuse(114);
        return;
    }
    showWorkingLight();
    CipherRun run(*this);
    SetBusy(true, false);
    std::optional<kuvo::CipherKey> key = takeRunKey();
    if (!key)
        return;

    TxtDecrOutPath_Validate();
    // A typed output folder that does not exist yet is made, once the passphrase proved right.
    const kuvo::DecryptRequest request{absoluteContainer(), TxtDecrOutPath->text(), true};
    FileUi ui(*this);
    const kuvo::DecryptResult result = kuvo::DecryptContainer(request, *key, run.cipher(), ui);
    kuvo::secureZero(*key);
    if (result.status == kuvo::DecryptResult::Status::Done)
        playFinishSound();
    SetBusy(false, false);
}

// --- Passphrase panel ----------------------------------------------------------------

void FCrypt::TxtCode_Change()
{
    PwdBewert(TxtCode->text());
}

void FCrypt::PwdBewert(const QString& passphrase)
{
    const bool hadFiveKeys = !Stern[5]->isHidden();
    const kuvo::PassphraseRating rating = kuvo::RatePassphrase(view(passphrase));
    AmpelL[0]->setOn(rating.red);
    AmpelL[1]->setOn(rating.yellow);
    AmpelL[2]->setOn(rating.green);
    for (int i = 1; i <= 5; ++i) {
        Stern[std::size_t(i)]->setVisible(i <= rating.keys);
        SchlusselPlatz[std::size_t(i)]->setVisible(i > rating.keys);
    }
    Label3->setText(LoadText(qint16(rating.verdictId)));
    if (rating.keys == 5 && !hadFiveKeys) {
        const QString wav = findDataFile(QStringLiteral("lock.wav"));
        if (FileExists(wav))
            m_platform.sound->play(wav);
    }
}

void FCrypt::ChkHPwd_Click()
{
    TxtCode->setEchoMode(ChkHPwd->isChecked() ? QLineEdit::Password : QLineEdit::Normal);
}

void FCrypt::cmdPassgen_Click()
{
    // 32 characters from the space to "}", drawn from the system's generator without bias.
    QString passphrase;
    while (passphrase.size() < 32) {
        std::uint8_t byte = 0;
        kuvo::randomBytes(&byte, 1);
        if (byte < 2 * 94)
            passphrase += QChar(32 + byte % 94);
    }
    TxtCode->setText(passphrase);
    ChkHPwd->setChecked(false);
    Label3->setText(LoadText(106));
    for (int i = 1; i <= 5; ++i) {
        SchlusselPlatz[std::size_t(i)]->hide();
        Stern[std::size_t(i)]->show();
    }
    AmpelL[0]->setOn(false);
    AmpelL[1]->setOn(false);
    AmpelL[2]->setOn(true);
}

void FCrypt::Command3_Click()
{
    if (m_platform.system)
        openScreenKeyboard(m_tast, TxtCode, this, *m_platform.system);
}

// --- Text encryption -----------------------------------------------------------------

void FCrypt::Command1_Click()
{
    const QString text = textcrypt::toWindowsLines(txtResults->toPlainText());
    const QString passphrase = TxtCode->text();
    if (const auto problem = textcrypt::checkEncryptInput(text, passphrase);
        problem != textcrypt::Problem::None) {
        refuse(textcrypt::messageId(problem));
        return;
    }
    if (m_platform.dialogs->message(this, QStringLiteral("Kuvo-Crypt"), LoadText(190),
                                    kuvo::Buttons::OkCancel) != kuvo::Answer::Ok)
        return;

    // The cipher exists before the busy display yields, so an early Cancel reaches it.
    CipherRun run(*this);
    SetBusy(true, false);
    auto key = kuvo::PassphraseToKey(view(passphrase));
    // setText, unlike clear(), also drops the box's undo history.
    TxtCode->setText(QString());
    const textcrypt::Result result = textcrypt::encryptText(run.cipher(), text, *key);
    kuvo::secureZero(*key);
    if (result.status == textcrypt::Status::Ok)
        txtResults->setText(textcrypt::fromWindowsLines(result.text));
    SetBusy(false, false);
}

void FCrypt::Command2_Click()
{
    const QString block = textcrypt::toWindowsLines(txtResults->toPlainText());
    const QString passphrase = TxtCode->text();
    if (const auto problem = textcrypt::checkDecryptInput(block, passphrase);
        problem != textcrypt::Problem::None) {
        refuse(textcrypt::messageId(problem));
        return;
    }

    CipherRun run(*this);
    SetBusy(true, false);
    auto key = kuvo::PassphraseToKey(view(passphrase));
    const textcrypt::Result result = textcrypt::decryptText(run.cipher(), block, *key);
    kuvo::secureZero(*key);
    if (result.status == textcrypt::Status::NotWholeBlocks)
        refuse(114);
    else if (result.status == textcrypt::Status::Ok)
        txtResults->setText(textcrypt::fromWindowsLines(result.text));
    TxtCode->setText(QString());
    SetBusy(false, false);
}
