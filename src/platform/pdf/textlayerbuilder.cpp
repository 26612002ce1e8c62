#include "textlayerbuilder.h"

#include "blocksplitting.h"
#include "glyphcleanup.h"
#include "readingorder.h"

namespace narrata {

namespace {

class LayerWriter {
public:
    void appendSeparator(char16_t separator)
    {
        // Separators sit just after the character before them and take no room.
        const TextLayer::Unit &before = m_units.back();
        m_units.push_back({QRectF(before.box.right(), before.box.y(), 0, before.box.height()), before.font});
        m_text.append(QChar(separator));
    }

    void appendLine(const GlyphLine &line)
    {
        const auto start = static_cast<quint64>(m_text.size());
        for (const Glyph &g : line.glyphs) {
            char16_t units[2];
            const int count = QChar::requiresSurrogates(g.c) ? 2 : 1;
            if (count == 2) {
                units[0] = QChar::highSurrogate(g.c);
                units[1] = QChar::lowSurrogate(g.c);
            } else {
                units[0] = static_cast<char16_t>(g.c);
            }
            for (int k = 0; k < count; ++k) {
                m_text.append(QChar(units[k]));
                m_units.push_back({g.box, g.font});
            }
        }
        m_lines.push_back({{start, static_cast<quint64>(m_text.size()) - start}, line.bounds()});
    }

    void appendBlock(const GlyphBlock &block)
    {
        if (!m_text.isEmpty())
            appendSeparator(u'\n');
        const auto start = static_cast<quint64>(m_text.size());
        for (size_t i = 0; i < block.lines.size(); ++i) {
            if (i > 0)
                appendSeparator(u' ');
            appendLine(block.lines[i]);
        }
        m_blocks.push_back({start, static_cast<quint64>(m_text.size()) - start});
    }

    TextLayer finish(std::vector<PDFFont> fonts)
    {
        return TextLayer(
            std::move(m_text), std::move(m_units), std::move(fonts), std::move(m_lines), std::move(m_blocks));
    }

private:
    QString m_text;
    std::vector<TextLayer::Unit> m_units;
    std::vector<TextLine> m_lines;
    std::vector<TextRange> m_blocks;
};

} // namespace

TextLayer buildTextLayer(RawPageText raw)
{
    for (GlyphBlock &block : raw.blocks) {
        for (GlyphLine &line : block.lines)
            cleanUpLine(line);
        std::erase_if(block.lines, [](const GlyphLine &line) { return line.glyphs.empty(); });
    }
    std::erase_if(raw.blocks, [](const GlyphBlock &block) { return block.lines.empty(); });

    std::vector<GlyphBlock> blocks = orderBlocksForReading(splitBlocks(std::move(raw.blocks), raw.fonts));

    LayerWriter writer;
    for (const GlyphBlock &block : blocks)
        writer.appendBlock(block);
    return writer.finish(std::move(raw.fonts));
}

} // namespace narrata
