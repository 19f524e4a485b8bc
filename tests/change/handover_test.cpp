// Both sides of the Crypt-to-Change hand-over over a real local socket.
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <future>
#include <sys/stat.h>

#include "common/handover.h"

using kuvo::fetchHandover;
using kuvo::HandoverServer;

namespace {

struct Fetched {
    QStringList paths;
    QString error;
};

// The client blocks, so it runs beside the event loop that serves it.
std::future<Fetched> fetchLater(const QString& token, uid_t uid = ::geteuid(), int timeoutMs = 5000)
{
    return std::async(std::launch::async, [=] {
        Fetched f;
        f.paths = fetchHandover(token, timeoutMs, &f.error, uid);
        return f;
    });
}

Fetched wait(std::future<Fetched>& f)
{
    [&] {
        QTRY_VERIFY_WITH_TIMEOUT(f.wait_for(std::chrono::seconds(0)) == std::future_status::ready, 10000);
    }();
    return f.valid() ? f.get() : Fetched{};
}

} // namespace

class HandoverTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void servesTheListInOrderToEveryConnect();
    void emptyList();
    void tokenThatNamesNothing_data();
    void tokenThatNamesNothing();
    void refusesAServerOfAnotherUser();
    void refusesAClientOfAnotherUser();
    void closeRemovesTheSocket();
    void servingAgainReplacesTheToken();
    void socketFolder();

private:
    QTemporaryDir* m_runtime = nullptr;
};

void HandoverTest::init()
{
    m_runtime = new QTemporaryDir;
    QVERIFY(m_runtime->isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime->path()));
}

void HandoverTest::cleanup()
{
    delete m_runtime;
    m_runtime = nullptr;
}

void HandoverTest::servesTheListInOrderToEveryConnect()
{
    const QStringList paths{"/home/u/b.txt", "/home/u/a.txt", "/tmp/with blank/ü ñ.doc", "/tmp/new\nline",
                            QString("/x/") + QString(300, 'y')};
    HandoverServer server;
    QString error;
    const QString token = server.serve(paths, &error);
    QVERIFY2(!token.isEmpty(), qPrintable(error));
    QVERIFY(token.size() <= 20);
    for (QChar c : token)
        QVERIFY(c.isDigit());
    QVERIFY(server.socketPath().startsWith(m_runtime->path() + "/"));

    for (int round = 0; round < 2; ++round) {
        auto f = fetchLater(token);
        const Fetched got = wait(f);
        QVERIFY2(got.error.isEmpty(), qPrintable(got.error));
        QCOMPARE(got.paths, paths);
    }
    QTRY_COMPARE(server.servedCount(), 2);
    QVERIFY(server.isServing());
}

void HandoverTest::emptyList()
{
    HandoverServer server;
    const QString token = server.serve({});
    QVERIFY(!token.isEmpty());
    auto f = fetchLater(token);
    const Fetched got = wait(f);
    QVERIFY2(got.error.isEmpty(), qPrintable(got.error));
    QVERIFY(got.paths.isEmpty());
}

void HandoverTest::tokenThatNamesNothing_data()
{
    QTest::addColumn<QString>("token");
    QTest::addRow("unused number") << "12345678901234";
    QTest::addRow("not a number") << "abc";
    QTest::addRow("path") << "../../etc/passwd";
    QTest::addRow("empty") << "";
    QTest::addRow("too long") << "123456789012345678901";
    QTest::addRow("negative") << "-5";
}

void HandoverTest::tokenThatNamesNothing()
{
    QFETCH(QString, token);
    HandoverServer other; // a live hand-over under another token changes nothing
    QVERIFY(!other.serve({"/a"}).isEmpty());
    QElapsedTimer t;
    t.start();
    QString error;
    QCOMPARE(fetchHandover(token, 5000, &error), QStringList());
    QVERIFY(!error.isEmpty());
    QVERIFY(t.elapsed() < 2000);
    QCOMPARE(other.servedCount(), 0);
}

void HandoverTest::refusesAServerOfAnotherUser()
{
    HandoverServer server;
    const QString token = server.serve({"/home/u/secret"});
    auto f = fetchLater(token, ::geteuid() + 1);
    const Fetched got = wait(f);
    QVERIFY(got.paths.isEmpty());
    QVERIFY2(got.error.contains("another user"), qPrintable(got.error));
}

void HandoverTest::refusesAClientOfAnotherUser()
{
    HandoverServer server;
    server.setExpectedPeerUid(::geteuid() + 1);
    const QString token = server.serve({"/home/u/secret"});
    auto f = fetchLater(token, ::geteuid(), 3000);
    const Fetched got = wait(f);
    QVERIFY(got.paths.isEmpty());
    QVERIFY(!got.error.isEmpty());
    QCOMPARE(server.servedCount(), 0);
}

void HandoverTest::closeRemovesTheSocket()
{
    HandoverServer server;
    const QString token = server.serve({"/a"});
    const QString path = server.socketPath();
    QVERIFY(QFileInfo::exists(path));
    struct stat st;
    QCOMPARE(::lstat(QFile::encodeName(path).constData(), &st), 0);
    QVERIFY(S_ISSOCK(st.st_mode));
    QCOMPARE(st.st_mode & 077, 0u); // only the user may connect
    server.close();
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(fetchHandover(token, 1000).isEmpty());
}

void HandoverTest::servingAgainReplacesTheToken()
{
    HandoverServer server;
    const QString first = server.serve({"/a"});
    const QString second = server.serve({"/b", "/c"});
    QVERIFY(first != second);
    QVERIFY(fetchHandover(first, 1000).isEmpty());
    auto f = fetchLater(second);
    QCOMPARE(wait(f).paths, (QStringList{"/b", "/c"}));
}

void HandoverTest::socketFolder()
{
    QCOMPARE(kuvo::handoverDir(), m_runtime->path());
    // Without XDG_RUNTIME_DIR (or with one that cannot be used): a private folder of the user.
    for (const QByteArray& value : {QByteArray(), QByteArray("/nonexistent/runtime")}) {
        if (value.isEmpty())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", value);
        const QString dir = kuvo::handoverDir();
        QVERIFY(!dir.isEmpty());
        QVERIFY(dir.startsWith(QDir::tempPath()));
        struct stat st;
        QCOMPARE(::lstat(QFile::encodeName(dir).constData(), &st), 0);
        QVERIFY(S_ISDIR(st.st_mode));
        QCOMPARE(st.st_mode & 077, 0u);
        QCOMPARE(st.st_uid, ::geteuid());
        HandoverServer server;
        const QString token = server.serve({"/z"});
        QVERIFY(server.socketPath().startsWith(dir + "/"));
        auto f = fetchLater(token);
        QCOMPARE(wait(f).paths, QStringList{"/z"});
    }
}

QTEST_GUILESS_MAIN(HandoverTest)
#include "handover_test.moc"
