// Handing a launch's file to the reader already running, over a local socket.
#include "app/singleinstance.h"

#include "support/qtprinters.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <thread>

namespace narrata {
namespace {

class SingleInstanceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "app_tests";
        static char *argv[] = {name, nullptr};
        static QCoreApplication application(argc, argv);
    }

    // The client blocks until the server acknowledges, so it runs on its own thread while this
    // one serves.
    bool handOff(const SingleInstance &client, const QString &path)
    {
        std::atomic<bool> done = false;
        bool result = false;
        std::thread thread([&] {
            result = client.handOffToRunningInstance(path, 5000);
            done = true;
        });
        (void)QTest::qWaitFor([&] { return done.load(); }, 10000);
        thread.join();
        return result;
    }

    QTemporaryDir m_dir;
    const QString m_name = m_dir.filePath(QStringLiteral("reader"));
};

TEST_F(SingleInstanceTest, HandsEachPathOverOnceMadeAbsolute)
{
    SingleInstance server(m_name);
    ASSERT_TRUE(server.listen());
    QSignalSpy requested(&server, &SingleInstance::fileRequested);
    const SingleInstance client(m_name);

    EXPECT_TRUE(handOff(client, QStringLiteral("papers/draft.pdf")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return requested.size() >= 1; }));
    const QString odd = QStringLiteral("/tmp/line\nbreak 100%/Ünï.pdf");
    EXPECT_TRUE(handOff(client, odd));
    EXPECT_TRUE(handOff(client, QString()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return requested.size() >= 3; }));
    QTest::qWait(100); // nothing delivered twice

    ASSERT_EQ(requested.size(), 3);
    EXPECT_EQ(requested.at(0).at(0).toString(), QDir::current().absoluteFilePath(QStringLiteral("papers/draft.pdf")));
    EXPECT_EQ(requested.at(1).at(0).toString(), odd);
    EXPECT_EQ(requested.at(2).at(0).toString(), QString()) << "an empty path only brings the reader forward";
}

TEST_F(SingleInstanceTest, ALineArrivingInPiecesIsOneRequest)
{
    SingleInstance server(m_name);
    ASSERT_TRUE(server.listen());
    QSignalSpy requested(&server, &SingleInstance::fileRequested);

    QLocalSocket socket;
    socket.connectToServer(m_name);
    ASSERT_TRUE(socket.waitForConnected(1000));
    socket.write("/tmp/first");
    socket.flush();
    QTest::qWait(100);
    EXPECT_EQ(requested.size(), 0);
    EXPECT_EQ(socket.bytesAvailable(), 0) << "no acknowledgement before the line is whole";

    socket.write(" half.pdf\n");
    socket.flush();
    ASSERT_TRUE(QTest::qWaitFor([&] { return requested.size() == 1 && socket.bytesAvailable() == 1; }));
    EXPECT_EQ(requested.at(0).at(0).toString(), QStringLiteral("/tmp/first half.pdf"));
}

TEST_F(SingleInstanceTest, ASocketLeftByACrashedInstanceIsReplacedButALiveOneIsNot)
{
    EXPECT_FALSE(SingleInstance(m_name).handOffToRunningInstance(QStringLiteral("/tmp/a.pdf"), 500)) << "none runs";

    // A bound socket whose process is gone: the file stays, nobody accepts on it.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(m_name);
    ASSERT_LT(std::size_t(path.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    ::close(fd);
    ASSERT_TRUE(QFile::exists(m_name));

    SingleInstance first(m_name);
    ASSERT_TRUE(first.listen());
    QSignalSpy requested(&first, &SingleInstance::fileRequested);
    SingleInstance second(m_name);
    EXPECT_FALSE(second.listen()) << "a running instance is not taken over";
    EXPECT_TRUE(handOff(second, QStringLiteral("/tmp/a.pdf")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return requested.size() == 1; })) << "the first still serves";
}

} // namespace
} // namespace narrata
