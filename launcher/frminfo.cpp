#include "frminfo.h"

#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>

#include "common/catalogue.h"
#include "common/links.h"
#include "common/localize.h"
#include "pictures.h"

#ifndef KUVO_VERSION_MAJOR
#error "the launcher's version numbers come from the build"
#endif

namespace kuvo::launcher {

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent)
{
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, QColor(0, 0, 128));
    setPalette(pal);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void LinkLabel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space) {
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

QString versionLine()
{
    return LoadText(245) + QLatin1Char(' ') + QString::number(KUVO_VERSION_MAJOR) + QLatin1Char('.') +
           QString::number(KUVO_VERSION_MINOR) + QLatin1Char('.') + QString::number(KUVO_VERSION_PATCH);
}

} // namespace kuvo::launcher

using kuvo::launcher::LinkLabel;

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& geometry)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(geometry);
    return l;
}

} // namespace

FrmInfo::FrmInfo(const kuvo::Platform& platform, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      m_platform(platform)
{
    setObjectName(QStringLiteral("FrmInfo"));
    setWindowTitle(QStringLiteral("Kuvo"));
    setFixedSize(6045 / 15, 7200 / 15);
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowIcon(kuvo::launcher::productIcon());

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setGeometry(16, 16, 720 / 15, 720 / 15);
    image->setPixmap(kuvo::launcher::productPicture(720 / 15));

    QLabel* name = label(this, "Label3", QStringLiteral("Kuvo Security Tools Lite"), QRect(80, 16, 307, 24));
    QFont bold = name->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.25);
    name->setFont(bold);

    QLabel* version = label(this, "LblVer", QString(), QRect(80, 42, 307, 20));

    auto* link = new LinkLabel(this);
    link->setObjectName(QStringLiteral("Label2_0"));
    link->setGeometry(80, 64, 307, 20);
    link->setText(kuvo::makerSiteUrl());
    connect(link, &LinkLabel::clicked, this, &FrmInfo::openMakerSite);

    // In place of the maker's product list: what this suite holds.
    auto* suite = new QFrame(this);
    suite->setObjectName(QStringLiteral("FrameSuite"));
    suite->setFrameShape(QFrame::StyledPanel);
    suite->setGeometry(16, 104, 371, 224);
    const struct {
        const char* nameControl;
        const char* title;
        const char* textControl;
        qint16 textId;
        int top;
    } parts[] = {
        {"LblCrypt", "Kuvo-Crypt", "LblCryptText", 131, 14},
        {"LblChange", "Kuvo-Change", "LblChangeText", 148, 116},
    };
    QFont partFont = font();
    partFont.setBold(true);
    for (const auto& part : parts) {
        QLabel* title =
            label(suite, part.nameControl, QString::fromLatin1(part.title), QRect(12, part.top, 347, 20));
        title->setFont(partFont);
        QLabel* text = label(suite, part.textControl, QStringLiteral("#%1").arg(part.textId),
                             QRect(12, part.top + 22, 347, 72));
        text->setWordWrap(true);
        text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }

    label(this, "Label4", QStringLiteral("Rijndael-256 (CBC) · zlib · Qt"), QRect(16, 344, 371, 20));
    label(this, "Label5", QStringLiteral("Copyright © Kuvo"), QRect(16, 366, 371, 20));

    auto* ok = new QPushButton(QStringLiteral("#142"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setGeometry(295, 436, 92, 30);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    kuvo::LocalizeForm(this, {.toolTips = true});
    version->setText(kuvo::launcher::versionLine());
    // QDialog already turns Esc into reject(), which closes the window as OK does.
}

void FrmInfo::openMakerSite()
{
    m_platform.desktop->openUrl(QUrl(kuvo::makerSiteUrl()));
}
