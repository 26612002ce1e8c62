#include "textsegmenter.h"

#include <QDebug>
#include <QStringView>

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/ubrk.h>
#include <unicode/unistr.h>
#include <unicode/utypes.h>

#include <array>
#include <limits>
#include <memory>
#include <optional>

namespace narrata {

namespace {

// Turns the substring ranges of a text's units, given in ascending order, into segments.
// A unit is held back until the next one arrives, because its enclosing range runs up to
// where the next unit starts; the last one's runs to the end of the text.
class SegmentTiler {
public:
    SegmentTiler(qsizetype textLength, const SegmentVisitor &visitor)
        : m_textLength(static_cast<quint64>(textLength))
        , m_visitor(visitor)
    {
    }

    // False once the visitor has asked to stop.
    bool add(TextRange substring)
    {
        if (m_stopped)
            return false;
        if (m_pending) {
            const quint64 start = m_pendingStart;
            m_pendingStart = substring.location;
            if (!m_visitor({*m_pending, {start, substring.location - start}})) {
                m_stopped = true;
                return false;
            }
        }
        m_pending = substring;
        return true;
    }

    void finish()
    {
        if (m_pending && !m_stopped)
            m_visitor({*m_pending, {m_pendingStart, m_textLength - m_pendingStart}});
        m_pending.reset();
    }

private:
    quint64 m_textLength;
    const SegmentVisitor &m_visitor;
    std::optional<TextRange> m_pending;
    quint64 m_pendingStart = 0; // the first unit also covers what precedes it
    bool m_stopped = false;
};

TextRange rangeBetween(qsizetype start, qsizetype end)
{
    return {static_cast<quint64>(start), static_cast<quint64>(end - start)};
}

TextRange trimmedRange(const QString &text, qsizetype start, qsizetype end)
{
    // Every white space character is in the BMP, so no surrogate half is ever taken for one.
    while (start < end && text.at(start).isSpace())
        ++start;
    while (end > start && text.at(end - 1).isSpace())
        --end;
    return rangeBetween(start, end);
}

enum class BreakKind { Sentence, Word };

std::unique_ptr<icu::BreakIterator> createIterator(BreakKind kind, UErrorCode &status)
{
    // The root locale: the text's language is unknown, and its rules are the plain
    // Unicode ones, without any locale's list of abbreviations.
    const icu::Locale &root = icu::Locale::getRoot();
    return std::unique_ptr<icu::BreakIterator>(kind == BreakKind::Sentence
            ? icu::BreakIterator::createSentenceInstance(root, status)
            : icu::BreakIterator::createWordInstance(root, status));
}

// Creating a break iterator loads and builds its rules, which costs more than segmenting a
// page. Each thread keeps one iterator of each kind and lends it out; a nested enumeration
// of the same kind, finding the slot empty, makes its own.
class BorrowedIterator {
public:
    explicit BorrowedIterator(BreakKind kind)
        : m_slot(spares()[kind == BreakKind::Sentence ? 0 : 1])
    {
        m_iterator = std::move(m_slot);
        UErrorCode status = U_ZERO_ERROR;
        if (!m_iterator)
            m_iterator = createIterator(kind, status);
        if (U_FAILURE(status)) {
            qWarning() << "ICU break iterator unavailable:" << u_errorName(status);
            m_iterator.reset();
        }
    }
    ~BorrowedIterator()
    {
        if (m_iterator && !m_slot)
            m_slot = std::move(m_iterator);
    }
    BorrowedIterator(const BorrowedIterator &) = delete;
    BorrowedIterator &operator=(const BorrowedIterator &) = delete;

    icu::BreakIterator *get() const { return m_iterator.get(); }

private:
    static std::array<std::unique_ptr<icu::BreakIterator>, 2> &spares()
    {
        thread_local std::array<std::unique_ptr<icu::BreakIterator>, 2> iterators;
        return iterators;
    }

    std::unique_ptr<icu::BreakIterator> &m_slot;
    std::unique_ptr<icu::BreakIterator> m_iterator;
};

// Calls visit(start, end, ruleStatus) for each run between consecutive ICU boundaries
// until it returns false.
template<typename Visit> void forEachBreakRun(const QString &text, BreakKind kind, Visit visit)
{
    if (text.isEmpty())
        return;
    if (text.size() > std::numeric_limits<int32_t>::max()) {
        qWarning() << "Text too long to segment:" << text.size() << "UTF-16 units";
        return;
    }
    // A read-only alias of the QString's own UTF-16 buffer: ICU reads it in place, so its
    // indices are the QString's. Declared first so that it outlives the iterator.
    const icu::UnicodeString alias(false, QStringView(text).utf16(), static_cast<int32_t>(text.size()));
    const BorrowedIterator borrowed(kind);
    icu::BreakIterator *iterator = borrowed.get();
    if (!iterator)
        return;
    iterator->setText(alias);
    int32_t start = iterator->first();
    for (int32_t end = iterator->next(); end != icu::BreakIterator::DONE; start = end, end = iterator->next()) {
        if (!visit(qsizetype(start), qsizetype(end), iterator->getRuleStatus()))
            return;
    }
}

bool isParagraphSeparator(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar(0x0085);
}

} // namespace

void enumerateSentences(const QString &text, const SegmentVisitor &visitor)
{
    SegmentTiler tiler(text.size(), visitor);
    forEachBreakRun(text, BreakKind::Sentence, [&](qsizetype start, qsizetype end, int32_t) {
        const TextRange sentence = trimmedRange(text, start, end);
        // A run of white space only is no sentence; the tiler gives it to a neighbour.
        return sentence.isEmpty() || tiler.add(sentence);
    });
    tiler.finish();
}

void enumerateParagraphs(const QString &text, const SegmentVisitor &visitor)
{
    SegmentTiler tiler(text.size(), visitor);
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isParagraphSeparator(text.at(i)))
            continue;
        if (!tiler.add(rangeBetween(start, i)))
            return;
        if (text.at(i) == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i; // CR LF is one separator
        start = i + 1;
    }
    if (start < text.size() && !tiler.add(rangeBetween(start, text.size())))
        return;
    tiler.finish();
}

void enumerateWords(const QString &text, const SegmentVisitor &visitor)
{
    SegmentTiler tiler(text.size(), visitor);
    forEachBreakRun(text, BreakKind::Word, [&](qsizetype start, qsizetype end, int32_t ruleStatus) {
        // Statuses below the limit mark spaces, punctuation and symbols.
        return ruleStatus < UBRK_WORD_NONE_LIMIT || tiler.add(rangeBetween(start, end));
    });
    tiler.finish();
}

} // namespace narrata
