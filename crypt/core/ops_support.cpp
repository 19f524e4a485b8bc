#include "ops_support.h"

#include "common/catalogue.h"
#include "container.h"

namespace kuvo::fileops {

namespace {
constexpr auto kYieldSpacing = std::chrono::milliseconds(8);
}

YieldGate::YieldGate(FileOpsUi& ui, CRijndael& cipher) : m_ui(ui), m_cipher(cipher), m_previous(nullptr)
{
    // The cipher keeps no getter for its observer; the caller's is put back as none.
    m_cipher.setObserver(this);
}

YieldGate::~YieldGate()
{
    m_cipher.setObserver(m_previous);
}

void YieldGate::yieldNow()
{
    const auto now = std::chrono::steady_clock::now();
    if (m_last.time_since_epoch().count() != 0 && now - m_last < kYieldSpacing)
        return;
    m_last = now;
    m_ui.yield();
}

void Lights::set(bool red, bool yellow, bool green)
{
    m_red = red;
    m_yellow = yellow;
    m_green = green;
    m_ui.lights(red, yellow, green);
}

void Lights::afterItem(qint64 i, qint64 n, bool onlyWhenPositive)
{
    if (onlyWhenPositive && n <= 0)
        return;
    if (i >= n / 4) {
        yellow(true);
        if (i >= n / 2) {
            red(false);
            if (4 * i >= 3 * n)
                green(true);
        }
    }
}

QString ErrorText(const QString& description)
{
    return LoadText(103) + QLatin1Char(' ') + description;
}

QString PathErrorText(const QString& path, int error)
{
    return path + QLatin1String(": ") + container::SystemErrorText(error);
}

void EntryProgress::operator()(int permille)
{
    if (permille == m_last)
        return;
    m_last = permille;
    m_ui.entryProgress(permille, 1000);
}

} // namespace kuvo::fileops
