#include "frmtast.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "common/localize.h"
#include "common/platform/platform.h"

namespace {

// Design geometry in twips (÷ 15 gives pixels).
constexpr int kKey = 375;
constexpr int kRow1 = 360, kRow2 = 735, kRow3 = 1110, kRow4 = 1485, kRow5 = 1920;

struct KeyDesign {
    int index;
    int left, top, width, height;
    const char* german;  // the design's caption
    const char* english; // nullptr: as German
    const char* spanish; // nullptr: as German
    bool hidden = false;
};

// clang-format off
const KeyDesign kKeys[] = {
    {14, 600, kRow1, kKey, kKey, "^", "~", "°"},
    {55, 960, kRow1, kKey, kKey, "!", nullptr, nullptr},
    {56, 1320, kRow1, kKey, kKey, "\"", "@", nullptr},
    {57, 1680, kRow1, kKey, kKey, "§", "#", "·"},
    {15, 2040, kRow1, kKey, kKey, "$", nullptr, nullptr},
    {58, 2400, kRow1, kKey, kKey, "%", nullptr, nullptr},
    {59, 2760, kRow1, kKey, kKey, "&&", "^", nullptr},
    {60, 3120, kRow1, kKey, kKey, "/", "&&", nullptr},
    {61, 3480, kRow1, kKey, kKey, "(", "*", nullptr},
    {62, 3840, kRow1, kKey, kKey, ")", "(", nullptr},
    {63, 4200, kRow1, kKey, kKey, "=", ")", nullptr},
    {64, 4560, kRow1, kKey, kKey, "?", "-", nullptr},
    {65, 4920, kRow1, kKey, kKey, "ß", "=", "¿"},
    {12, 5400, kRow1, 615, kKey, "<-", nullptr, nullptr},
    {7, 6240, kRow1, kKey, kKey, "7", nullptr, nullptr},
    {8, 6600, kRow1, kKey, kKey, "8", nullptr, nullptr},
    {9, 6960, kRow1, kKey, kKey, "9", nullptr, nullptr},

    {35, 720, kRow2, kKey, kKey, "Q", nullptr, nullptr},
    {41, 1080, kRow2, kKey, kKey, "W", nullptr, nullptr},
    {23, 1440, kRow2, kKey, kKey, "E", nullptr, nullptr},
    {36, 1800, kRow2, kKey, kKey, "R", nullptr, nullptr},
    {38, 2160, kRow2, kKey, kKey, "T", nullptr, nullptr},
    {44, 2520, kRow2, kKey, kKey, "Z", "Y", "Y"},
    {39, 2880, kRow2, kKey, kKey, "U", nullptr, nullptr},
    {27, 3240, kRow2, kKey, kKey, "I", nullptr, nullptr},
    {33, 3600, kRow2, kKey, kKey, "O", nullptr, nullptr},
    {34, 3960, kRow2, kKey, kKey, "P", nullptr, nullptr},
    {48, 4320, kRow2, kKey, kKey, "Ü", "[", "`"},
    {51, 4680, kRow2, kKey, kKey, "+", "]", nullptr},
    {53, 5040, kRow2, kKey, kKey, "*", "\\", "¡"},
    {4, 6240, kRow2, kKey, kKey, "4", nullptr, nullptr},
    {5, 6600, kRow2, kKey, kKey, "5", nullptr, nullptr},
    {6, 6960, kRow2, kKey, kKey, "6", nullptr, nullptr},

    {19, 840, kRow3, kKey, kKey, "A", nullptr, nullptr},
    {37, 1200, kRow3, kKey, kKey, "S", nullptr, nullptr},
    {22, 1560, kRow3, kKey, kKey, "D", nullptr, nullptr},
    {24, 1920, kRow3, kKey, kKey, "F", nullptr, nullptr},
    {25, 2280, kRow3, kKey, kKey, "G", nullptr, nullptr},
    {26, 2640, kRow3, kKey, kKey, "H", nullptr, nullptr},
    {28, 3000, kRow3, kKey, kKey, "J", nullptr, nullptr},
    {29, 3360, kRow3, kKey, kKey, "K", nullptr, nullptr},
    {30, 3720, kRow3, kKey, kKey, "L", nullptr, nullptr},
    {47, 4080, kRow3, kKey, kKey, "Ö", ":", "ñ"},
    {49, 4440, kRow3, kKey, kKey, "Ä", ";", "´"},
    {52, 4800, kRow3, kKey, kKey, "'", nullptr, "ç"},
    {1, 6240, kRow3, kKey, kKey, "1", nullptr, nullptr},
    {2, 6600, kRow3, kKey, kKey, "2", nullptr, nullptr},
    {3, 6960, kRow3, kKey, kKey, "3", nullptr, nullptr},

    {67, 240, kRow4, 735, kKey, "shift", nullptr, nullptr},
    {43, 960, kRow4, kKey, kKey, "Y", "Z", "Z"},
    {42, 1320, kRow4, kKey, kKey, "X", nullptr, nullptr},
    {21, 1680, kRow4, kKey, kKey, "C", nullptr, nullptr},
    {40, 2040, kRow4, kKey, kKey, "V", nullptr, nullptr},
    {20, 2400, kRow4, kKey, kKey, "B", nullptr, nullptr},
    {32, 2760, kRow4, kKey, kKey, "N", nullptr, nullptr},
    {31, 3120, kRow4, kKey, kKey, "M", nullptr, nullptr},
    {45, 3480, kRow4, kKey, kKey, ".", ",", nullptr},
    {46, 3840, kRow4, kKey, kKey, ":", ".", nullptr},
    {54, 4200, kRow4, kKey, kKey, ";", "?", nullptr},
    {50, 4560, kRow4, kKey, kKey, "-", "/", nullptr},
    {0, 6240, kRow4, 735, kKey, "0", nullptr, nullptr},
    {10, 6960, kRow4, kKey, kKey, ",", ".", nullptr},

    {18, 1080, kRow5, 3855, 255, "#129", nullptr, nullptr},

    // Present in the design but never shown.
    {11, 5520, 720, 495, 1095, "Enter", nullptr, nullptr, true},
    {13, 240, kRow2, 495, kKey, "#130", nullptr, nullptr, true},
    {66, 6240, 1800, kKey, kKey, "\\", nullptr, nullptr, true},
};
// clang-format on

constexpr int kBackspace = 12;
constexpr int kSpace = 18;
constexpr int kShift = 67;
constexpr int kFirstLetter = 19;
constexpr int kLastLetter = 44;

constexpr int px(int twips)
{
    return twips / 15;
}

// Keys whose character follows the letter case although they are no A–Z key.
bool hasCaseForms(FrmTast::KeySet set, int index)
{
    switch (set) {
    case FrmTast::KeySet::German:
        return index == 47 || index == 48 || index == 49;
    case FrmTast::KeySet::Spanish:
        return index == 47 || index == 52;
    case FrmTast::KeySet::English:
        return false;
    }
    return false;
}

} // namespace

FrmTast::FrmTast(QLineEdit* txtCode, quint16 keyboardLayoutId, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_txtCode(txtCode), m_keySet(keySetForLayout(keyboardLayoutId))
{
    setObjectName(QStringLiteral("FrmTast"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("#169"));
    setFixedSize(px(7350), px(2265));

    for (int i = 0; i < 2; ++i) {
        auto* option = new QRadioButton(i == 0 ? QStringLiteral("1x") : QStringLiteral("2x"), this);
        option->setObjectName(QStringLiteral("Option1_%1").arg(i));
        option->setGeometry(px(360 * i), 0, px(375), px(255));
        option->setFocusPolicy(Qt::NoFocus);
        // The design's option buttons are 25 pixels wide: a smaller mark and type
        // keep "1x" and "2x" whole.
        QFont small = option->font();
        small.setPixelSize(10);
        option->setFont(small);
        option->setStyleSheet(QStringLiteral("QRadioButton { spacing: 1px; }"
                                             " QRadioButton::indicator { width: 10px; height: 10px; }"));
        connect(option, &QRadioButton::clicked, this, [this, i] { setScale(i + 1); });
        m_option[i] = option;
    }
    m_option[0]->setChecked(true);

    buildKeys();
    kuvo::LocalizeForm(this);
    applyKeySet();
}

FrmTast::KeySet FrmTast::keySetForLayout(quint16 layoutId)
{
    if (layoutId == 0xF0C0 || layoutId == 0x0407)
        return KeySet::German;
    if (layoutId == 0x040A)
        return KeySet::Spanish;
    return KeySet::English;
}

void FrmTast::buildKeys()
{
    for (const KeyDesign& k : kKeys) {
        auto* key = new QPushButton(QString::fromUtf8(k.german), this);
        key->setObjectName(QStringLiteral("cmdNr_%1").arg(k.index));
        key->setGeometry(px(k.left), px(k.top), px(k.width), px(k.height));
        // A focused key would also take the physical space bar.
        key->setFocusPolicy(Qt::NoFocus);
        key->setVisible(!k.hidden);
        const int index = k.index;
        connect(key, &QPushButton::clicked, this, [this, index] { keyClicked(index); });
        m_keys[k.index] = key;
    }
    m_keys[kSpace]->setToolTip(QStringLiteral("Leertaste betätigen"));
    m_keys[kShift]->setToolTip(QStringLiteral("Groß-/Kleinschreibung"));
}

void FrmTast::applyKeySet()
{
    if (m_keySet == KeySet::German)
        return;
    for (const KeyDesign& k : kKeys) {
        const char* caption = m_keySet == KeySet::English ? k.english : k.spanish;
        if (caption)
            m_keys[k.index]->setText(QString::fromUtf8(caption));
    }
}

void FrmTast::keyClicked(int index)
{
    if (!m_txtCode)
        return;
    const QString text = m_txtCode->text();
    if (index == kBackspace) {
        if (text.isEmpty())
            return;
        // One character, even when it is stored as a surrogate pair.
        qsizetype cut = 1;
        if (text.size() >= 2 && text.back().isLowSurrogate() && text.at(text.size() - 2).isHighSurrogate())
            cut = 2;
        m_txtCode->setText(text.chopped(cut));
        return;
    }
    if (index == kShift) {
        m_smallLetters = !m_smallLetters;
        m_keys[kShift]->setText(m_smallLetters ? QStringLiteral("shift") : QStringLiteral("SHIFT"));
        return;
    }

    QChar c;
    const QString caption = m_keys[index]->text();
    if (index == kSpace) {
        c = QLatin1Char(' ');
    } else if (caption.isEmpty()) {
        return;
    } else if ((index >= kFirstLetter && index <= kLastLetter) || hasCaseForms(m_keySet, index)) {
        c = m_smallLetters ? caption.front().toLower() : caption.front().toUpper();
    } else {
        // "&&" is the caption of one "&".
        c = caption.front();
    }
    // Always at the end, whatever the box's cursor or selection; setText raises the
    // box's change, so the passphrase gauge follows every key.
    m_txtCode->setText(text + c);
}

void FrmTast::setScale(int scale)
{
    if (scale == m_scale)
        return;
    const auto resize = [scale](int v) { return scale == 2 ? v * 2 : v / 2; };
    setFixedSize(resize(width()), resize(height()));
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QRect g = w->geometry();
        w->setGeometry(resize(g.x()), resize(g.y()), resize(g.width()), resize(g.height()));
    }
    m_scale = scale;
}

void FrmTast::placeOver(const QWidget* mainWindow)
{
    const QRect outer = mainWindow->frameGeometry();
    const QSize inner = mainWindow->size();
    const int left = outer.x() + (outer.width() - inner.width()) + px(315);
    // The design's offset (5390 twips below the window's top) is where its passphrase
    // box ends; the box's own bottom keeps that promise whatever the window's layout.
    if (m_txtCode && mainWindow->isAncestorOf(m_txtCode)) {
        const int boxBottom = m_txtCode->mapToGlobal(QPoint(0, m_txtCode->height())).y();
        move(left, boxBottom + 2);
        return;
    }
    move(left, outer.y() + (outer.height() - inner.height()) + px(5390));
}

FrmTast* openScreenKeyboard(QPointer<FrmTast>& slot, QLineEdit* txtCode, QWidget* mainWindow,
                            kuvo::SystemInfo& system)
{
    if (slot) {
        slot->placeOver(mainWindow);
        return slot;
    }
    slot = new FrmTast(txtCode, system.keyboardLayoutId(), mainWindow);
    slot->placeOver(mainWindow);
    slot->show();
    return slot;
}
