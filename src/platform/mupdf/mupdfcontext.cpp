#include "mupdfcontext.h"

#include <mupdf/fitz.h>

#include <array>

namespace narrata {

namespace {

std::array<std::mutex, FZ_LOCK_MAX> g_mupdfLocks;

void lockMuPDF(void *, int lock)
{
    g_mupdfLocks[static_cast<size_t>(lock)].lock();
}

void unlockMuPDF(void *, int lock)
{
    g_mupdfLocks[static_cast<size_t>(lock)].unlock();
}

// MuPDF prints warnings about repaired files and errors on stderr; the adapter reports
// failures itself, as empty results, so the messages are not shown.
void ignoreMessage(void *, const char *)
{
}

} // namespace

std::shared_ptr<MuPDFContextFamily> MuPDFContextFamily::shared()
{
    static std::mutex creation;
    static std::weak_ptr<MuPDFContextFamily> current;
    std::lock_guard guard(creation);
    auto family = current.lock();
    if (!family) {
        family.reset(new MuPDFContextFamily);
        current = family;
    }
    return family;
}

MuPDFContextFamily::MuPDFContextFamily()
{
    fz_locks_context locks{nullptr, lockMuPDF, unlockMuPDF};
    m_base = fz_new_context(nullptr, &locks, FZ_STORE_DEFAULT);
    if (!m_base)
        return;
    fz_try (m_base) {
        fz_register_document_handlers(m_base);
        fz_set_warning_callback(m_base, ignoreMessage, nullptr);
        fz_set_error_callback(m_base, ignoreMessage, nullptr);
    }
    fz_catch (m_base) {
        fz_drop_context(m_base);
        m_base = nullptr;
    }
}

MuPDFContextFamily::~MuPDFContextFamily()
{
    if (m_base)
        fz_drop_context(m_base);
}

fz_context *MuPDFContextFamily::cloneContext() const
{
    if (!m_base)
        return nullptr;
    std::lock_guard guard(m_baseMutex);
    return fz_clone_context(m_base);
}

ScopedContext::ScopedContext(const MuPDFContextFamily &family)
    : m_ctx(family.cloneContext())
{
}

ScopedContext::~ScopedContext()
{
    if (m_ctx)
        fz_drop_context(m_ctx);
}

} // namespace narrata
