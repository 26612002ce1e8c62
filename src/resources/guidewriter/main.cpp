// Lays out the user guide from its Markdown source and paints it into a PDF, page by page:
//
//     narrata-guidewriter SOURCE.md OUTPUT.pdf
//
// Everything before the first level-2 heading is the title page; every later page carries a
// running head (the output's file name without its extension) and its number centred at the
// foot. The guide is the first document a new user hears, so the page furniture is set apart
// by size and position the way the reader's head and foot detection expects, and nothing is
// set in a fixed-pitch font.

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QGuiApplication>
#include <QHashSeed>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>

#include <cmath>
#include <cstdio>
#include <utility>

namespace narrata {
namespace {

const QString kSerif = QStringLiteral("DejaVu Serif");
const QString kSans = QStringLiteral("DejaVu Sans");

constexpr int kResolution = 1200; // dots per inch of the writer, and so of the layout
constexpr qreal kBodyPointSize = 11;
constexpr qreal kHeadPointSize = 9;
// Of the font's own line spacing. Lines much further apart than one and a half times the type
// size are taken for separate paragraphs by text extraction, and a reader would then pause at
// the end of every line.
constexpr int kLineHeightPercent = 115;

// Page geometry in inches, on US Letter.
constexpr qreal kSideMargin = 1.1;
constexpr qreal kBodyTop = 1.25;
constexpr qreal kBodyBottom = 1.1;
constexpr qreal kHeadBaseline = 0.8;
constexpr qreal kRuleBelowHead = 0.92;
constexpr qreal kFootBaselineFromBottom = 0.65;

// How many page breaks are added before the layout is taken as it is: each break can only move
// what follows it.
constexpr int kKeepTogetherPasses = 64;

// Lengths on the page, in the writer's dots.
qreal inches(qreal value)
{
    return value * kResolution;
}

qreal points(qreal value)
{
    return value * kResolution / 72.0;
}

// Lengths in text formats (margins, borders, padding): the document layout takes them at 96
// to the inch and scales them to its paint device itself.
qreal formatPoints(qreal value)
{
    return value * 96.0 / 72.0;
}

qreal formatInches(qreal value)
{
    return value * 96.0;
}

QFont fontOf(const QString &family, qreal pointSize, bool bold = false, bool italic = false)
{
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setItalic(italic);
    // Text is laid out at the writer's resolution, where hinting only distorts the advances.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

void warnWhenSubstituted(const QFont &font)
{
    const QFontInfo info(font);
    if (info.family() != font.family())
        std::fprintf(stderr, "narrata-guidewriter: font \"%s\" is missing, using \"%s\"\n", qPrintable(font.family()),
            qPrintable(info.family()));
}

// Replaces the character format of the whole block: the Markdown reader sizes headings with a
// relative size that would win over any point size merged in.
void setBlockCharFormat(const QTextBlock &block, const QTextCharFormat &format)
{
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.setCharFormat(format);
    cursor.setBlockCharFormat(format);
}

QTextCharFormat charFormatOf(const QFont &font)
{
    QTextCharFormat format;
    format.setFont(font, QTextCharFormat::FontPropertiesAll);
    return format;
}

class GuideLayout {
public:
    GuideLayout(QTextDocument &document, QSizeF bodySize)
        : m_document(document)
        , m_bodyHeight(bodySize.height())
    {
        m_document.setDocumentMargin(0);
        m_document.setPageSize(bodySize);
    }

    // Sets the type of every block: the title page centred, headings in the sans, the rest in
    // the serif with room between paragraphs.
    void style()
    {
        bool onTitlePage = true;
        int previousLevel = 0;
        for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next()) {
            QTextBlockFormat format = block.blockFormat();
            const int level = format.headingLevel();
            if (level == 2 && onTitlePage) {
                onTitlePage = false;
                format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            }
            if (onTitlePage)
                styleTitlePageBlock(block, format, level, previousLevel == 1);
            else if (level >= 2)
                styleHeading(block, format, level);
            else
                styleBodyBlock(block, format);
            QTextCursor(block).setBlockFormat(format);
            previousLevel = level;
        }
        styleTables();
    }

    // Moves every paragraph and table that would run over the end of a page to the top of the
    // next, with the headings right before it. A sentence cut by a page break is read in two
    // pieces, and a heading at the foot of a page is seen far from its text.
    void keepTogether()
    {
        for (int pass = 0; pass < kKeepTogetherPasses; ++pass) {
            m_document.documentLayout()->documentSize(); // lays out
            if (!breakFirstSplitUnit())
                return;
        }
    }

    int pageCount() const { return m_document.pageCount(); }

private:
    static void styleTitlePageBlock(const QTextBlock &block, QTextBlockFormat &format, int level, bool isSubtitle)
    {
        format.setAlignment(Qt::AlignHCenter);
        if (level == 1) {
            format.setTopMargin(formatInches(2.4));
            format.setBottomMargin(formatPoints(10));
            setBlockCharFormat(block, charFormatOf(fontOf(kSans, 36, true)));
        } else if (isSubtitle) {
            format.setBottomMargin(formatInches(1.2));
            setBlockCharFormat(block, charFormatOf(fontOf(kSans, 18)));
        } else {
            // Centred lines start at different places, and text extraction takes each for a
            // paragraph of its own; the prose is set flush left on a narrower measure instead.
            format.setAlignment(Qt::AlignLeft);
            format.setLeftMargin(formatInches(0.4));
            format.setRightMargin(formatInches(0.4));
            format.setBottomMargin(formatPoints(10));
            format.setLineHeight(kLineHeightPercent, QTextBlockFormat::ProportionalHeight);
            setBlockCharFormat(block, charFormatOf(fontOf(kSerif, 12, false, true)));
        }
    }

    static void styleHeading(const QTextBlock &block, QTextBlockFormat &format, int level)
    {
        format.setAlignment(Qt::AlignLeft);
        format.setTopMargin(formatPoints(level == 2 ? 22 : 12));
        format.setBottomMargin(formatPoints(level == 2 ? 10 : 6));
        setBlockCharFormat(block, charFormatOf(fontOf(kSans, level == 2 ? 17 : 13, true)));
    }

    static void styleBodyBlock(const QTextBlock &block, QTextBlockFormat &format)
    {
        const bool inTable = QTextCursor(block).currentTable() != nullptr;
        format.setAlignment(Qt::AlignLeft);
        format.setTopMargin(0);
        format.setBottomMargin(inTable ? 0 : formatPoints(8));
        format.setLineHeight(kLineHeightPercent, QTextBlockFormat::ProportionalHeight);
        // Bold and italic spans keep their weight and slant; only family and size are set.
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        QTextCharFormat family;
        family.setFontFamilies({kSerif});
        family.setFontPointSize(kBodyPointSize);
        family.setFontFixedPitch(false);
        cursor.mergeCharFormat(family);
    }

    void styleTables()
    {
        for (QTextFrame *frame : m_document.rootFrame()->childFrames()) {
            auto *table = qobject_cast<QTextTable *>(frame);
            if (!table)
                continue;
            QTextTableFormat format = table->format();
            format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
            format.setBorder(formatPoints(0.5));
            format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
            format.setBorderBrush(QColor(0x80, 0x80, 0x80));
            format.setCellPadding(formatPoints(4));
            format.setCellSpacing(0);
            format.setTopMargin(formatPoints(4));
            format.setBottomMargin(formatPoints(12));
            if (table->columns() == 2) // a name and what it does: the explanation gets the room
                format.setColumnWidthConstraints(
                    {QTextLength(QTextLength::PercentageLength, 38), QTextLength(QTextLength::PercentageLength, 62)});
            table->setFormat(format);
            for (int column = 0; column < table->columns(); ++column) {
                QTextTableCell header = table->cellAt(0, column);
                QTextCharFormat background = header.format();
                background.setBackground(QColor(0xEE, 0xEE, 0xEE));
                header.setFormat(background);
                QTextCursor cursor = header.firstCursorPosition();
                cursor.setPosition(header.lastCursorPosition().position(), QTextCursor::KeepAnchor);
                QTextCharFormat bold;
                bold.setFontWeight(QFont::Bold);
                cursor.mergeCharFormat(bold);
            }
        }
    }

    int pageAt(qreal y) const { return static_cast<int>(std::floor(y / m_bodyHeight)); }

    // The pages of the middles of the first and last lines: the layout moves whole lines.
    std::pair<int, int> pagesOf(const QTextBlock &block) const
    {
        const QTextLayout *layout = block.layout();
        if (layout->lineCount() == 0)
            return {-1, -1};
        const auto middle
            = [&](const QTextLine &line) { return layout->position().y() + line.y() + line.height() / 2; };
        return {pageAt(middle(layout->lineAt(0))), pageAt(middle(layout->lineAt(layout->lineCount() - 1)))};
    }

    std::pair<int, int> pagesOf(QTextFrame *frame) const
    {
        const QRectF bounds = m_document.documentLayout()->frameBoundingRect(frame);
        constexpr qreal inset = 1; // a frame ending right on a page's edge is on that page
        return {pageAt(bounds.top() + inset), pageAt(bounds.bottom() - inset)};
    }

    // Finds the first paragraph or table of the flow that starts on one page and ends on
    // another, together with the headings before it and, for a table, the paragraph that
    // introduces it, and breaks the page before them. False when there is none; what starts a
    // page and still does not fit is left to run over.
    bool breakFirstSplitUnit()
    {
        QTextBlock lead; // the first of what must stay on the page of the element at hand
        int leadPage = -1;
        QTextBlock paragraphLead; // where the last paragraph, with its headings, starts
        int paragraphLeadPage = -1;
        for (QTextFrame::iterator it = m_document.rootFrame()->begin(); !it.atEnd(); ++it) {
            QTextFrame *frame = it.currentFrame();
            const QTextBlock block = it.currentBlock();
            if (!frame && block.text().isEmpty())
                continue;
            if (!frame && block.blockFormat().headingLevel() >= 2) {
                if (!lead.isValid()) {
                    lead = block;
                    leadPage = pagesOf(block).first;
                }
                paragraphLead = {};
                continue;
            }
            if (frame && !lead.isValid() && paragraphLead.isValid()) {
                lead = paragraphLead;
                leadPage = paragraphLeadPage;
            }
            const auto [first, last] = frame ? pagesOf(frame) : pagesOf(block);
            const int start = lead.isValid() ? leadPage : first;
            if (first >= 0 && start != last) {
                const bool broken = lead.isValid() ? breakBefore(lead)
                    : frame                        ? breakBefore(frame)
                                                   : breakBefore(block);
                if (broken)
                    return true;
            }
            paragraphLead = frame ? QTextBlock() : lead.isValid() ? lead : block;
            paragraphLeadPage = start;
            lead = {};
        }
        return false;
    }

    static bool breakBefore(const QTextBlock &block)
    {
        QTextBlockFormat format = block.blockFormat();
        if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
            return false;
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        QTextCursor(block).setBlockFormat(format);
        return true;
    }

    static bool breakBefore(QTextFrame *frame)
    {
        QTextFrameFormat format = frame->frameFormat();
        if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
            return false;
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        frame->setFrameFormat(format);
        return true;
    }

    QTextDocument &m_document;
    qreal m_bodyHeight;
};

// The writer dates the document; without the date, the same source gives the same bytes, and
// the resources built from them (and the copy the reader keeps for the user's PDF viewer) stay
// as they are. The entry is overwritten with spaces so that no offset in the file moves.
void blankCreationDate(QByteArray &pdf)
{
    const QByteArray key = QByteArrayLiteral("/CreationDate (");
    const qsizetype start = pdf.indexOf(key);
    const qsizetype end = start < 0 ? -1 : pdf.indexOf(')', start + key.size());
    if (end >= 0)
        pdf.replace(start, end + 1 - start, QByteArray(end + 1 - start, ' '));
}

void drawCentred(QPainter &painter, const QFont &font, const QString &text, qreal centreX, qreal baseline)
{
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    painter.drawText(QPointF(centreX - metrics.horizontalAdvance(text) / 2, baseline), text);
}

bool writeGuide(const QString &sourcePath, const QString &outputPath)
{
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "narrata-guidewriter: cannot read %s\n", qPrintable(sourcePath));
        return false;
    }
    const QString title = QFileInfo(outputPath).completeBaseName();

    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    QPdfWriter writer(&pdf);
    writer.setResolution(kResolution);
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(), QPageLayout::Point, QMarginsF()));
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Narrata"));

    const qreal pageWidth = writer.width();
    const qreal pageHeight = writer.height();
    const QRectF body(inches(kSideMargin), inches(kBodyTop), pageWidth - 2 * inches(kSideMargin),
        pageHeight - inches(kBodyTop) - inches(kBodyBottom));

    QTextDocument document;
    document.documentLayout()->setPaintDevice(&writer);
    document.setUseDesignMetrics(true);
    const QFont bodyFont = fontOf(kSerif, kBodyPointSize);
    warnWhenSubstituted(bodyFont);
    warnWhenSubstituted(fontOf(kSans, kBodyPointSize));
    document.setDefaultFont(bodyFont);
    document.setMarkdown(QString::fromUtf8(source.readAll()), QTextDocument::MarkdownDialectGitHub);

    GuideLayout layout(document, body.size());
    layout.style();
    layout.keepTogether();

    QPainter painter;
    if (!painter.begin(&writer)) {
        std::fprintf(stderr, "narrata-guidewriter: cannot paint into %s\n", qPrintable(outputPath));
        return false;
    }
    const QFont headFont = fontOf(kSans, kHeadPointSize, false, true);
    const QFont footFont = fontOf(kSerif, 10);
    const int pages = layout.pageCount();
    for (int page = 0; page < pages; ++page) {
        // The head first and the foot last, so that the page's text runs in reading order for
        // tools that take it in the order it was drawn.
        if (page > 0) {
            writer.newPage();
            painter.setPen(QColor(0x40, 0x40, 0x40));
            drawCentred(painter, headFont, title, pageWidth / 2, inches(kHeadBaseline));
            painter.setPen(QPen(QColor(0xA0, 0xA0, 0xA0), points(0.5)));
            painter.drawLine(
                QPointF(body.left(), inches(kRuleBelowHead)), QPointF(body.right(), inches(kRuleBelowHead)));
        }
        const QRectF shown(0, page * body.height(), body.width(), body.height());
        painter.save();
        painter.translate(body.left(), body.top() - shown.top());
        painter.setClipRect(shown);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = shown;
        context.palette.setColor(QPalette::Text, Qt::black);
        document.documentLayout()->draw(&painter, context);
        painter.restore();

        if (page == 0)
            continue;
        painter.setPen(Qt::black);
        drawCentred(
            painter, footFont, QString::number(page + 1), pageWidth / 2, pageHeight - inches(kFootBaselineFromBottom));
    }
    if (!painter.end()) {
        std::fprintf(stderr, "narrata-guidewriter: cannot paint into %s\n", qPrintable(outputPath));
        return false;
    }
    QByteArray bytes = pdf.data();
    blankCreationDate(bytes);
    QSaveFile output(outputPath);
    if (!output.open(QIODevice::WriteOnly) || output.write(bytes) != bytes.size() || !output.commit()) {
        std::fprintf(stderr, "narrata-guidewriter: cannot write %s\n", qPrintable(outputPath));
        return false;
    }
    std::printf("%s: %d pages\n", qPrintable(outputPath), pages);
    return true;
}

} // namespace
} // namespace narrata

int main(int argc, char *argv[])
{
    // The writer keeps its fonts in a hash and writes them out in its order.
    QHashSeed::setDeterministicGlobalSeed();
    QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: narrata-guidewriter SOURCE.md OUTPUT.pdf\n");
        return 2;
    }
    return narrata::writeGuide(arguments.at(1), arguments.at(2)) ? 0 : 1;
}
