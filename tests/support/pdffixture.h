#pragma once

#include <QByteArray>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Fixture PDFs built from code, so that no test depends on a binary file from elsewhere.
// MuPDF writes the documents, with the standard (base-14) fonts and uncompressed content.
namespace narrata::testing {

// One run of text. Any Unicode text is allowed: characters outside WinAnsi, up to 31 of them
// for each font of a document, are drawn with a stand-in glyph but still extract as themselves,
// through the font's ToUnicode map.
struct FixtureText {
    double x = 0; // start of the baseline, in PDF user space: points, origin lower-left
    double y = 0;
    QString text;
    QString font = QStringLiteral("Helvetica"); // a Latin base-14 font name
    double size = 12;
    // Draws each spacing accent (U+00B4 ´, U+0060 `, U+00A8 ¨, U+02C6 ˆ, U+02DC ˜) over the
    // letter that follows it, as old typesetting did: "Pr\u00B4eface" then puts the ´ and
    // the e at the same x.
    bool overstrikeAccents = false;
};

struct FixturePage {
    double width = 612; // the media box, from (0, 0)
    double height = 792;
    std::vector<FixtureText> texts;
    std::optional<QRectF> cropBox; // PDF user space; none means the media box
    int rotate = 0; // a multiple of 90, clockwise
};

// A document under construction. Values only: build, then take the bytes as often as needed;
// the same pages always give the same bytes.
class PdfFixture {
public:
    PdfFixture &addPage(FixturePage page);
    const std::vector<FixturePage> &pages() const { return m_pages; }

    QByteArray bytes() const;
    bool writeTo(const QString &path) const;

    // The same document, encrypted (AES-256) by MuPDF. An empty user password gives a file
    // that is encrypted but opens without one. Empty on failure.
    QByteArray encryptedBytes(const QString &userPassword, const QString &ownerPassword) const;

private:
    std::vector<FixturePage> m_pages;
};

// Writes bytes to a file, replacing it whole or not at all.
bool writeBytes(const QString &path, const QByteArray &bytes);

// A page with one line of text under another, starting at baseline `top`. An empty line
// leaves its space blank.
FixturePage textPage(const QStringList &lines, double top = 720, double left = 72, double leading = 14,
    QString font = QStringLiteral("Helvetica"), double size = 12);
// Pages that each say only "NAME, page N.", for tests of whole documents.
QByteArray numberedPages(int pageCount, const QString &name);

// The sample documents of the make-fixture-pdf tool.

// Six US Letter pages of one chapter in 14-point Times-Roman, set in lines of at most 70
// characters, some of them ending in a split word ("exam-" / "ple," on page 3). Each page has
// a running head at the top in Times-Italic ("Chapter 1. Beginnings" on even pages, "A Short
// Sample Book" on odd ones) and its page number centred at the bottom. Paragraphs are set
// apart by extra space and run on across page breaks.
PdfFixture sampleBook();
// The paragraphs of the sample book as a reader should hear them: no heads, no page numbers,
// no split words.
QStringList sampleBookParagraphs();
inline constexpr char sampleBookChapterHead[] = "Chapter 1. Beginnings";
inline constexpr char sampleBookTitleHead[] = "A Short Sample Book";
inline constexpr char sampleBookUserPassword[] = "secret";
inline constexpr char sampleBookOwnerPassword[] = "narrata-owner";

// One page: a full-width title and subtitle over two columns of Times-Roman text; the text
// fills the left column and runs on into the right one.
PdfFixture sampleTwoColumnArticle();
inline constexpr char sampleArticleTitle[] = "Listening to the Printed Page";
inline constexpr char sampleArticleSubtitle[] = "Notes on reading a page aloud, in the right order";
// The article's paragraphs as a reader should hear them.
QStringList sampleArticleParagraphs();

} // namespace narrata::testing
