#include "mupdfservice.h"

#include "mupdfdocument.h"
#include "mupdfwatchdog.h"

#include <mupdf/pdf.h>

#include <QFile>
#include <QFileInfo>

namespace narrata {

namespace {

// A PDF starts with "%PDF-" within its first kilobyte; anything else is not read at all,
// so that MuPDF's repair never runs over arbitrary files.
bool looksLikePDF(const QByteArray &head)
{
    return head.left(1024).contains("%PDF-");
}

enum class Expect { Pages, Nothing };

// Takes over the document and its context. An opened file must have pages: a damaged file
// that MuPDF repaired into an empty shell is not a document to read.
std::unique_ptr<PDFDocument> adopt(std::shared_ptr<MuPDFContextFamily> family, fz_context *ctx, pdf_document *document,
    const QString &path, Expect expect = Expect::Pages)
{
    auto core = std::make_shared<MuPDFDocumentCore>(std::move(family), ctx, document);
    bool readable = true;
    fz_try (ctx) {
        // A locked file keeps its page tree readable; a file without one is no PDF we can show.
        if (!pdf_needs_password(ctx, document))
            readable = expect == Expect::Nothing || pdf_count_pages(ctx, document) > 0;
        else
            readable = pdf_trailer(ctx, document) != nullptr;
    }
    fz_catch (ctx)
        readable = false;
    if (!readable)
        return nullptr;
    return std::make_unique<MuPDFDocument>(std::move(core), path);
}

} // namespace

std::unique_ptr<PDFDocument> MuPDFService::openFile(const QString &path) const
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly) || !looksLikePDF(file.read(1024)))
        return nullptr;
    file.close();

    auto family = MuPDFContextFamily::shared();
    fz_context *ctx = family->cloneContext();
    if (!ctx)
        return nullptr;
    const QByteArray localPath = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    const char *name = localPath.constData();
    pdf_document *document = nullptr;
    fz_var(document);
    fz_var(name);
    fz_try (ctx)
        document = pdf_open_document(ctx, name);
    fz_catch (ctx) {
        fz_drop_context(ctx);
        return nullptr;
    }
    return adopt(std::move(family), ctx, document, QFileInfo(path).absoluteFilePath());
}

std::unique_ptr<PDFDocument> MuPDFService::openData(const QByteArray &data) const
{
    if (!looksLikePDF(data))
        return nullptr;
    auto family = MuPDFContextFamily::shared();
    fz_context *ctx = family->cloneContext();
    if (!ctx)
        return nullptr;
    const auto *bytes = reinterpret_cast<const unsigned char *>(data.constData());
    const auto length = static_cast<size_t>(data.size());
    fz_buffer *buffer = nullptr;
    fz_stream *stream = nullptr;
    pdf_document *document = nullptr;
    fz_var(document);
    fz_var(bytes);
    fz_var(buffer);
    fz_var(stream);
    fz_try (ctx) {
        // The document reads from its stream for as long as it lives: give it its own copy.
        buffer = fz_new_buffer_from_copied_data(ctx, bytes, length);
        stream = fz_open_buffer(ctx, buffer);
        document = pdf_open_document_with_stream(ctx, stream);
    }
    fz_always (ctx) {
        fz_drop_stream(ctx, stream);
        fz_drop_buffer(ctx, buffer);
    }
    fz_catch (ctx) {
        fz_drop_context(ctx);
        return nullptr;
    }
    return adopt(std::move(family), ctx, document, QString());
}

std::unique_ptr<PDFDocument> MuPDFService::createEmpty() const
{
    auto family = MuPDFContextFamily::shared();
    fz_context *ctx = family->cloneContext();
    if (!ctx)
        return nullptr;
    pdf_document *document = nullptr;
    fz_var(document);
    fz_try (ctx)
        document = pdf_create_document(ctx);
    fz_catch (ctx) {
        fz_drop_context(ctx);
        return nullptr;
    }
    return adopt(std::move(family), ctx, document, QString(), Expect::Nothing);
}

void MuPDFService::abortAllWork()
{
    MuPDFWatchedWork::abortAll();
}

} // namespace narrata
