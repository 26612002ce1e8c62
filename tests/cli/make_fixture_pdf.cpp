// make-fixture-pdf OUT.pdf [--kind NAME]
// Writes one of the sample documents, for scripts that need a PDF on disk.

#include "support/pdffixture.h"

#include <cstdio>
#include <optional>

using namespace narrata::testing;

namespace {

std::optional<QByteArray> documentOfKind(const QString &kind)
{
    if (kind == u"book")
        return sampleBook().bytes();
    if (kind == u"encrypted")
        return sampleBook().encryptedBytes(
            QString::fromLatin1(sampleBookUserPassword), QString::fromLatin1(sampleBookOwnerPassword));
    if (kind == u"two-column")
        return sampleTwoColumnArticle().bytes();
    if (kind == u"long") {
        PdfFixture longBook;
        const PdfFixture book = sampleBook();
        for (int copy = 0; copy < 80; ++copy)
            for (const FixturePage &page : book.pages())
                longBook.addPage(page);
        return longBook.bytes();
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char **argv)
{
    QString output, kind = QStringLiteral("book");
    bool usable = true;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument == u"--kind" && i + 1 < argc)
            kind = QString::fromLocal8Bit(argv[++i]);
        else if (argument.startsWith(u'-') || !output.isEmpty())
            usable = false;
        else
            output = argument;
    }
    const std::optional<QByteArray> document = documentOfKind(kind);
    if (!usable || output.isEmpty() || !document) {
        std::fputs("usage: make-fixture-pdf OUT.pdf [--kind book|encrypted|two-column|long]\n"
                   "  book        six pages with running heads, page numbers and split words (default)\n"
                   "  encrypted   the book, encrypted, with the user password \"secret\"\n"
                   "  two-column  one page: a full-width title over two columns of text\n"
                   "  long        the book's pages over and over, 480 pages in all\n",
            stderr);
        return 2;
    }
    if (document->isEmpty() || !writeBytes(output, *document)) {
        std::fprintf(stderr, "make-fixture-pdf: cannot write %s\n", qPrintable(output));
        return 1;
    }
    return 0;
}
