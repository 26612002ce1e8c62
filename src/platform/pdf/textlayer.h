#pragma once

#include "attributedstring.h"
#include "pdffont.h"
#include "textrange.h"

#include <QPointF>
#include <QRectF>
#include <QString>

#include <vector>

namespace narrata {

// One line of text as it stands on the page.
struct TextLine {
    TextRange range; // its characters, without the separator that follows it
    QRectF bounds; // page space

    friend bool operator==(const TextLine &, const TextLine &) = default;
};

// A page's text with the geometry and font of every UTF-16 code unit. The lines of a
// block are joined by one space and blocks by one line feed; those separators have a
// zero-width box just after the character before them. Built once per page, then only read.
class TextLayer {
public:
    struct Unit {
        QRectF box; // page space: origin lower-left, y up
        int font = -1; // index into fonts()
    };

    TextLayer() = default;
    TextLayer(QString text, std::vector<Unit> units, std::vector<PDFFont> fonts, std::vector<TextLine> lines,
        std::vector<TextRange> blocks);

    const QString &string() const { return m_text; }
    bool isEmpty() const { return m_text.isEmpty(); }
    const std::vector<TextLine> &lines() const { return m_lines; }
    const std::vector<TextRange> &blocks() const { return m_blocks; }
    const std::vector<PDFFont> &fonts() const { return m_fonts; }

    // The index of the character whose box holds the point, or kNotFound.
    qint64 characterIndexAtPoint(QPointF point) const;
    // The box of a character; a null rectangle past the end.
    QRectF characterBoundsAtIndex(qint64 index) const;
    // The union of the visible boxes of a range (separators add nothing).
    QRectF boundsOfRange(TextRange range) const;
    // The parts of a range that fall on each text line, in reading order.
    std::vector<TextRange> lineRangesWithin(TextRange range) const;
    // Every character whose box centre lies in the rectangle, as contiguous ranges;
    // a separator between two chosen characters joins their ranges.
    std::vector<TextRange> rangesInRect(const QRectF &rect) const;

    // The text with its font runs, worked out once when the layer is built.
    AttributedString attributedString() const { return {m_text, m_runs}; }
    // The same for a range, without copying the whole page's runs.
    AttributedString attributedSubstring(TextRange range) const;

private:
    QString m_text;
    std::vector<Unit> m_units;
    std::vector<PDFFont> m_fonts;
    std::vector<TextLine> m_lines;
    std::vector<TextRange> m_blocks;
    std::vector<FontRun> m_runs;
};

} // namespace narrata
