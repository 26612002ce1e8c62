// The window's audiobook export, running the real narrata-cli on the document shown.
#include "view/audiobookexport.h"

#include "readerwindowrig.h"

#include <QDir>
#include <QFile>

namespace narrata {
namespace {

class AudiobookExportTest : public testing::ReaderWindowTest {
protected:
    AudiobookExportTest()
    {
        // The export's own settings and word mappings stay in the test's folder.
        qputenv("XDG_CONFIG_HOME", folder.filePath(QStringLiteral("config")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", folder.filePath(QStringLiteral("data")).toLocal8Bit());
    }
    AudiobookExport &exporter() { return *window.audiobookExport(); }
};

TEST_F(AudiobookExportTest, WritesTheShownDocumentOrNothingWhenCancelled)
{
    QSignalSpy finished(&exporter(), &AudiobookExport::finished);
    ASSERT_TRUE(exporter().exportTo(folder.filePath(QStringLiteral("guide.flac"))));
    EXPECT_TRUE(exporter().isRunning());
    ASSERT_TRUE(finished.wait(120000));
    EXPECT_TRUE(finished.takeFirst().at(0).toBool());
    EXPECT_GT(QFile(folder.filePath(QStringLiteral("guide.flac"))).size(), 10000);
    EXPECT_TRUE(QFile::exists(folder.filePath(QStringLiteral("guide.cue"))));

    ASSERT_TRUE(exporter().exportTo(folder.filePath(QStringLiteral("stopped.opus"))));
    exporter().cancel();
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_FALSE(finished.takeFirst().at(0).toBool());
    EXPECT_TRUE(
        QDir(folder.path()).entryList({QStringLiteral("*stopped.opus*")}, QDir::AllEntries | QDir::Hidden).isEmpty());
}

} // namespace
} // namespace narrata
