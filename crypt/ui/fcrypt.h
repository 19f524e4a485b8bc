// Crypt's main window: the text and file panels behind two tab strips, the
// passphrase panel, and the busy display every long operation uses.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "common/handover.h"
#include "common/platform/platform.h"
#include "crypt/cipher/passphrase_key.h"
#include "crypt/ui/textbox.h"
#include "crypt/cipher/rijndael.h"
#include "crypt/core/input_list.h"

class QCheckBox;
class QDropEvent;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabBar;
class QTimer;
class FrmTast;

namespace kuvo {
class Lamp;
class LinkLabel;
class UcShape;
} // namespace kuvo

class FCrypt : public QWidget {
    Q_OBJECT
public:
    // Title of message boxes that name none of their own.
    static constexpr const char* kAppTitle = "Kuvo Crypt Lite";

    FCrypt(const kuvo::Platform& platform, const QString& commandLine, QWidget* parent = nullptr);
    ~FCrypt() override;

    const kuvo::Platform& platform() const { return m_platform; }

    // --- State shared with the operations ------------------------------------
    // Set by Cancel; an operation that polls it clears it before it starts.
    bool CancelFlag = false;
    // The cipher of the running operation (see CipherRun); Cancel sets its doCancel.
    kuvo::CRijndael* ActiveCipher = nullptr;
    // The container written by the last successful file encryption.
    QString LastContainer;
    // Second of the day (0 .. 86399) the clock started at, and the minutes it shows.
    int ClockStart = 0;
    qint16 ClockMinutes = 0;

    // The clock's time source: the current second of the day. Tests replace it.
    std::function<int()> secondOfDay;
    // Finds an optional data file such as "lock.wav"; empty when there is none.
    std::function<QString(const QString&)> findDataFile;

    // --- Operations ----------------------------------------------------------
    // Idle <-> busy. Busy: the busy panel over the working area, the panels
    // disabled, and unless noProgress the progress bars reset and the clock
    // started. Pending events are processed once at the end, so the change shows.
    void SetBusy(bool busy, bool noProgress);
    bool isBusy() const { return m_busy; }
    // The yield point of long work: processes pending events (a Cancel click,
    // the clock, repaints) at most every few milliseconds, so calling it often is cheap.
    void yieldToUi();
    // Progress of ProgressBar1 and yields for a cipher (CipherRun installs it).
    kuvo::CipherObserver& cipherObserver();

    static bool FileExists(const QString& path);
    static bool DirExists(const QString& path);
    // The folder browser; empty when the user cancels.
    QString BrowseForFolder(const QString& title);
    // The one way an input file enters LstCryptFiles (the input list's rule:
    // empty and duplicate paths are ignored). True when a row was added.
    bool AddUniqueFile(const QString& path);
    // The list's mode: "" empty, "d" files, "v" + folder + "/" directory structure.
    QString listTag() const;
    void setListTag(const QString& tag);
    const kuvo::InputFileList& inputList() const { return m_list; }

    // Rates a passphrase into the lights, keys and verdict; plays lock.wav on the step to five keys.
    void PwdBewert(const QString& passphrase);

    // One operation's cipher: a new CRijndael that reports to this window, kept
    // as ActiveCipher for the scope's lifetime.
    class CipherRun {
    public:
        explicit CipherRun(FCrypt& window);
        ~CipherRun();
        CipherRun(const CipherRun&) = delete;
        CipherRun& operator=(const CipherRun&) = delete;
        kuvo::CRijndael& cipher() { return *m_cipher; }

    private:
        FCrypt& m_window;
        std::unique_ptr<kuvo::CRijndael> m_cipher;
    };

    // --- Event handlers, named as the design names them ----------------------
    void TabStr_Click();
    void TabFileCrypt_Click();
    void TmrCount_Timer();
    void TxtCode_Change();
    void ChkHPwd_Click();
    void cmdPassgen_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void CmdCancel_Click();
    void CmdReturn_Click();
    void LblLink_Click();
    // Input list and output file.
    void CmdAdCryptdfile_Click();
    void CmdDelCryptFiles_Click();
    void LstCryptFiles_OLEDragDrop(QDropEvent* event);
    void CmdBrowseCryptOut_Click();
    // Container and output folder.
    void TxtDecrFile_Change();
    void TxtDecrOutPath_Validate();
    void Command7_Click();
    void CmdBrowseOutPath_Click();
    // The file operations.
    void Command4_Click();
    void Command5_Click();

    // --- Controls --------------------------------------------------------------
    QLabel* lblTitle = nullptr;
    kuvo::UcShape* ucShape1 = nullptr;
    QTabBar* TabStr = nullptr;
    std::array<QFrame*, 2> Frame{};
    QFrame* FrameW = nullptr;
    QFrame* FramePwd = nullptr;
    QPushButton* CmdReturn = nullptr;
    QTimer* TmrCount = nullptr;

    // Text panel.
    kuvo::TextBox* txtResults = nullptr;

    // File panel.
    QTabBar* TabFileCrypt = nullptr;
    QFrame* FramFileEnrypt = nullptr;
    QFrame* FramFileDecrypt = nullptr;
    QListWidget* LstCryptFiles = nullptr;
    QRadioButton* OptFiles = nullptr;
    QRadioButton* OptDirs = nullptr;
    QPushButton* CmdAdCryptdfile = nullptr;
    QPushButton* CmdDelCryptFiles = nullptr;
    QLineEdit* TxtEncrFileName = nullptr;
    QPushButton* CmdBrowseCryptOut = nullptr;
    QCheckBox* ChkEraseEncr = nullptr;
    QLineEdit* TxtDecrFile = nullptr;
    QPushButton* Command7 = nullptr;
    QLineEdit* TxtDecrOutPath = nullptr;
    QPushButton* CmdBrowseOutPath = nullptr;

    // Busy panel: lamps 5 red, 4 yellow, 3 green of the working light.
    QWidget* PictArbeitampel = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QProgressBar* ProgressBar2 = nullptr;
    QPushButton* CmdCancel = nullptr;
    std::array<QLabel*, 5> ImgCount{};
    QLabel* Label7 = nullptr;

    // Passphrase panel: lamps 0 red, 1 yellow, 2 green of the passphrase light.
    QLineEdit* TxtCode = nullptr;
    QCheckBox* ChkHPwd = nullptr;
    QPushButton* cmdPassgen = nullptr;
    QPushButton* Command3 = nullptr;
    QWidget* PictAmpel = nullptr;
    std::array<kuvo::Lamp*, 6> AmpelL{};
    std::array<QLabel*, 6> Stern{};          // 1 .. 5
    std::array<QLabel*, 6> SchlusselPlatz{}; // 1 .. 5
    QLabel* Label3 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    kuvo::LinkLabel* LblLink = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* CmdMail = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Observer;
    class FileUi;

    void buildWindow();
    QWidget* buildTextPanel();
    QWidget* buildFilePanel();
    QWidget* buildBusyPanel();
    QWidget* buildPasswordPanel();
    QWidget* buildTrafficLight(const QString& name, const QString& housingName, int firstLamp, bool redOnTop);
    void layoutPasswordPanel();
    void applyCommandLine(const QString& commandLine);
    void showDigit(int index, int digit);
    void showMessage(const QString& text, const QString& title = QString::fromLatin1(kAppTitle));
    void refuse(int textId);
    void addDirectoryTree(const QString& folder);
    void suggestContainerName(const QString& folder);
    QString absoluteContainer() const;
    void showWorkingLight();
    void playFinishSound();
    std::optional<kuvo::CipherKey> takeRunKey();
    void offerErase(const QString& container, const QStringList& entries,
                    const std::vector<std::uint32_t>& entrySizes);
    void finishPendingClose();

    kuvo::Platform m_platform;
    kuvo::InputFileList m_list; // what LstCryptFiles shows, row for row
    kuvo::HandoverServer m_handover;
    QElapsedTimer m_sinceHandover;
    std::unique_ptr<Observer> m_observer;
    QPointer<FrmTast> m_tast;
    QElapsedTimer m_sinceYield;
    bool m_busy = false;
    bool m_closeRequested = false;
    bool m_returnRequested = false;
    bool m_closeAfterHandover = false;
};
