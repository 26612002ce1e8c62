#include "pdfselection.h"

#include "pdfpage.h"

#include <algorithm>

namespace narrata {

namespace {

// The range cut to the page's text; pieces never point past the end.
TextRange clampedToText(const PDFPage &page, TextRange range)
{
    return range.intersected({0, static_cast<quint64>(page.string().size())});
}

} // namespace

PDFSelection::PDFSelection(std::shared_ptr<const PDFPage> page, TextRange range)
{
    if (!page)
        return;
    range = clampedToText(*page, range);
    if (!range.isEmpty())
        m_pieces.push_back({std::move(page), range});
}

QString PDFSelection::string() const
{
    return attributedString().string;
}

AttributedString PDFSelection::attributedString() const
{
    AttributedString result;
    const PDFPage *previousPage = nullptr;
    for (const Piece &piece : m_pieces) {
        if (previousPage && previousPage != piece.page.get()) {
            AttributedString lineFeed{QStringLiteral("\n"), {}};
            if (!result.runs.empty())
                lineFeed.runs.push_back({{0, 1}, result.runs.back().font});
            result.append(lineFeed);
        }
        result.append(piece.page->textLayer().attributedSubstring(piece.range));
        previousPage = piece.page.get();
    }
    return result;
}

std::vector<std::shared_ptr<const PDFPage>> PDFSelection::pages() const
{
    std::vector<std::shared_ptr<const PDFPage>> result;
    for (const Piece &piece : m_pieces)
        if (std::find(result.begin(), result.end(), piece.page) == result.end())
            result.push_back(piece.page);
    return result;
}

QRectF PDFSelection::boundsForPage(const PDFPage &page) const
{
    QRectF bounds;
    for (const Piece &piece : m_pieces) {
        if (piece.page.get() != &page)
            continue;
        const QRectF b = page.textLayer().boundsOfRange(piece.range);
        if (!b.isNull())
            bounds = bounds.isNull() ? b : bounds.united(b);
    }
    return bounds;
}

TextRange PDFSelection::rangeAtIndex(int index, const PDFPage &page) const
{
    int seen = 0;
    for (const Piece &piece : m_pieces)
        if (piece.page.get() == &page && seen++ == index)
            return piece.range;
    return {static_cast<quint64>(kNotFound), 0};
}

int PDFSelection::numberOfTextRangesOnPage(const PDFPage &page) const
{
    return static_cast<int>(
        std::count_if(m_pieces.begin(), m_pieces.end(), [&](const Piece &piece) { return piece.page.get() == &page; }));
}

std::vector<PDFSelection> PDFSelection::selectionsByLine() const
{
    std::vector<PDFSelection> result;
    for (const Piece &piece : m_pieces)
        for (const TextRange &part : piece.page->textLayer().lineRangesWithin(piece.range))
            result.emplace_back(piece.page, part);
    return result;
}

void PDFSelection::addSelection(const PDFSelection &other)
{
    for (const Piece &incoming : other.m_pieces) {
        Piece merged = incoming;
        // Absorb every piece of the same page that touches the incoming one.
        for (auto it = m_pieces.begin(); it != m_pieces.end();) {
            const bool touches = it->page == merged.page && it->range.location <= merged.range.end()
                && merged.range.location <= it->range.end();
            if (!touches) {
                ++it;
                continue;
            }
            const quint64 start = std::min(it->range.location, merged.range.location);
            const quint64 stop = std::max(it->range.end(), merged.range.end());
            merged.range = {start, stop - start};
            it = m_pieces.erase(it);
        }
        // Keep pieces of one page in text order.
        auto at = std::find_if(m_pieces.begin(), m_pieces.end(),
            [&](const Piece &p) { return p.page == merged.page && p.range.location > merged.range.location; });
        if (at == m_pieces.end()) {
            auto lastOfPage = std::find_if(
                m_pieces.rbegin(), m_pieces.rend(), [&](const Piece &p) { return p.page == merged.page; });
            at = lastOfPage == m_pieces.rend() ? m_pieces.end() : lastOfPage.base();
        }
        m_pieces.insert(at, std::move(merged));
    }
}

} // namespace narrata
