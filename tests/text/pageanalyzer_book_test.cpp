// Reading a whole generated book through the page analyzer, as the speaking loop does.
#include "text/pageanalyzer.h"

#include "platform/mupdf/mupdfservice.h"
#include "printers.h"
#include "support/fakedocument.h"
#include "support/pdffixture.h"

#include <gtest/gtest.h>

namespace narrata {
namespace {

// Every page taken anew from the file on every request: no text layer is ever reused.
class UncachedDocument final : public testing::FakeDocument {
public:
    explicit UncachedDocument(QByteArray bytes)
        : FakeDocument({})
        , m_bytes(std::move(bytes))
        , m_pageCount(MuPDFService().openData(m_bytes)->pageCount())
    {
    }
    int pageCount() const override { return m_pageCount; }
    std::shared_ptr<PDFPage> pageAtIndex(int index) const override
    {
        return MuPDFService().openData(m_bytes)->pageAtIndex(index);
    }

private:
    QByteArray m_bytes;
    int m_pageCount;
};

// What a listener hears from the first page on, one prepared page after the other.
std::vector<SentenceRecord> readThrough(const PDFDocument &document, const ContentPreparationOptions &options)
{
    PageAnalyzer analyzer(document);
    std::vector<SentenceRecord> heard;
    SentenceRecord last{QString(), {}, -1};
    for (std::vector<SentenceRecord> page; !(page = analyzer.prepareContentAfter(last, options)).empty();) {
        heard.insert(heard.end(), page.begin(), page.end());
        last = page.back();
    }
    return heard;
}

TEST(PageAnalyzerOnABook, EveryBodySentenceIsHeardAndNoHeadFootOrNumber)
{
    const auto document = MuPDFService().openData(testing::sampleBook().bytes());
    QString heard;
    for (const SentenceRecord &sentence : readThrough(*document, {}))
        heard += sentence.sentence + u' ';
    heard.replace(QStringLiteral("- "), QString());

    QString book = testing::sampleBookParagraphs().join(u' ') + u' ';
    EXPECT_EQ(heard, book);
    EXPECT_FALSE(heard.contains(QLatin1String(testing::sampleBookChapterHead)));
    EXPECT_FALSE(heard.contains(QLatin1String(testing::sampleBookTitleHead)));
}

TEST(PageAnalyzerOnABook, KeepingTextLayersChangesNothingThatIsFound)
{
    const QByteArray bytes = testing::sampleBook().bytes();
    const auto cached = MuPDFService().openData(bytes);
    const UncachedDocument uncached(bytes);
    for (const ContentPreparationOptions options :
        {ContentPreparationOptions{}, ContentPreparationOptions{true, true, true}})
        EXPECT_EQ(readThrough(*cached, options), readThrough(uncached, options));
}

} // namespace
} // namespace narrata
