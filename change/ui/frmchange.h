// Change's only window: collects the files to erase (drops from the file
// manager, a folder dragged from Dir1, the file browser, the command line or
// Crypt's hand-over) and runs the erase engine over them.
#pragma once

#include <QSet>
#include <QStringList>
#include <QWidget>
#include <memory>

#include "change/core/delvsitr.h"
#include "common/platform/platform.h"

class QComboBox;
class QFileSystemModel;
class QFrame;
class QGroupBox;
class QLabel;
class QListWidget;
class QMimeData;
class QProgressBar;
class QPushButton;
class QTreeView;

namespace kuvo {
class UcShape;
}

class FrmChange : public QWidget {
    Q_OBJECT
public:
    // Title of every message box of Change.
    static constexpr const char* kAppTitle = "Erase Files";
    // Mime type of the in-window drag; its data is the dragged control's name.
    static constexpr const char* kControlDragMime = "application/x-kuvo-control";

    FrmChange(const kuvo::Platform& platform, const QString& commandLine, QWidget* parent = nullptr);
    ~FrmChange() override;

    bool CancelFlag = false;
    bool AutoClose = false;
    bool DirDragging = false;

    // Appends a path unless it is empty or already listed (doubled "/" collapse first).
    void AddUniqueFile(const QString& path);
    // Adds the plain files directly inside folder; sub-folders are not entered.
    void AddDirectoryFiles(const QString& folder);
    void UpdateFileCount();
    // Erases every entry of list with strength 0..3 and empties it.
    void DelVSITR(QListWidget* list, int strength);
    void SetBusy(bool on);
    bool isRunning() const { return m_running; }

    // The real entries of List1 (none while the placeholder shows).
    QStringList entries() const;
    bool showsPlaceholder() const { return m_placeholder; }

    // The folder Dir1 shows (LstFile lists its files) and the one it highlights.
    QString dirPath() const { return m_dirPath; }
    QString dirHighlighted() const;
    void setDirPath(const QString& folder);
    void highlightDir(const QString& folder);

    // Passed to the engine on every run; tests put a recording writer or a clock here.
    kuvo::change::EraseOptions eraseOptions;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void revealDirPath();
    class Progress;

    void buildControls();
    void layoutStrengthRow();
    void applyCommandLine(const QString& commandLine);
    void clearPlaceholder();
    void Command1_Click();
    void CmdCancel_Click();
    void CmdReturn_Click();
    void Drive1_Change();
    void Dir1_Change();
    void LstFile_Click();
    void LstFile_DblClick();
    void refreshFileList();
    bool List1_KeyDown(int key);
    bool isControlDrag(const QMimeData* mime) const;
    void fileDrop(const QMimeData* mime);
    void dirDrop();
    void startDirDrag();
    void message(const QString& text);
    void removeEntry(int row);

    kuvo::Platform m_platform;
    std::unique_ptr<Progress> m_progress;
    bool m_placeholder = true;
    bool m_running = false;
    bool m_closePending = false;
    QSet<QString> m_entrySet;
    QString m_dirPath;
    // Set until the user works in the folder list: folders read in the background
    // keep it opened down to m_dirPath.
    bool m_revealing = false;
    QPoint m_dirPressPos;

    QLabel* lblTitle = nullptr;
    kuvo::UcShape* ucShape1 = nullptr;
    QComboBox* Drive1 = nullptr;
    QTreeView* Dir1 = nullptr;
    QFileSystemModel* m_dirModel = nullptr;
    QListWidget* LstFile = nullptr;
    QLabel* Label3 = nullptr;
    QGroupBox* FramDel = nullptr;
    QLabel* Label1 = nullptr;
    QListWidget* List1 = nullptr;
    QLabel* LblFiles = nullptr;
    QLabel* Label4 = nullptr;
    QComboBox* CmbDelArt = nullptr;
    QPushButton* Command1 = nullptr;
    QLabel* ImgErase = nullptr;
    QGroupBox* FrameW = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* LblStat = nullptr;
    QLabel* LblFile = nullptr;
    QWidget* Picture1 = nullptr;
    QWidget* AmpelL[3] = {};
    QFrame* PictFileProgress = nullptr;
    QLabel* LblFileprogress = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* CmdCancel = nullptr;
    QPushButton* CmdReturn = nullptr;
};
