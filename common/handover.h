// The hand-over of Crypt's input list to Change: Crypt serves the list on a
// per-user local socket named by a random decimal token and starts
// "change /hen TOKEN"; Change fetches the list through the token.
//
// Crypt:   kuvo::HandoverServer server;               // lives as long as Crypt
//          QString token = server.serve(paths, &why); // empty on failure
//          processes->start("change", {"/hen", token});
// Change:  QStringList paths = kuvo::fetchHandover(token, 5000, &why);
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <sys/types.h>
#include <unistd.h>

class QLocalServer;

namespace kuvo {

// $XDG_RUNTIME_DIR when it is ours, else a private (0700) folder of the user in
// the temporary folder; empty when neither can be had.
QString handoverDir();
// The socket a token names; empty for anything but 1 to 20 decimal digits.
QString handoverSocketPath(const QString& token);

// The effective uid of the process at the other end of a connected local socket.
bool peerUid(qintptr socketDescriptor, uid_t* uid);

class HandoverServer : public QObject {
    Q_OBJECT
public:
    explicit HandoverServer(QObject* parent = nullptr);
    ~HandoverServer() override;

    // Serves the paths, in order, to every connection of the same user until
    // close() or destruction; serving again replaces the list and the token.
    // Returns the token; empty, with the reason in *error, when no socket could be made.
    QString serve(const QStringList& paths, QString* error = nullptr);
    void close();
    bool isServing() const { return m_server != nullptr; }
    QString token() const { return m_token; }
    QString socketPath() const;
    // Connections that were given the list.
    int servedCount() const { return m_served; }

    // Clients must run as this user (default: ours); a seam for tests.
    void setExpectedPeerUid(uid_t uid) { m_peerUid = uid; }

signals:
    void served();

private:
    void answer();

    QLocalServer* m_server = nullptr;
    QByteArray m_payload;
    QString m_token;
    uid_t m_peerUid;
    int m_served = 0;
};

// The list served under token, in its order. An empty list (with the reason in
// *error) when the token names nothing, the server is another user's, or no
// complete list arrived within timeoutMs.
QStringList fetchHandover(const QString& token, int timeoutMs, QString* error = nullptr,
                          uid_t expectedPeerUid = ::geteuid());

} // namespace kuvo
