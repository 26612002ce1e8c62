#include "glyphcleanup.h"

#include <QChar>
#include <QString>

#include <algorithm>
#include <array>
#include <string_view>

namespace narrata {

namespace {

struct Ligature {
    char32_t ligature;
    std::u32string_view letters;
};

constexpr std::array<Ligature, 7> kLigatures{{
    {U'\uFB00', U"ff"},
    {U'\uFB01', U"fi"},
    {U'\uFB02', U"fl"},
    {U'\uFB03', U"ffi"},
    {U'\uFB04', U"ffl"},
    {U'\uFB05', U"st"},
    {U'\uFB06', U"st"},
}};

// Spacing accents that fonts without a Unicode map draw beside (over or under) a letter.
struct Accent {
    char32_t spacing;
    char16_t combining;
};

constexpr std::array<Accent, 12> kAccents{{
    {U'\u00B4', u'\u0301'}, // acute
    {U'\u0060', u'\u0300'}, // grave
    {U'\u00A8', u'\u0308'}, // dieresis
    {U'\u02C6', u'\u0302'}, // circumflex
    {U'\u02DC', u'\u0303'}, // tilde
    {U'\u02C7', u'\u030C'}, // caron
    {U'\u02D8', u'\u0306'}, // breve
    {U'\u00AF', u'\u0304'}, // macron
    {U'\u02DA', u'\u030A'}, // ring
    {U'\u02D9', u'\u0307'}, // dot above
    {U'\u00B8', u'\u0327'}, // cedilla
    {U'\u02DD', u'\u030B'}, // double acute
}};

char16_t combiningFor(char32_t c)
{
    for (const Accent &a : kAccents)
        if (a.spacing == c)
            return a.combining;
    return 0;
}

bool isSpace(char32_t c)
{
    return c == U' ' || c == U'\t' || c == U'\u00A0' || (c >= U'\u2000' && c <= U'\u200A') || c == U'\u202F'
        || c == U'\u205F' || c == U'\u3000';
}

bool isDropped(char32_t c)
{
    return c == U'\uFFFD' || c < 0x20 || (c >= 0x7F && c < 0xA0) || c == U'\u200B' || c == U'\uFEFF' || c > 0x10FFFF
        || (c >= 0xD800 && c <= 0xDFFF);
}

bool isLetter(char32_t c)
{
    return c <= 0xFFFF && QChar(static_cast<char16_t>(c)).isLetter();
}

// The accent's centre lies over the letter: it was drawn onto it, not set beside it.
bool drawnOver(const QRectF &accent, const QRectF &letter)
{
    const double slack = letter.width() * 0.15;
    const double centre = accent.center().x();
    return centre >= letter.left() - slack && centre <= letter.right() + slack;
}

// The letter with the accent, when Unicode has one character for the pair.
char32_t composed(char32_t letter, char16_t combining)
{
    if (letter == U'\u0131') // dotless i, which TeX puts under accents
        letter = U'i';
    else if (letter == U'\u0237')
        letter = U'j';
    QString pair = QString::fromUcs4(&letter, 1);
    pair.append(QChar(combining));
    const QString nfc = pair.normalized(QString::NormalizationForm_C);
    return nfc.size() == 1 ? nfc.at(0).unicode() : 0;
}

void expandLigatures(std::vector<Glyph> &glyphs)
{
    std::vector<Glyph> out;
    out.reserve(glyphs.size());
    for (const Glyph &g : glyphs) {
        std::u32string_view letters;
        for (const Ligature &l : kLigatures)
            if (l.ligature == g.c)
                letters = l.letters;
        if (letters.empty()) {
            out.push_back(g);
            continue;
        }
        // Each letter takes an equal slice of the ligature's box, so that pointing at the
        // glyph finds one of its letters and each letter has a box of its own.
        const double slice = g.box.width() / static_cast<double>(letters.size());
        for (size_t i = 0; i < letters.size(); ++i)
            out.push_back({letters[i],
                QRectF(g.box.x() + slice * static_cast<double>(i), g.box.y(), slice, g.box.height()), g.font});
    }
    glyphs = std::move(out);
}

void composeAccents(std::vector<Glyph> &glyphs)
{
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const char16_t combining = combiningFor(glyphs[i].c);
        if (!combining)
            continue;
        for (const size_t j : {i + 1, i - 1}) {
            if (j >= glyphs.size() || !isLetter(glyphs[j].c) || !drawnOver(glyphs[i].box, glyphs[j].box))
                continue;
            const char32_t c = composed(glyphs[j].c, combining);
            if (!c)
                continue;
            glyphs[j].c = c;
            glyphs.erase(glyphs.begin() + static_cast<std::ptrdiff_t>(i));
            --i;
            break;
        }
    }
}

void foldSpaces(std::vector<Glyph> &glyphs)
{
    std::vector<Glyph> out;
    out.reserve(glyphs.size());
    for (Glyph g : glyphs) {
        if (isDropped(g.c))
            continue;
        if (isSpace(g.c)) {
            if (out.empty() || out.back().c == U' ')
                continue;
            g.c = U' ';
        }
        out.push_back(g);
    }
    while (!out.empty() && out.back().c == U' ')
        out.pop_back();
    glyphs = std::move(out);
}

bool isNoteMark(char32_t c)
{
    return (c >= U'0' && c <= U'9') || c == U'*' || c == U'\u2020' || c == U'\u2021' || c == U'\u00A7'
        || c == U'\u00B6';
}

// A footnote's mark is set smaller and above the line, against the first word of the note
// ("¹If the caption"): without a space between them the two are read as one word.
void separateRaisedMarks(std::vector<Glyph> &glyphs)
{
    for (size_t i = 1; i < glyphs.size(); ++i) {
        const QRectF &mark = glyphs[i - 1].box;
        const QRectF &letter = glyphs[i].box;
        if (!isNoteMark(glyphs[i - 1].c) || !isLetter(glyphs[i].c) || mark.height() >= letter.height() * 0.9
            || lowerEdge(mark) - lowerEdge(letter) < letter.height() * 0.2)
            continue;
        const Glyph space{U' ',
            QRectF(mark.right(), letter.y(), std::max(0.0, letter.left() - mark.right()), letter.height()),
            glyphs[i].font};
        glyphs.insert(glyphs.begin() + static_cast<std::ptrdiff_t>(i), space);
    }
}

} // namespace

void cleanUpLine(GlyphLine &line)
{
    expandLigatures(line.glyphs);
    composeAccents(line.glyphs);
    foldSpaces(line.glyphs);
    separateRaisedMarks(line.glyphs);
}

} // namespace narrata
