// A private X server for end-to-end tests that drive the real programs as a
// user would (xdotool clicks and keys), and clean-up of the processes the
// programs start, which are no children of the test.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <optional>

namespace kuvo::test {

class PrivateX {
public:
    PrivateX() = default;
    PrivateX(const PrivateX&) = delete;
    PrivateX& operator=(const PrivateX&) = delete;
    // Stops the server.
    ~PrivateX();

    // Whether Xvfb and xdotool are installed.
    static bool available();
    // Starts Xvfb on a display it picks itself; false with the reason in *why.
    bool start(QString* why);
    QString display() const { return m_display; }

    // Runs xdotool against this display: its output, or nothing on failure or timeout.
    std::optional<QString> xdotool(const QStringList& args, int timeoutMs = 10000);
    // A left click at screen coordinates.
    bool clickAt(int x, int y);
    bool key(const QString& keys);
    bool type(const QString& text);

private:
    QProcess m_server;
    QString m_display;
};

// Processes of this user whose environment carries marker ("NAME=value"), with their command lines.
QList<QPair<qint64, QStringList>> markedProcesses(const QByteArray& marker);

// Kills the marked processes when it goes away.
class MarkedCleanup {
public:
    explicit MarkedCleanup(QByteArray marker) : m_marker(std::move(marker)) {}
    ~MarkedCleanup();

private:
    QByteArray m_marker;
};

} // namespace kuvo::test
