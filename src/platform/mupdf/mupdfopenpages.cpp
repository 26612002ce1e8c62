#include "mupdfopenpages.h"

#include "mupdfpage.h"

#include <algorithm>

namespace narrata {

std::shared_ptr<MuPDFPage> MuPDFOpenPages::find(int index)
{
    const auto found = m_pages.find(index);
    if (found == m_pages.end())
        return nullptr;
    found->second.lastUse = ++m_uses;
    return found->second.page;
}

void MuPDFOpenPages::keep(int index, std::shared_ptr<MuPDFPage> page)
{
    m_pages[index] = {std::move(page), ++m_uses};
    if (m_pages.size() <= kKeptPages)
        return;
    const auto oldest = std::min_element(m_pages.begin(), m_pages.end(),
        [](const auto &a, const auto &b) { return a.second.lastUse < b.second.lastUse; });
    m_pages.erase(oldest);
}

void MuPDFOpenPages::inserted(int index, int count)
{
    shift(index, count);
}

void MuPDFOpenPages::removed(int index)
{
    m_pages.erase(index);
    shift(index + 1, -1);
}

void MuPDFOpenPages::shift(int from, int by)
{
    std::map<int, Entry> shifted;
    for (auto &[index, entry] : m_pages)
        shifted.emplace(index >= from ? index + by : index, std::move(entry));
    m_pages = std::move(shifted);
}

} // namespace narrata
