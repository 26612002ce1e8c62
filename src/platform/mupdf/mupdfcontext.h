#pragma once

#include <memory>
#include <mutex>

struct fz_context;

namespace narrata {

// Every MuPDF context of the process comes from one base context, so that documents opened
// by different contexts can exchange pages (they share the resource store and allocator).
//
// Threading scheme: MuPDF's locking callbacks are backed by one mutex per MuPDF lock. Each
// document gets a context cloned from the base and guards it, and the document itself, with
// a mutex of its own: every call on a document runs under that mutex. Rendering builds the
// page's display list under the document mutex, then rasterises it outside the lock with a
// context cloned for that call, so several threads draw at once.
class MuPDFContextFamily {
public:
    static std::shared_ptr<MuPDFContextFamily> shared();

    ~MuPDFContextFamily();
    MuPDFContextFamily(const MuPDFContextFamily &) = delete;
    MuPDFContextFamily &operator=(const MuPDFContextFamily &) = delete;

    // A new context of the family; null when MuPDF is out of memory.
    fz_context *cloneContext() const;

private:
    MuPDFContextFamily();

    fz_context *m_base = nullptr;
    mutable std::mutex m_baseMutex; // fz_clone_context reads the base context
};

// A context of the family, dropped at the end of its scope.
class ScopedContext {
public:
    explicit ScopedContext(const MuPDFContextFamily &family);
    ~ScopedContext();
    ScopedContext(const ScopedContext &) = delete;
    ScopedContext &operator=(const ScopedContext &) = delete;

    fz_context *get() const { return m_ctx; }
    explicit operator bool() const { return m_ctx != nullptr; }

private:
    fz_context *m_ctx;
};

} // namespace narrata
