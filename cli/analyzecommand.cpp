#include "clierror.h"
#include "commandline.h"
#include "commands.h"
#include "documentopening.h"

#include "text/pageanalyzer.h"
#include "text/paragraphsets.h"

namespace narrata::cli {

namespace {

void printRanges(QTextStream &out, const char *title, const QString &text, const RangeSet &ranges)
{
    out << title << ":\n";
    if (ranges.empty())
        out << "    (none)\n";
    for (const TextRange &range : ranges)
        out << "    [" << range.location << ", " << range.length << "] "
            << text.mid(static_cast<qsizetype>(range.location), static_cast<qsizetype>(range.length)) << '\n';
}

} // namespace

// narrata-cli analyze FILE.pdf --page N: what the page analysis finds on a page.
int runAnalyzeCommand(const PDFService &service, const QStringList &arguments, QTextStream &out)
{
    const CommandLine line(arguments, {QStringLiteral("--page")}, {});
    const CommandPage target = openCommandPage(service, line, QStringLiteral("analyze FILE.pdf --page N"));
    const QString text = target.page->string();

    PageAnalyzer analyzer(*target.document);
    // The fonts of heads and feet are learned from the pages read before this one, as they
    // would be while listening up to here.
    for (qint64 earlier = std::max(0, target.pageIndex - 4); earlier < target.pageIndex; ++earlier)
        (void)analyzer.allHeaderFooterRangesOnPageIndex(earlier);
    const PageFindings found = analyzer.findingsOnPageIndex(target.pageIndex);

    // One group for each rule, as `read` applies them; a paragraph two rules find is in both.
    out << "page " << target.pageIndex + 1 << " of " << target.document->pageCount() << '\n';
    printRanges(
        out, "running heads, feet and page numbers (matching a page one or two away)", text, found.matchingNeighbours);
    printRanges(out, "running heads and feet whose numbers count the pages", text, found.steppingPageNumbers);
    printRanges(out, "lone page numbers at the top or bottom", text, found.barePageNumbers);
    printRanges(out, "front-matter heads and feet whose Roman numerals count the pages", text, found.romanPageNumbers);
    printRanges(out, "an index's guide words (its first and last entries)", text, found.indexGuideWords);
    printRanges(
        out, "heads and feet among the body that count the pages with a nearby page", text, found.displacedHeads);
    printRanges(out, "edge paragraphs in learned head and foot fonts (left out with --aggressive-headers)", text,
        found.typicalFonts);
    printRanges(out, "fixed-width paragraphs (left out with --skip-fixed-width)", text, found.fixedWidth);
    out << "learned head and foot fonts:\n";
    if (analyzer.smallFontsSet().empty())
        out << "    (none)\n";
    for (const FontIdentity &font : analyzer.smallFontsSet())
        out << "    " << prettyFontString(PDFFont{font.name, font.pointSize, false}) << '\n';
    return 0;
}

} // namespace narrata::cli
