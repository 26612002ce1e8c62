#include "mupdftextextraction.h"

#include "mupdfwatchdog.h"

#include "mupdfgeometry.h"

#include <mupdf/fitz.h>
#include <mupdf/pdf.h>

#include <cmath>
#include <map>
#include <set>

namespace narrata {

namespace {

// Fonts without the fixed-pitch flag can still be monospaced: then every glyph of theirs
// that the page uses has the same advance.
bool hasEqualAdvances(fz_context *ctx, fz_font *font, const std::set<int> &characters)
{
    float advances[16] = {};
    int count = 0;
    bool equal = true;
    fz_var(equal);
    fz_var(count);
    fz_try (ctx) {
        for (int c : characters) {
            if (count == 16 || c == ' ')
                continue;
            const int glyph = fz_encode_character(ctx, font, c);
            if (glyph > 0)
                advances[count++] = fz_advance_glyph(ctx, font, glyph, 0);
        }
        for (int i = 1; i < count; ++i)
            if (std::fabs(advances[i] - advances[0]) > 0.01f * std::fabs(advances[0]))
                equal = false;
    }
    fz_catch (ctx) {
        return false;
    }
    return equal && count >= 3 && advances[0] > 0;
}

class FontTable {
public:
    FontTable(fz_context *ctx, fz_stext_page *text)
        : m_ctx(ctx)
    {
        // A few distinct characters per font are enough to tell equal advances apart.
        constexpr size_t kSample = 16;
        std::map<fz_font *, std::set<int>> characters;
        fz_font *last = nullptr;
        std::set<int> *lastCharacters = nullptr;
        for (fz_stext_block *block = text->first_block; block; block = block->next)
            if (block->type == FZ_STEXT_BLOCK_TEXT)
                for (fz_stext_line *line = block->u.t.first_line; line; line = line->next)
                    for (fz_stext_char *ch = line->first_char; ch; ch = ch->next) {
                        if (!ch->font)
                            continue;
                        if (ch->font != last) {
                            last = ch->font;
                            lastCharacters = &characters[last];
                        }
                        if (lastCharacters->size() < kSample)
                            lastCharacters->insert(ch->c);
                    }
        for (const auto &[font, used] : characters)
            m_fixedPitch[font] = fz_font_is_monospaced(ctx, font) || hasEqualAdvances(ctx, font, used);
    }

    int indexFor(fz_font *font, float size)
    {
        if (!font)
            return -1;
        // Runs of characters share their font: most look-ups are the one before.
        if (font == m_lastFont && size == m_lastSize)
            return m_lastIndex;
        m_lastFont = font;
        m_lastSize = size;
        m_lastIndex = lookUp(font, size);
        return m_lastIndex;
    }

    std::vector<PDFFont> takeFonts() { return std::move(m_fonts); }

private:
    int lookUp(fz_font *font, float size)
    {
        // Sizes computed from text matrices carry float noise; a hundredth of a point is plenty.
        const double rounded = std::round(static_cast<double>(size) * 100.0) / 100.0;
        const auto key = std::make_pair(font, rounded);
        if (auto it = m_indices.find(key); it != m_indices.end())
            return it->second;
        PDFFont pdfFont{
            fontNameWithoutSubsetTag(QString::fromUtf8(fz_font_name(m_ctx, font))), rounded, m_fixedPitch[font]};
        int index = -1;
        for (size_t i = 0; i < m_fonts.size() && index < 0; ++i)
            if (m_fonts[i] == pdfFont)
                index = static_cast<int>(i);
        if (index < 0) {
            index = static_cast<int>(m_fonts.size());
            m_fonts.push_back(std::move(pdfFont));
        }
        m_indices.emplace(key, index);
        return index;
    }

    fz_context *m_ctx;
    fz_font *m_lastFont = nullptr;
    float m_lastSize = 0;
    int m_lastIndex = -1;
    std::map<fz_font *, bool> m_fixedPitch;
    std::map<std::pair<fz_font *, double>, int> m_indices;
    std::vector<PDFFont> m_fonts;
};

RawPageText convert(fz_context *ctx, fz_stext_page *text, const fz_rect &bounds)
{
    RawPageText raw;
    FontTable fonts(ctx, text);
    for (fz_stext_block *block = text->first_block; block; block = block->next) {
        if (block->type != FZ_STEXT_BLOCK_TEXT)
            continue;
        GlyphBlock glyphBlock;
        for (fz_stext_line *line = block->u.t.first_line; line; line = line->next) {
            GlyphLine glyphLine;
            for (fz_stext_char *ch = line->first_char; ch; ch = ch->next)
                glyphLine.glyphs.push_back({static_cast<char32_t>(ch->c),
                    toPageSpace(fz_rect_from_quad(ch->quad), bounds), fonts.indexFor(ch->font, ch->size)});
            if (!glyphLine.glyphs.empty())
                glyphBlock.lines.push_back(std::move(glyphLine));
        }
        if (!glyphBlock.lines.empty())
            raw.blocks.push_back(std::move(glyphBlock));
    }
    raw.fonts = fonts.takeFonts();
    return raw;
}

} // namespace

RawPageText extractRawPageText(fz_context *ctx, pdf_document *document, pdf_obj *pageObject, bool *aborted)
{
    MuPDFWatchedWork work;
    fz_stext_page *text = nullptr;
    fz_device *device = nullptr;
    pdf_processor *processor = nullptr;
    fz_rect bounds = fz_empty_rect;
    fz_var(text);
    fz_var(device);
    fz_var(processor);
    fz_try (ctx) {
        const PageObjectSpace space = pageObjectSpace(ctx, pageObject);
        bounds = space.bounds;
        fz_stext_options options = {};
        // Ligatures are expanded by MuPDF; characters outside the page are not read.
        options.flags = FZ_STEXT_MEDIABOX_CLIP;
        text = fz_new_stext_page(ctx, bounds);
        device = fz_new_stext_device(ctx, text, &options);
        // What running the page's contents does, less the colour and blending set-up that
        // text does not need.
        processor = pdf_new_run_processor(ctx, device, space.ctm, "View", nullptr, nullptr, work.cookie());
        pdf_process_contents(ctx, processor, document, pdf_dict_get_inheritable(ctx, pageObject, PDF_NAME(Resources)),
            pdf_dict_get(ctx, pageObject, PDF_NAME(Contents)), work.cookie());
        pdf_close_processor(ctx, processor);
        fz_close_device(ctx, device);
    }
    fz_always (ctx) {
        pdf_drop_processor(ctx, processor);
        fz_drop_device(ctx, device);
    }
    fz_catch (ctx) {
        fz_drop_stext_page(ctx, text);
        return {};
    }
    *aborted = work.aborted();
    if (*aborted) { // what was read so far is no page to read from
        fz_drop_stext_page(ctx, text);
        return {};
    }
    RawPageText raw = convert(ctx, text, bounds);
    fz_drop_stext_page(ctx, text);
    return raw;
}

} // namespace narrata
