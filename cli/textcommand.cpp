#include "clierror.h"
#include "commandline.h"
#include "commands.h"
#include "documentopening.h"

#include "platform/pdf/pdfdocument.h"
#include "text/paragraphsets.h"
#include "text/sentencesegmentation.h"

namespace narrata::cli {

namespace {

QString fontLabel(const PDFFont &font)
{
    return QStringLiteral("%1 %2 pt%3")
        .arg(font.name.isEmpty() ? QStringLiteral("(unknown font)") : font.name)
        .arg(font.pointSize, 0, 'f', 1)
        .arg(font.fixedPitch ? QStringLiteral(", fixed pitch") : QString());
}

} // namespace

// narrata-cli text FILE.pdf --page N [--fonts]
int runTextCommand(const PDFService &service, const QStringList &arguments, QTextStream &out)
{
    const CommandLine line(arguments, {QStringLiteral("--page")}, {QStringLiteral("--fonts")});
    const CommandPage target = openCommandPage(service, line, QStringLiteral("text FILE.pdf --page N [--fonts]"));
    const AttributedString text = target.page->attributedString();
    const qint64 pageIndex = target.pageIndex;

    for (const ParagraphRecord &paragraph : setOfAllParagraphsonPageIndex(text.string, pageIndex)) {
        out << '[' << paragraph.range.location << ", " << paragraph.range.length << "] " << paragraph.paragraph << '\n';
        if (!line.hasFlag(QStringLiteral("--fonts")))
            continue;
        for (const FontRun &run : text.substring(paragraph.range).runs)
            out << "    [" << run.range.location + paragraph.range.location << ", " << run.range.length << "] "
                << fontLabel(run.font) << '\n';
    }
    return 0;
}

} // namespace narrata::cli
