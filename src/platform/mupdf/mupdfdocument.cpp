#include "mupdfdocument.h"

#include "mupdfoutline.h"
#include "mupdfpage.h"
#include "mupdfservice.h"

#include <mupdf/pdf.h>

#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace narrata {

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

// MuPDF hands out an open page again when asked for its number, but does not renumber open
// pages when others are inserted or deleted: without this, loading page n after an insertion
// before it would give the page that used to be there.
void renumberOpenPages(fz_context *ctx, pdf_document *document)
{
    for (fz_page *page = document->super.open; page; page = page->next)
        page->number = pdf_lookup_page_number(ctx, document, pdf_page_from_fz_page(ctx, page)->obj);
}

} // namespace

MuPDFDocument::MuPDFDocument(std::shared_ptr<MuPDFDocumentCore> core, QString path)
    : m_core(std::move(core))
    , m_path(std::move(path))
{
    if (!m_path.isEmpty()) {
        const QFileInfo file(m_path);
        m_openedSize = file.size();
        m_openedModified = file.lastModified();
    }
    // Asking MuPDF tries the empty password, which costs a key derivation every time.
    fz_context *ctx = m_core->ctx;
    int locked = 1;
    fz_var(locked);
    fz_try (ctx)
        locked = pdf_needs_password(ctx, m_core->document);
    fz_catch (ctx)
        locked = 1;
    m_locked = locked != 0;
}

MuPDFDocument::~MuPDFDocument() = default;

bool MuPDFDocument::isEncrypted() const
{
    Lock lock(m_core->mutex);
    return m_core->document->crypt != nullptr;
}

bool MuPDFDocument::isLocked() const
{
    return m_locked;
}

bool MuPDFDocument::unlockWithPassword(const QString &password)
{
    const QByteArray utf8 = password.toUtf8();
    const char *text = utf8.constData();
    Lock lock(m_core->mutex);
    fz_context *ctx = m_core->ctx;
    int unlocked = 0;
    fz_var(unlocked);
    fz_var(text);
    fz_try (ctx)
        unlocked = pdf_authenticate_password(ctx, m_core->document, text);
    fz_catch (ctx)
        unlocked = 0;
    if (!unlocked)
        return false;
    m_password = password;
    m_locked = false;
    m_pages.clear();
    return true;
}

QUrl MuPDFDocument::documentURL() const
{
    return m_path.isEmpty() ? QUrl() : QUrl::fromLocalFile(m_path);
}

QString MuPDFDocument::infoValue(const QString &key) const
{
    const QByteArray name = "info:" + key.toLatin1();
    Lock lock(m_core->mutex);
    fz_context *ctx = m_core->ctx;
    char value[1024] = {};
    int size = -1;
    fz_var(size);
    fz_try (ctx)
        size = fz_lookup_metadata(ctx, &m_core->document->super, name.constData(), value, sizeof value);
    fz_catch (ctx)
        size = -1;
    return size > 0 ? QString::fromUtf8(value).trimmed() : QString();
}

int MuPDFDocument::pageCount() const
{
    Lock lock(m_core->mutex);
    fz_context *ctx = m_core->ctx;
    int count = 0;
    fz_try (ctx) {
        // Every page is an object of its own: a page tree that claims more pages than the file
        // has objects is lying, and believing it would lay out millions of pages that are not
        // there. The pages it does not have fail to load, which reading takes as the end.
        count = std::min(pdf_count_pages(ctx, m_core->document), pdf_xref_len(ctx, m_core->document));
    }
    fz_catch (ctx)
        count = 0;
    return count;
}

std::shared_ptr<PDFPage> MuPDFDocument::pageAtIndex(int index) const
{
    Lock lock(m_core->mutex);
    // Pages handed out before stay valid until the page list changes, which clears or shifts
    // their slots: asking again costs no MuPDF call.
    if (std::shared_ptr<MuPDFPage> kept = m_pages.find(index))
        return kept;
    if (index < 0 || index >= pageCount() || isLocked())
        return nullptr;

    fz_context *ctx = m_core->ctx;
    pdf_obj *object = nullptr;
    fz_var(object);
    fz_try (ctx)
        object = pdf_lookup_page_obj(ctx, m_core->document, index);
    fz_catch (ctx)
        return nullptr;
    if (!pdf_is_dict(ctx, object))
        return nullptr;
    auto opened = std::make_shared<MuPDFPage>(m_core, object);
    m_pages.keep(index, opened);
    return opened;
}

int MuPDFDocument::indexForPage(const PDFPage &page) const
{
    const auto *muPage = dynamic_cast<const MuPDFPage *>(&page);
    if (!muPage || muPage->core() != m_core)
        return -1;
    return muPage->currentIndex();
}

bool MuPDFDocument::insertPage(const PDFPage &page, int index)
{
    const auto *source = dynamic_cast<const MuPDFPage *>(&page);
    if (!source || index < 0 || index > pageCount())
        return false;
    const int sourceIndex = source->currentIndex();
    if (sourceIndex < 0)
        return false;

    pdf_document *sourceDocument = source->core()->document;
    std::scoped_lock lock(m_core->mutex, source->core()->mutex);
    fz_context *ctx = m_core->ctx;
    fz_try (ctx) {
        pdf_graft_page(ctx, m_core->document, index, sourceDocument, sourceIndex);
        renumberOpenPages(ctx, m_core->document);
    }
    fz_catch (ctx)
        return false;
    m_pages.inserted(index);
    return true;
}

bool MuPDFDocument::insertPages(const PDFDocument &source, int index)
{
    const auto *other = dynamic_cast<const MuPDFDocument *>(&source);
    if (!other || other->m_core == m_core)
        return PDFDocument::insertPages(source, index);
    const int count = other->pageCount();
    if (index < 0 || index > pageCount() || other->isLocked())
        return false;

    std::scoped_lock lock(m_core->mutex, other->m_core->mutex);
    fz_context *ctx = m_core->ctx;
    pdf_graft_map *map = nullptr;
    int inserted = 0;
    fz_var(map);
    fz_var(inserted);
    fz_try (ctx) {
        // One map for all pages: the fonts and images they share are copied once, not once
        // per page, which keeps a pack of long books small and quick to build.
        map = pdf_new_graft_map(ctx, m_core->document);
        for (; inserted < count; ++inserted)
            pdf_graft_mapped_page(ctx, map, index + inserted, other->m_core->document, inserted);
    }
    fz_always (ctx)
        pdf_drop_graft_map(ctx, map);
    fz_catch (ctx) {
        // Half a document in a pack would shift every later page: take back what went in.
        fz_try (ctx)
            pdf_delete_page_range(ctx, m_core->document, index, index + inserted);
        fz_catch (ctx) { }
        inserted = 0;
    }
    fz_try (ctx)
        renumberOpenPages(ctx, m_core->document);
    fz_catch (ctx) { }
    if (inserted > 0)
        m_pages.inserted(index, inserted);
    return inserted == count;
}

bool MuPDFDocument::removePageAtIndex(int index)
{
    Lock lock(m_core->mutex);
    if (index < 0 || index >= pageCount())
        return false;
    fz_context *ctx = m_core->ctx;
    fz_try (ctx) {
        pdf_delete_page(ctx, m_core->document, index);
        renumberOpenPages(ctx, m_core->document);
    }
    fz_catch (ctx)
        return false;
    m_pages.removed(index);
    return true;
}

QByteArray MuPDFDocument::dataRepresentation() const
{
    Lock lock(m_core->mutex);
    fz_context *ctx = m_core->ctx;
    fz_buffer *buffer = nullptr;
    fz_output *output = nullptr;
    const unsigned char *data = nullptr;
    size_t length = 0;
    fz_var(buffer);
    fz_var(output);
    fz_try (ctx) {
        pdf_write_options options = pdf_default_write_options;
        options.do_garbage = 1; // pages removed or an outline replaced leave orphans behind
        options.do_compress = 1;
        buffer = fz_new_buffer(ctx, size_t{64} * 1024);
        output = fz_new_output_with_buffer(ctx, buffer);
        pdf_write_document(ctx, m_core->document, output, &options);
        fz_close_output(ctx, output);
        length = fz_buffer_storage(ctx, buffer, const_cast<unsigned char **>(&data));
    }
    fz_always (ctx)
        fz_drop_output(ctx, output);
    fz_catch (ctx) {
        fz_drop_buffer(ctx, buffer);
        return {};
    }
    QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(length));
    fz_drop_buffer(ctx, buffer);
    return bytes;
}

bool MuPDFDocument::writeToFile(const QString &path)
{
    const QByteArray bytes = dataRepresentation();
    if (bytes.isEmpty())
        return false;
    // QSaveFile writes beside the target and renames only after everything is on disk,
    // so a full disk or a crash never leaves a half-written file where the old one was.
    // Unbuffered, so that a short write shows here: a buffered one that fills the disk
    // while committing was seen to rename the cut-off file into place.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size() || !file.commit())
        return false;
    m_path = path;
    return true;
}

std::optional<PDFOutline> MuPDFDocument::outlineRoot() const
{
    Lock lock(m_core->mutex);
    if (isLocked())
        return std::nullopt;
    return readOutline(m_core->ctx, m_core->document);
}

bool MuPDFDocument::setOutlineRoot(const PDFOutline &root)
{
    Lock lock(m_core->mutex);
    return writeOutline(m_core->ctx, m_core->document, root);
}

bool MuPDFDocument::isUnchangedFromFile() const
{
    if (m_path.isEmpty() || m_openedSize < 0)
        return false;
    {
        Lock lock(m_core->mutex);
        fz_context *ctx = m_core->ctx;
        int changed = 1;
        fz_try (ctx)
            changed = pdf_has_unsaved_changes(ctx, m_core->document);
        fz_catch (ctx)
            changed = 1;
        if (changed)
            return false;
    }
    const QFileInfo file(m_path);
    return file.size() == m_openedSize && file.lastModified() == m_openedModified;
}

std::unique_ptr<PDFDocument> MuPDFDocument::copy() const
{
    // A document as it came from its file is opened from it again, which MuPDF does lazily:
    // writing a long book out to memory instead would stall the window for a moment.
    std::unique_ptr<PDFDocument> copy;
    if (isUnchangedFromFile())
        copy = MuPDFService().openFile(m_path);
    if (!copy) {
        // The copy is written with the same encryption: it opens with the same password.
        copy = MuPDFService().openData(dataRepresentation());
        if (copy)
            static_cast<MuPDFDocument &>(*copy).m_path = m_path;
    }
    if (copy && m_password)
        copy->unlockWithPassword(*m_password);
    return copy;
}

} // namespace narrata
