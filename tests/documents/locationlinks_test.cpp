// Links to a place on a page: their text, the clipboard in both modes, the prefix remembered
// by document name, and opening a link again.
#include "delegaterig.h"

#include "documents/locationlinks.h"
#include "settings/registereddefaults.h"

#include <QSignalSpy>

namespace narrata {
namespace {

using testing::DelegateTest;
using testing::sampleBook;

TEST(LocationLink, TextsTruncateThePointAndReadBack)
{
    const LocationLink link{QStringLiteral("paper1"), 5, 72, 700};
    EXPECT_EQ(link.url(), QStringLiteral("orvik://paper1/5/@loc/72x/700y/"));
    EXPECT_EQ(link.markdown(), QStringLiteral("[paper1/5](orvik://paper1/5/@loc/72x/700y/)"));
    EXPECT_EQ(link.visibleText(), QStringLiteral("paper1/5"));
    EXPECT_EQ(LocationLink::fromURL(link.url()), link);
    EXPECT_EQ(LocationLink::fromURL(QStringLiteral("orvik://Paper1/5/@loc/-3x/700y")),
        (LocationLink{QStringLiteral("Paper1"), 5, -3, 700}))
        << "the prefix keeps its case, and the last slash may be left off";
    for (const char *bad : {"orvik://a b/5/@loc/1x/2y/", "orvik://a/x/@loc/1x/2y/", "http://a/5/@loc/1x/2y/", "orvik:"})
        EXPECT_FALSE(LocationLink::fromURL(QLatin1String(bad))) << bad;
}

class LocationLinksTest : public DelegateTest {
protected:
    LocationLinks &links() { return delegate->links(); }
    QVariantMap prefixes() const { return defaults.mapForKey(settingskeys::kOrvikPrefixMap); }
};

TEST_F(LocationLinksTest, TheClipboardHoldsMarkdownOrRichTextAndThePrefixIsRemembered)
{
    EXPECT_EQ(links().prefix(), QStringLiteral("narrataug")) << "the guide's prefix comes with the guide";
    const QString path = writeFile(QStringLiteral("Paper One.pdf"), sampleBook().bytes());
    ASSERT_TRUE(documents().openFileInternal(path));
    EXPECT_EQ(links().prefix(), QString());
    const int beeps = desktop.beeps;
    delegate->copyOrvikURLforPageIndex(0, {0.99, 10.5});
    EXPECT_EQ(desktop.beeps, beeps + 1) << "no prefix yet";
    links().setPrefix(QStringLiteral("paper one"));
    delegate->copyOrvikURLforPageIndex(0, {0.99, 10.5});
    EXPECT_EQ(desktop.beeps, beeps + 2) << "a space cannot stand in a link";
    EXPECT_TRUE(desktop.clipboard.empty());
    EXPECT_FALSE(prefixes().contains(QStringLiteral("Paper One")));

    links().setPrefix(QStringLiteral("p1"));
    links().useMarkdown = true;
    delegate->copyOrvikURLforPageIndex(4, {72.9, 700.2});
    EXPECT_EQ(
        desktop.clipboard, (std::map<QString, QByteArray>{{"text/plain", "[p1/5](orvik://p1/5/@loc/72x/700y/)"}}));
    EXPECT_EQ(prefixes().value(QStringLiteral("Paper One")), QStringLiteral("p1"));

    links().useMarkdown = false;
    delegate->copyOrvikURLforPageIndex(0, {0.99, -0.5});
    ASSERT_EQ(desktop.clipboard.size(), 2u);
    EXPECT_EQ(desktop.clipboard["text/html"],
        "<a href=\"orvik://p1/1/@loc/0x/0y/\" style=\"font-family: 'Helvetica'; font-size: 12pt\">p1/1</a>");
    EXPECT_EQ(desktop.clipboard["text/rtf"],
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Helvetica;}}{\\field{\\*\\fldinst{HYPERLINK "
        "\"orvik://p1/1/@loc/0x/0y/\"}}{\\fldrslt{\\f0\\fs24 p1/1}}}}");
    // A rich-text size of 3 points or less copies nothing; Markdown is copied all the same.
    defaults.setValue(settingskeys::kOrvikURLRichTextFontSize, 3.0);
    desktop.clipboard.clear();
    delegate->copyOrvikURLforPageIndex(0, {1, 1});
    EXPECT_TRUE(desktop.clipboard.empty());

    documents().resetToDefaultPDF();
    ASSERT_TRUE(documents().openFileInternal(path));
    EXPECT_EQ(links().prefix(), QStringLiteral("p1"));
}

TEST_F(LocationLinksTest, ALinkOpensItsDocumentAtItsPlaceOrSaysWhyNot)
{
    QTemporaryDir watched;
    const QString path = watched.filePath(QStringLiteral("Paper One.pdf"));
    sampleBook().writeTo(path);
    defaults.setValue(settingskeys::watchedFolder, QUrl::fromLocalFile(watched.path()).toString());
    delegate->watchedFolder().loadWatchedFolderFromUserDefaults();
    defaults.updateMapEntry(settingskeys::kOrvikPrefixMap, QStringLiteral("Paper One"),
        [](const QVariant &) { return QVariant(QStringLiteral("p1")); });

    QSignalSpy jumped(&documents(), &ShownDocument::jumpedToLastPDF);
    EXPECT_TRUE(links().openLocationLink(QStringLiteral("orvik://p1/4/@loc/72x/500y/")));
    EXPECT_EQ(window.title, QStringLiteral("Paper One.pdf"));
    ASSERT_TRUE(jumped.wait(5000));
    EXPECT_EQ(view.page, 3) << "the link's page, after the load's own jump to the top";
    EXPECT_EQ(view.point, QPointF(72, 500));

    EXPECT_FALSE(links().openLocationLink(QStringLiteral("orvik://nobody/1/@loc/0x/0y/")));
    EXPECT_TRUE(links().openLocationLink(QStringLiteral("orvik://narrataug/1/@loc/0x/0y/")));
    EXPECT_EQ(window.title, QStringLiteral("Narrata User Guide.pdf"));
    QFile::remove(path);
    EXPECT_FALSE(links().openLocationLink(QStringLiteral("orvik://p1/4/@loc/72x/500y/")));
    ASSERT_EQ(desktop.warnings.size(), 2u);
    EXPECT_EQ(desktop.warnings[0].messageText, QStringLiteral("No document has the prefix \"nobody\""));
    EXPECT_EQ(desktop.warnings[1].messageText, QStringLiteral("\"Paper One\" was not found"));
}

} // namespace
} // namespace narrata
