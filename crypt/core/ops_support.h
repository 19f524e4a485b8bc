// Shared pieces of the file operations (not for the windows).
#pragma once

#include <QString>
#include <chrono>

#include "crypt/cipher/rijndael.h"
#include "file_ops_ui.h"

namespace kuvo::fileops {

// Gives the cipher's yield points to the caller's yield, at most every few
// milliseconds: Cancel is still seen at once, through doCancel, while a
// window is not asked to process events tens of thousands of times a second.
class YieldGate : public CipherObserver {
public:
    YieldGate(FileOpsUi& ui, CRijndael& cipher);
    ~YieldGate() override;
    void progressRange(float, float) override {}
    void progressValue(float) override {}
    void yieldNow() override;

private:
    FileOpsUi& m_ui;
    CRijndael& m_cipher;
    CipherObserver* m_previous;
    std::chrono::steady_clock::time_point m_last{};
};

// The traffic light of a run: lamps change one at a time, the UI always gets all three.
class Lights {
public:
    explicit Lights(FileOpsUi& ui) : m_ui(ui) {}
    void set(bool red, bool yellow, bool green);
    void red(bool on) { set(on, m_yellow, m_green); }
    void yellow(bool on) { set(m_red, on, m_green); }
    void green(bool on) { set(m_red, m_yellow, on); }
    // After item i of a run whose last index is last (encrypt: n, decrypt: m).
    void afterItem(qint64 i, qint64 n, bool onlyWhenPositive);

private:
    FileOpsUi& m_ui;
    bool m_red = false, m_yellow = false, m_green = false;
};

// Text 103, a blank and the description.
QString ErrorText(const QString& description);
// "path: system description of error".
QString PathErrorText(const QString& path, int error);

// Calls entryProgress only when the shown value changes.
class EntryProgress {
public:
    explicit EntryProgress(FileOpsUi& ui) : m_ui(ui) {}
    void operator()(int permille);
    void reset() { m_last = -1; }

private:
    FileOpsUi& m_ui;
    int m_last = -1;
};

} // namespace kuvo::fileops
