#pragma once

#include <QtGlobal>

#include <map>
#include <memory>

namespace narrata {

class MuPDFPage;

// The pages a document handed out, by index, so that asking again for a page read recently
// gives the same object without MuPDF calls. Only the most recently asked for are kept: a
// long read keeps its memory flat, and a page tree that claims millions of pages costs
// nothing for the ones never asked for. A page that someone still holds stays valid; asked
// for again after it went, it is a new object whose text layer is extracted again.
class MuPDFOpenPages {
public:
    static constexpr std::size_t kKeptPages = 32;

    // The page kept at index, now counted as the most recently used; null when none is.
    std::shared_ptr<MuPDFPage> find(int index);
    void keep(int index, std::shared_ptr<MuPDFPage> page);
    void clear() { m_pages.clear(); }
    // Pages were inserted at, or one removed from, index: the pages after it move.
    void inserted(int index, int count = 1);
    void removed(int index);

private:
    struct Entry {
        std::shared_ptr<MuPDFPage> page;
        quint64 lastUse = 0;
    };
    void shift(int from, int by);

    std::map<int, Entry> m_pages;
    quint64 m_uses = 0;
};

} // namespace narrata
