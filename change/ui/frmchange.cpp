#include "frmchange.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDrag>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

#include "change/core/filelist.h"
#include "common/catalogue.h"
#include "common/handover.h"
#include "common/localize.h"
#include "common/ucshape.h"

using kuvo::LoadText;

namespace {

constexpr int kHandoverTimeoutMs = 5000;
const QColor kListYellow(255, 255, 128);

QRect twips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

// One lamp of the traffic light: its colour shows when it is on.
class Lamp : public QWidget {
public:
    Lamp(const QColor& color, QWidget* parent) : QWidget(parent), m_color(color)
    {
        setProperty("opaque", false);
    }
    void setOn(bool on)
    {
        if (property("opaque").toBool() == on)
            return;
        setProperty("opaque", on);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(property("opaque").toBool() ? QBrush(m_color) : QBrush(Qt::NoBrush));
        p.drawEllipse(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
    }

private:
    QColor m_color;
};

// The grey housing behind the lamps.
class Housing : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(64, 64, 64), 1));
        p.setBrush(QColor(128, 128, 128));
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    }
};

QPixmap eraserPicture(const QSize& size)
{
    QPixmap pm(size * 2);
    pm.setDevicePixelRatio(2);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(size.width() / 2.0, size.height() / 2.0);
    p.rotate(-30);
    const qreal w = size.width() * 0.8, h = size.height() * 0.42;
    const QRectF body(-w / 2, -h / 2, w, h);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(240, 120, 140));
    p.drawRoundedRect(body, 3, 3);
    p.setBrush(QColor(70, 110, 200));
    p.drawRoundedRect(QRectF(body.left() + w * 0.55, body.top(), w * 0.45, h), 3, 3);
    return pm;
}

void makeYellow(QWidget* w)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, kListYellow);
    pal.setColor(QPalette::Button, kListYellow);
    w->setPalette(pal);
}

} // namespace

// What the engine drives: the busy panel of the window.
class FrmChange::Progress : public kuvo::change::EraseUi {
public:
    explicit Progress(FrmChange& w) : m_w(w) {}

    void setBusy(bool on) override { m_w.SetBusy(on); }
    void setStatus(const QString& text) override { m_w.LblStat->setText(text); }
    void setCurrentFile(const QString& path) override
    {
        // A short form that still does not fit the panel loses its middle.
        const QString shown = kuvo::change::ShortenPath(path, 30);
        const QFontMetrics fm(m_w.LblFile->font());
        const int room = m_w.LblFile->width();
        m_w.LblFile->setText(
            fm.horizontalAdvance(shown) <= room ? shown : fm.elidedText(shown, Qt::ElideMiddle, room));
        m_w.LblFile->setToolTip(path);
    }
    int fileBarWidth() const override { return m_w.PictFileProgress->contentsRect().width(); }
    void setFileBar(int width) override
    {
        const QRect inner = m_w.PictFileProgress->contentsRect();
        m_w.LblFileprogress->setGeometry(inner.x(), inner.y(), qBound(0, width, inner.width()),
                                         inner.height());
    }
    void setOverall(int value, int maximum) override
    {
        m_w.ProgressBar1->setRange(0, qMax(1, maximum));
        m_w.ProgressBar1->setValue(value);
    }
    void setLights(bool red, bool yellow, bool green) override
    {
        static_cast<Lamp*>(m_w.AmpelL[0])->setOn(red);
        static_cast<Lamp*>(m_w.AmpelL[1])->setOn(yellow);
        static_cast<Lamp*>(m_w.AmpelL[2])->setOn(green);
    }
    void showMessage(const QString& text) override { m_w.message(text); }
    void yield() override { QCoreApplication::processEvents(); }
    bool cancelFlag() const override { return m_w.CancelFlag; }
    void setCancelFlag(bool on) override { m_w.CancelFlag = on; }
    void listEmptied() override
    {
        m_w.List1->clear();
        m_w.m_entrySet.clear();
    }

private:
    FrmChange& m_w;
};

FrmChange::FrmChange(const kuvo::Platform& platform, const QString& commandLine, QWidget* parent)
    : QWidget(parent), m_platform(platform), m_progress(std::make_unique<Progress>(*this))
{
    setObjectName(QStringLiteral("FrmChange"));
    setWindowTitle(QStringLiteral("#102"));
    setFixedSize(9495 / 15, 5415 / 15);
    setAcceptDrops(true);
    buildControls();
    kuvo::LocalizeForm(this);

    for (qint16 id : {128, 129, 130, 131})
        CmbDelArt->addItem(LoadText(id));
    UpdateFileCount();
    CmbDelArt->setCurrentIndex(kuvo::change::Vsitr);
    layoutStrengthRow();
    List1->addItem(LoadText(132));
    List1->setEnabled(false);
    // Dir1 and LstFile open on the current folder of the current drive.
    setDirPath(QDir::currentPath());
    applyCommandLine(commandLine);
}

FrmChange::~FrmChange() = default;

void FrmChange::buildControls()
{
    ucShape1 = new kuvo::UcShape(this);
    ucShape1->setObjectName(QStringLiteral("ucShape1"));
    ucShape1->setRounding(20);
    ucShape1->setForeColorRef(0);
    ucShape1->setFillColorRef(kuvo::kSystemButtonFace);
    ucShape1->setGeometry(twips(30, 480, 9440, 4920));

    lblTitle = new QLabel(QStringLiteral("#101"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont(QStringLiteral("Calibri"));
    titleFont.setPointSizeF(20.25);
    lblTitle->setFont(titleFont);
    lblTitle->setGeometry(twips(120, 0, 5535, 495));

    Drive1 = new QComboBox(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setGeometry(twips(120, 600, 4575, 315));
    makeYellow(Drive1);
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady())
            Drive1->addItem(volume.rootPath(), volume.rootPath());
    }
    connect(Drive1, &QComboBox::activated, this, [this] { Drive1_Change(); });

    m_dirModel = new QFileSystemModel(this);
    m_dirModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_dirModel->setRootPath(QString());
    Dir1 = new QTreeView(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setModel(m_dirModel);
    for (int c = 1; c < m_dirModel->columnCount(); ++c)
        Dir1->hideColumn(c);
    Dir1->header()->hide();
    Dir1->setGeometry(twips(120, 1005, 4575, 1215));
    makeYellow(Dir1);
    // Rows appear as the model reads folders: keep the current folder in view.
    connect(m_dirModel, &QFileSystemModel::directoryLoaded, this, [this] {
        // The model reads folders in the background: open the way down once the rows exist.
        if (m_revealing)
            revealDirPath();
        Dir1->scrollTo(Dir1->currentIndex(), QAbstractItemView::PositionAtCenter);
    });
    connect(Dir1, &QTreeView::activated, this,
            [this](const QModelIndex& index) { setDirPath(m_dirModel->filePath(index)); });

    LstFile = new QListWidget(this);
    LstFile->setObjectName(QStringLiteral("LstFile"));
    LstFile->setSelectionMode(QAbstractItemView::ExtendedSelection);
    LstFile->setGeometry(twips(4800, 600, 4575, 1590));
    makeYellow(LstFile);
    connect(LstFile, &QListWidget::itemClicked, this, [this] { LstFile_Click(); });
    connect(LstFile, &QListWidget::itemDoubleClicked, this, [this] { LstFile_DblClick(); });

    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->move(120 / 15, 2280 / 15);
    Label3->setFixedHeight(195 / 15);

    FramDel = new QGroupBox(this);
    FramDel->setObjectName(QStringLiteral("FramDel"));
    FramDel->setGeometry(twips(150, 2595, 9165, 2655));
    FramDel->setAcceptDrops(true);

    Label1 = new QLabel(QStringLiteral("#105"), FramDel);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 28, 400, 17);

    ImgErase = new QLabel(FramDel);
    ImgErase->setObjectName(QStringLiteral("ImgErase"));
    ImgErase->setGeometry(553, 6, 48, 38);
    ImgErase->setPixmap(eraserPicture(ImgErase->size()));

    List1 = new QListWidget(FramDel);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(twips(120, 720, 8895, 1035));
    List1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded); // long paths scroll sideways
    makeYellow(List1);
    List1->setAcceptDrops(true);
    List1->viewport()->setAcceptDrops(true);
    List1->setDragDropMode(QAbstractItemView::DropOnly);

    LblFiles = new QLabel(QStringLiteral("#133"), FramDel);
    LblFiles->setObjectName(QStringLiteral("LblFiles"));
    LblFiles->setGeometry(twips(120, 1800, 1815, 255));

    Label4 = new QLabel(QStringLiteral("#110"), FramDel);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setGeometry(136, 120, 178, 21);
    Label4->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    CmbDelArt = new QComboBox(FramDel);
    CmbDelArt->setObjectName(QStringLiteral("CmbDelArt"));
    CmbDelArt->setGeometry(twips(4800, 1800, 2775, 315));
    makeYellow(CmbDelArt);

    Command1 = new QPushButton(QStringLiteral("#107"), FramDel);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twips(7680, 1800, 1335, 375));
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

    CmdReturn = new QPushButton(QStringLiteral("#108"), this);
    CmdReturn->setObjectName(QStringLiteral("CmdReturn"));
    CmdReturn->setGeometry(twips(6840, 4850, 2295, 315));
    connect(CmdReturn, &QPushButton::clicked, this, [this] { CmdReturn_Click(); });

    FrameW = new QGroupBox(QStringLiteral("#104"), this);
    FrameW->setObjectName(QStringLiteral("FrameW"));
    FrameW->setGeometry(twips(2400, 1200, 4935, 3255));
    FrameW->setAutoFillBackground(true);

    Label8 = new QLabel(QStringLiteral("#104"), FrameW);
    Label8->setObjectName(QStringLiteral("Label8"));
    Label8->setGeometry(10, 24, 245, 34);
    Label8->setWordWrap(true);

    LblStat = new QLabel(FrameW);
    LblStat->setObjectName(QStringLiteral("LblStat"));
    LblStat->setGeometry(10, 62, 245, 17);

    LblFile = new QLabel(FrameW);
    LblFile->setObjectName(QStringLiteral("LblFile"));
    LblFile->setGeometry(10, 82, 245, 17);

    PictFileProgress = new QFrame(FrameW);
    PictFileProgress->setObjectName(QStringLiteral("PictFileProgress"));
    PictFileProgress->setFrameShape(QFrame::Panel);
    PictFileProgress->setFrameShadow(QFrame::Sunken);
    PictFileProgress->setLineWidth(1);
    PictFileProgress->setGeometry(10, 108, 245, 20);
    LblFileprogress = new QLabel(PictFileProgress);
    LblFileprogress->setObjectName(QStringLiteral("LblFileprogress"));
    LblFileprogress->setAutoFillBackground(true);
    QPalette barPalette = LblFileprogress->palette();
    barPalette.setColor(QPalette::Window, QColor(0, 0, 160));
    LblFileprogress->setPalette(barPalette);
    LblFileprogress->setGeometry(1, 1, 1, 18);

    ProgressBar1 = new QProgressBar(FrameW);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(10, 138, 245, 20);
    ProgressBar1->setTextVisible(false);

    Picture1 = new QWidget(FrameW);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(268, 26, 46, 132);
    auto* housing = new Housing(Picture1);
    housing->setObjectName(QStringLiteral("Shape1"));
    housing->setGeometry(0, 0, 46, 132);
    const QColor lampColors[3] = {QColor(255, 0, 0), QColor(255, 255, 0), QColor(0, 255, 0)};
    for (int i = 0; i < 3; ++i) {
        AmpelL[i] = new Lamp(lampColors[i], Picture1);
        AmpelL[i]->setObjectName(QStringLiteral("AmpelL_%1").arg(i));
        AmpelL[i]->setGeometry(7, 8 + i * 40, 32, 32);
    }

    CmdCancel = new QPushButton(QStringLiteral("#109"), FrameW);
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    CmdCancel->setGeometry(10, 172, 120, 27);
    connect(CmdCancel, &QPushButton::clicked, this, [this] { CmdCancel_Click(); });

    FrameW->hide();
    FrameW->raise();

    for (QObject* o : {static_cast<QObject*>(Dir1->viewport()), static_cast<QObject*>(LstFile),
                       static_cast<QObject*>(FramDel), static_cast<QObject*>(List1->viewport()),
                       static_cast<QObject*>(List1), static_cast<QObject*>(Dir1)})
        o->installEventFilter(this);
}

void FrmChange::layoutStrengthRow()
{
    // The design's widths suit its font; where the localized texts need more,
    // the strength list grows to the left and the labels give way.
    const int gap = 6;
    const int right = Command1->x() - 7;
    const int countWidth =
        LblFiles->fontMetrics().horizontalAdvance(LoadText(133) + QStringLiteral(" 00000"));
    const int minLeft = LblFiles->x() + countWidth + gap;
    const int labelWidth = Label4->sizeHint().width();
    int comboWidth = qMax(CmbDelArt->width(), CmbDelArt->sizeHint().width());
    comboWidth = qMin(comboWidth, right - minLeft - labelWidth - gap);
    CmbDelArt->setGeometry(right - comboWidth, CmbDelArt->y(), comboWidth, CmbDelArt->height());
    const int labelLeft = qMax(minLeft, CmbDelArt->x() - gap - labelWidth);
    Label4->setGeometry(labelLeft, Label4->y(), CmbDelArt->x() - gap - labelLeft, Label4->height());
    LblFiles->setFixedWidth(labelLeft - gap - LblFiles->x());

    // The title and the return button keep their places and grow to their texts.
    lblTitle->resize(qMin(qMax(lblTitle->width(), lblTitle->sizeHint().width()), width() - lblTitle->x()),
                     lblTitle->height());
    const int returnRight = CmdReturn->geometry().right();
    const int returnWidth = qMax(CmdReturn->width(), CmdReturn->sizeHint().width());
    CmdReturn->setGeometry(returnRight + 1 - returnWidth, CmdReturn->y(), returnWidth, CmdReturn->height());
}

void FrmChange::applyCommandLine(const QString& commandLine)
{
    const QString start = commandLine.left(5).toLower();
    bool go = false;
    if (start.startsWith(QLatin1String("/en"))) {
        clearPlaceholder();
        AddUniqueFile(commandLine.mid(4));
        UpdateFileCount();
        go = true;
    } else if (start == QLatin1String("/hen ")) {
        AutoClose = true;
        clearPlaceholder();
        // A token that names nothing gives an empty list, as a bad handle did.
        const QStringList paths = kuvo::fetchHandover(commandLine.mid(5).trimmed(), kHandoverTimeoutMs);
        for (const QString& path : paths)
            AddUniqueFile(path);
        if (!paths.isEmpty()) {
            UpdateFileCount();
            go = true;
        }
    }
    if (go) {
        QTimer::singleShot(0, this, [this] {
            show();
            Command1_Click();
        });
    }
}

void FrmChange::clearPlaceholder()
{
    if (!m_placeholder)
        return;
    m_placeholder = false;
    List1->clear();
    m_entrySet.clear();
    List1->setEnabled(true);
}

QStringList FrmChange::entries() const
{
    QStringList out;
    if (m_placeholder)
        return out;
    for (int i = 0; i < List1->count(); ++i)
        out << List1->item(i)->text();
    return out;
}

void FrmChange::AddUniqueFile(const QString& path)
{
    const QString p = kuvo::change::normalizeListPath(path);
    if (p.isEmpty() || m_entrySet.contains(p))
        return;
    m_entrySet.insert(p);
    List1->addItem(p);
}

void FrmChange::AddDirectoryFiles(const QString& folder)
{
    const auto yield = [] { QCoreApplication::processEvents(); };
    const QStringList files = kuvo::change::plainFilesIn(folder, yield);
    for (qsizetype i = 0; i < files.size(); ++i) {
        AddUniqueFile(files[i]);
        if (i % 64 == 63)
            yield();
    }
}

void FrmChange::UpdateFileCount()
{
    LblFiles->setText(LoadText(133) + QLatin1Char(' ') + QString::number(List1->count()));
}

void FrmChange::removeEntry(int row)
{
    if (QListWidgetItem* item = List1->takeItem(row)) {
        m_entrySet.remove(item->text());
        delete item;
    }
}

void FrmChange::SetBusy(bool on)
{
    if (on) {
        m_progress->setLights(true, false, false);
        CancelFlag = false;
        FrameW->show();
        FrameW->raise();
        FramDel->setEnabled(false);
        LstFile->setEnabled(false);
    } else {
        FrameW->hide();
        FramDel->setEnabled(true);
        LstFile->setEnabled(true);
    }
    QCoreApplication::processEvents();
}

void FrmChange::DelVSITR(QListWidget* list, int strength)
{
    QStringList paths;
    for (int i = 0; i < list->count(); ++i)
        paths << list->item(i)->text();
    m_running = true;
    kuvo::change::DelVSITR(paths, strength, *m_progress, eraseOptions);
    m_running = false;
    list->clear();
    if (list == List1)
        m_entrySet.clear();
}

void FrmChange::message(const QString& text)
{
    m_platform.dialogs->message(this, QString::fromLatin1(kAppTitle), text, kuvo::Buttons::Ok);
}

void FrmChange::Command1_Click()
{
    if (m_running)
        return;
    if (m_placeholder || List1->count() == 0) {
        message(LoadText(147));
        return;
    }
    const kuvo::Answer answer =
        m_platform.dialogs->message(this, QString::fromLatin1(kAppTitle), LoadText(148), kuvo::Buttons::YesNo,
                                    kuvo::MessageIcon::Question);
    if (answer == kuvo::Answer::Yes) {
        Command1->setEnabled(false);
        DelVSITR(List1, CmbDelArt->currentIndex());
    }
    Command1->setEnabled(true);
    refreshFileList();
    if (AutoClose || m_closePending)
        close();
}

void FrmChange::CmdCancel_Click()
{
    CancelFlag = true;
}

void FrmChange::CmdReturn_Click()
{
    m_platform.processes->start(QStringLiteral("varnhold"), {}); // a failure changes nothing
    close();
}

void FrmChange::closeEvent(QCloseEvent* event)
{
    if (m_running) {
        // The file in hand is finished first; the window closes when the run is over.
        CancelFlag = true;
        m_closePending = true;
        event->ignore();
        return;
    }
    event->accept();
}

void FrmChange::Drive1_Change()
{
    const QString drive = Drive1->currentData().toString();
    if (!drive.isEmpty() && QFileInfo(drive).isDir() && QDir(drive).isReadable()) {
        setDirPath(drive);
        return;
    }
    // A drive that cannot be opened: back to the drive of Dir1's folder.
    const int back =
        Drive1->findData(QStorageInfo(m_dirPath.isEmpty() ? QDir::rootPath() : m_dirPath).rootPath());
    if (back >= 0)
        Drive1->setCurrentIndex(back);
}

void FrmChange::setDirPath(const QString& folder)
{
    m_dirPath = folder;
    const int drive = Drive1->findData(QStorageInfo(folder).rootPath());
    if (drive >= 0)
        Drive1->setCurrentIndex(drive);
    m_revealing = true;
    revealDirPath();
    Dir1_Change();
}

void FrmChange::revealDirPath()
{
    const QModelIndex index = m_dirModel->index(m_dirPath);
    // Open the way down to the folder, so it shows highlighted in its place.
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        Dir1->expand(up);
    Dir1->setCurrentIndex(index);
    Dir1->expand(index);
    Dir1->scrollTo(index);
}

void FrmChange::highlightDir(const QString& folder)
{
    m_revealing = false;
    Dir1->setCurrentIndex(m_dirModel->index(folder));
}

QString FrmChange::dirHighlighted() const
{
    const QModelIndex index = Dir1->currentIndex();
    return index.isValid() ? m_dirModel->filePath(index) : m_dirPath;
}

void FrmChange::Dir1_Change()
{
    refreshFileList();
}

void FrmChange::refreshFileList()
{
    LstFile->clear();
    if (m_dirPath.isEmpty())
        return;
    LstFile->addItems(QDir(m_dirPath).entryList(QDir::Files, QDir::Name));
}

static QString joinFolder(const QString& folder, const QString& name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

void FrmChange::LstFile_Click()
{
    if (QListWidgetItem* item = LstFile->currentItem()) {
        Label3->setText(joinFolder(m_dirPath, item->text()));
        Label3->setFixedWidth(qMin(Label3->sizeHint().width(), width() - Label3->x() - 8));
    }
}

void FrmChange::LstFile_DblClick()
{
    clearPlaceholder();
    for (int i = 0; i < LstFile->count(); ++i) {
        if (LstFile->item(i)->isSelected())
            AddUniqueFile(joinFolder(m_dirPath, LstFile->item(i)->text()));
    }
    UpdateFileCount();
}

bool FrmChange::List1_KeyDown(int key)
{
    bool handled = false;
    if (key == Qt::Key_Delete) {
        const QList<QListWidgetItem*> selected = List1->selectedItems();
        if (selected.isEmpty()) {
            List1->clear();
            m_entrySet.clear();
        } else {
            removeEntry(List1->row(selected.first()));
        }
        handled = true;
    }
    UpdateFileCount();
    return handled;
}

bool FrmChange::isControlDrag(const QMimeData* mime) const
{
    return mime && mime->hasFormat(QLatin1String(kControlDragMime));
}

void FrmChange::fileDrop(const QMimeData* mime)
{
    clearPlaceholder();
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (kuvo::change::IsDirectory(path))
            AddDirectoryFiles(path);
        else
            AddUniqueFile(path);
    }
    UpdateFileCount();
}

void FrmChange::dirDrop()
{
    clearPlaceholder();
    AddDirectoryFiles(dirHighlighted());
    UpdateFileCount();
}

void FrmChange::startDirDrag()
{
    DirDragging = true;
    auto* mime = new QMimeData;
    mime->setData(QLatin1String(kControlDragMime), "Dir1");
    auto* drag = new QDrag(Dir1);
    drag->setMimeData(mime);
    drag->setPixmap(style()->standardIcon(QStyle::SP_DirIcon).pixmap(32, 32));
    drag->exec(Qt::CopyAction);
    DirDragging = false;
}

void FrmChange::dragEnterEvent(QDragEnterEvent* event)
{
    // The window itself takes drops from the file manager only.
    if (!m_running && !isControlDrag(event->mimeData()))
        event->acceptProposedAction();
}

void FrmChange::dragMoveEvent(QDragMoveEvent* event)
{
    if (!m_running && !isControlDrag(event->mimeData()))
        event->acceptProposedAction();
}

void FrmChange::dropEvent(QDropEvent* event)
{
    if (m_running || isControlDrag(event->mimeData()))
        return;
    event->acceptProposedAction();
    fileDrop(event->mimeData());
}

bool FrmChange::eventFilter(QObject* watched, QEvent* event)
{
    const bool dropTarget = watched == List1->viewport() || watched == FramDel;
    if (dropTarget) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* e = static_cast<QDragMoveEvent*>(event);
            const bool fromDir1 = isControlDrag(e->mimeData()) &&
                                  e->mimeData()->data(QLatin1String(kControlDragMime)) == "Dir1";
            if (!m_running && (fromDir1 || !isControlDrag(e->mimeData())))
                e->acceptProposedAction();
            else
                e->ignore();
            return true;
        }
        case QEvent::Drop: {
            auto* e = static_cast<QDropEvent*>(event);
            if (m_running)
                return true;
            e->acceptProposedAction();
            if (!isControlDrag(e->mimeData()))
                fileDrop(e->mimeData());
            else if (e->mimeData()->data(QLatin1String(kControlDragMime)) == "Dir1")
                dirDrop();
            return true;
        }
        default:
            break;
        }
    }
    if (watched == List1 && event->type() == QEvent::KeyPress)
        return List1_KeyDown(static_cast<QKeyEvent*>(event)->key());
    if (watched == LstFile && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            LstFile_DblClick();
            return true;
        }
    }
    if (watched == Dir1 && event->type() == QEvent::KeyPress)
        m_revealing = false;
    if (watched == Dir1->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            m_revealing = false;
            m_dirPressPos = static_cast<QMouseEvent*>(event)->position().toPoint();
        } else if (event->type() == QEvent::MouseMove) {
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->buttons() != Qt::NoButton && !DirDragging &&
                (e->position().toPoint() - m_dirPressPos).manhattanLength() >=
                    QApplication::startDragDistance()) {
                startDirDrag();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
