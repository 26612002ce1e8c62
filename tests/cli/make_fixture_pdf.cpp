// make-fixture-pdf OUT.pdf [--kind NAME]
// Writes one of the sample documents, for scripts that need a PDF on disk.

#include "support/pdffixture.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <optional>

namespace {

using namespace narrata::testing;

constexpr int kUsageError = 2;

void printUsage()
{
    std::fputs("usage: make-fixture-pdf OUT.pdf [--kind book|encrypted|two-column|long]\n"
               "  book        six pages with running heads, page numbers and split words\n"
               "              (the default)\n"
               "  encrypted   the book, encrypted, with the user password \"secret\"\n"
               "  two-column  one page: a full-width title over two columns of text\n"
               "  long        the book's pages over and over, 480 pages in all\n",
        stderr);
}

std::optional<QByteArray> documentOfKind(const QString &kind)
{
    if (kind == u"book")
        return sampleBook().bytes();
    if (kind == u"encrypted") {
        return sampleBook().encryptedBytes(
            QString::fromLatin1(sampleBookUserPassword), QString::fromLatin1(sampleBookOwnerPassword));
    }
    if (kind == u"two-column")
        return sampleTwoColumnArticle().bytes();
    if (kind == u"long") {
        const PdfFixture book = sampleBook();
        PdfFixture longBook;
        for (int copy = 0; copy < 80; ++copy)
            for (const FixturePage &page : book.pages())
                longBook.addPage(page);
        return longBook.bytes();
    }
    return std::nullopt;
}

struct Arguments {
    QString output;
    QString kind = QStringLiteral("book");
};

std::optional<Arguments> parseArguments(int argc, char **argv)
{
    Arguments arguments;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument == u"--kind" && i + 1 < argc)
            arguments.kind = QString::fromLocal8Bit(argv[++i]);
        else if (argument.startsWith(u'-') || !arguments.output.isEmpty())
            return std::nullopt;
        else
            arguments.output = argument;
    }
    if (arguments.output.isEmpty())
        return std::nullopt;
    return arguments;
}

} // namespace

int main(int argc, char **argv)
{
    const std::optional<Arguments> arguments = parseArguments(argc, argv);
    if (!arguments) {
        printUsage();
        return kUsageError;
    }
    const std::optional<QByteArray> document = documentOfKind(arguments->kind);
    if (!document) {
        std::fprintf(stderr, "make-fixture-pdf: unknown kind \"%s\"\n", qPrintable(arguments->kind));
        printUsage();
        return kUsageError;
    }
    if (document->isEmpty() || !writeBytes(arguments->output, *document)) {
        std::fprintf(stderr, "make-fixture-pdf: cannot write %s\n", qPrintable(arguments->output));
        return 1;
    }
    return 0;
}
