#include "clierror.h"
#include "commandline.h"
#include "commands.h"
#include "documentopening.h"

#include "text/sentencesegmentation.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace narrata::cli {

// narrata-cli sentences FILE.pdf [--page N] [--from INDEX] [--json]
int runSentencesCommand(const PDFService &service, const QStringList &arguments, QTextStream &out)
{
    const CommandLine line(arguments, {QStringLiteral("--page"), QStringLiteral("--from")}, {QStringLiteral("--json")});
    const CommandPage target
        = openCommandPage(service, line, QStringLiteral("sentences FILE.pdf [--page N] [--from INDEX] [--json]"));
    const QString text = target.page->string();
    const qint64 pageIndex = target.pageIndex;
    const qint64 from = line.integer(QStringLiteral("--from"), 0, 0, INT_MAX);

    const std::vector<SentenceRecord> sentences = line.hasOption(QStringLiteral("--from"))
        ? setOfSentencesFromIndex(text, from, pageIndex)
        : sentencesOnPageIndex(text, pageIndex);

    if (line.hasFlag(QStringLiteral("--json"))) {
        QJsonArray records;
        for (const SentenceRecord &sentence : sentences)
            records.append(sentence.toJson());
        out << QJsonDocument(records).toJson(QJsonDocument::Indented);
        return 0;
    }
    for (const SentenceRecord &sentence : sentences)
        out << "p." << sentence.pageIndex + 1 << " [" << sentence.range.location << ", " << sentence.range.length
            << "] " << sentence.sentence << '\n';
    return 0;
}

} // namespace narrata::cli
