#include "handover.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QtEndian>
#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>

#include "secure.h"

namespace kuvo {

namespace {

const QByteArray kMagic = QByteArrayLiteral("KUVOHO1\n");
constexpr qsizetype kMaxPayload = qsizetype(64) << 20;
constexpr int kMaxTokenDigits = 20;
// sockaddr_un holds 108 bytes with the terminating NUL.
constexpr qsizetype kMaxSocketPath = 107;
const QString kSocketPrefix = QStringLiteral("kuvo-handover-");

bool ownedFolder(const QString& dir, bool privateOnly)
{
    struct stat st;
    if (::lstat(QFile::encodeName(dir).constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (!privateOnly || (st.st_mode & 077) == 0);
}

bool fits(const QString& dir)
{
    return QFile::encodeName(dir).size() + 1 + kSocketPrefix.size() + kMaxTokenDigits <= kMaxSocketPath;
}

void appendUint32(QByteArray& out, quint32 v)
{
    char b[4];
    qToBigEndian(v, b);
    out.append(b, 4);
}

enum class Parse { Complete, Incomplete, Malformed };

// Parses "KUVOHO1\n", count, then count times (length, bytes); big-endian lengths.
Parse parsePayload(const QByteArray& data, QStringList* paths)
{
    if (data.size() < kMagic.size() + 4)
        return kMagic.startsWith(data.left(kMagic.size())) ? Parse::Incomplete : Parse::Malformed;
    if (!data.startsWith(kMagic))
        return Parse::Malformed;
    qsizetype at = kMagic.size();
    const quint32 count = qFromBigEndian<quint32>(data.constData() + at);
    at += 4;
    QStringList out;
    for (quint32 i = 0; i < count; ++i) {
        if (data.size() - at < 4)
            return Parse::Incomplete;
        const quint32 length = qFromBigEndian<quint32>(data.constData() + at);
        at += 4;
        if (length > quint32(kMaxPayload))
            return Parse::Malformed;
        if (data.size() - at < qsizetype(length))
            return Parse::Incomplete;
        out << QFile::decodeName(data.mid(at, length));
        at += length;
    }
    if (at != data.size())
        return Parse::Malformed;
    *paths = out;
    return Parse::Complete;
}

QString newToken()
{
    quint64 n = 0;
    randomBytes(&n, sizeof n);
    return QString::number(n);
}

} // namespace

QString handoverDir()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && fits(runtime) && ownedFolder(runtime, false))
        return runtime;
    const QString fallback =
        QDir::tempPath() + QStringLiteral("/kuvo-runtime-") + QString::number(::geteuid());
    const QByteArray native = QFile::encodeName(fallback);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    // Someone else's folder, or one others may enter, is never used.
    return fits(fallback) && ownedFolder(fallback, true) ? fallback : QString();
}

QString handoverSocketPath(const QString& token)
{
    if (token.isEmpty() || token.size() > kMaxTokenDigits)
        return {};
    for (QChar c : token)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return {};
    const QString dir = handoverDir();
    return dir.isEmpty() ? QString() : dir + QLatin1Char('/') + kSocketPrefix + token;
}

bool peerUid(qintptr socketDescriptor, uid_t* uid)
{
    struct ucred cred {};
    socklen_t len = sizeof cred;
    if (socketDescriptor < 0 ||
        ::getsockopt(int(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || len != sizeof cred)
        return false;
    *uid = cred.uid;
    return true;
}

HandoverServer::HandoverServer(QObject* parent) : QObject(parent), m_peerUid(::geteuid()) {}

HandoverServer::~HandoverServer()
{
    close();
}

QString HandoverServer::socketPath() const
{
    return m_server ? m_server->fullServerName() : QString();
}

QString HandoverServer::serve(const QStringList& paths, QString* error)
{
    close();
    m_payload = kMagic;
    appendUint32(m_payload, quint32(paths.size()));
    for (const QString& p : paths) {
        const QByteArray native = QFile::encodeName(p);
        appendUint32(m_payload, quint32(native.size()));
        m_payload += native;
    }
    QString reason = QStringLiteral("no private folder for the hand-over socket");
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QString token = newToken();
        const QString path = handoverSocketPath(token);
        if (path.isEmpty())
            break;
        if (QFileInfo::exists(path)) {
            // listen() would silently take over a live socket: only a stale one is removed.
            QLocalSocket probe;
            probe.connectToServer(path);
            if (probe.waitForConnected(200))
                continue;
            QLocalServer::removeServer(path);
        }
        auto* server = new QLocalServer(this);
        server->setSocketOptions(QLocalServer::UserAccessOption);
        if (!server->listen(path)) {
            reason = server->errorString();
            delete server;
            continue;
        }
        connect(server, &QLocalServer::newConnection, this, &HandoverServer::answer);
        m_server = server;
        m_token = token;
        return token;
    }
    if (error)
        *error = reason;
    return {};
}

void HandoverServer::close()
{
    if (m_server) {
        m_server->close(); // also removes the socket file
        delete m_server;
        m_server = nullptr;
    }
    m_token.clear();
}

void HandoverServer::answer()
{
    while (m_server && m_server->hasPendingConnections()) {
        QLocalSocket* client = m_server->nextPendingConnection();
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        uid_t uid = 0;
        if (!peerUid(client->socketDescriptor(), &uid) || uid != m_peerUid) {
            client->abort();
            client->deleteLater();
            continue;
        }
        client->write(m_payload);
        client->disconnectFromServer(); // after the list is written
        ++m_served;
        emit served();
    }
}

QStringList fetchHandover(const QString& token, int timeoutMs, QString* error, uid_t expectedPeerUid)
{
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return QStringList();
    };
    const QString path = handoverSocketPath(token.trimmed());
    if (path.isEmpty())
        return fail(QStringLiteral("not a hand-over token: %1").arg(token));
    if (!QFileInfo::exists(path))
        return fail(QStringLiteral("nothing is handed over under %1").arg(token));
    QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return fail(QStringLiteral("nothing is handed over under %1: %2").arg(token, socket.errorString()));
    uid_t uid = 0;
    if (!peerUid(socket.socketDescriptor(), &uid) || uid != expectedPeerUid) {
        socket.abort();
        return fail(QStringLiteral("the hand-over under %1 belongs to another user").arg(token));
    }
    QByteArray data;
    QStringList paths;
    for (;;) {
        data += socket.readAll();
        if (data.size() > kMaxPayload)
            return fail(QStringLiteral("the hand-over is too large"));
        switch (parsePayload(data, &paths)) {
        case Parse::Complete:
            return paths;
        case Parse::Malformed:
            return fail(QStringLiteral("the hand-over is not a list of files"));
        case Parse::Incomplete:
            break;
        }
        if (socket.state() != QLocalSocket::ConnectedState && socket.bytesAvailable() == 0)
            return fail(QStringLiteral("the hand-over ended early"));
        if (deadline.hasExpired())
            return fail(QStringLiteral("the hand-over took too long"));
        socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    }
}

} // namespace kuvo
