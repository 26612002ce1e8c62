#include "pdffixture.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSaveFile>

#include <mupdf/fitz.h>
#include <mupdf/pdf.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <utility>

namespace narrata::testing {

namespace {

// ---------------------------------------------------------------------------------------------
// PDF syntax

QByteArray pdfNumber(double value)
{
    // PDF has no exponent notation; QByteArray::number ignores the locale, so the decimal
    // point is always a dot.
    if (std::abs(value) < 0.00005)
        return "0";
    QByteArray text = QByteArray::number(value, 'f', 4);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    return text;
}

QByteArray pdfReference(int object)
{
    return QByteArray::number(object) + " 0 R";
}

// Delimiters and the backslash are escaped; bytes outside printable ASCII are written in
// octal, which keeps the whole file readable as text.
QByteArray pdfLiteralString(const QByteArray &bytes)
{
    QByteArray out = "(";
    for (const char ch : bytes) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == '(' || ch == ')' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (byte < 0x20 || byte > 0x7E) {
            out += '\\';
            out += QByteArray::number(byte, 8).rightJustified(3, '0');
        } else {
            out += ch;
        }
    }
    return out + ')';
}

QByteArray pdfName(const QString &name)
{
    QByteArray out = "/";
    for (const char ch : name.toUtf8()) {
        const auto byte = static_cast<unsigned char>(ch);
        const bool regular = byte > 0x20 && byte < 0x7F && !std::strchr("#()<>[]{}/%", ch);
        if (regular)
            out += ch;
        else
            out += '#' + QByteArray::number(byte, 16).rightJustified(2, '0');
    }
    return out;
}

QByteArray pdfRectangle(double left, double bottom, double right, double top)
{
    return '[' + pdfNumber(left) + ' ' + pdfNumber(bottom) + ' ' + pdfNumber(right) + ' ' + pdfNumber(top) + ']';
}

// Lays the file out object by object, noting each one's byte offset for the xref table.
class PdfWriter {
public:
    PdfWriter()
        : m_out("%PDF-1.7\n%\xE2\xE3\xCF\xD3\n")
    {
    }

    int reserveObject()
    {
        m_offsets.push_back(-1);
        return static_cast<int>(m_offsets.size());
    }

    void writeObject(int number, const QByteArray &body)
    {
        m_offsets[static_cast<size_t>(number - 1)] = m_out.size();
        m_out += QByteArray::number(number) + " 0 obj\n" + body + "\nendobj\n";
    }

    void writeStream(int number, const QByteArray &data)
    {
        // The line break before "endstream" is not part of the data, so /Length is exact.
        writeObject(number, "<< /Length " + QByteArray::number(data.size()) + " >>\nstream\n" + data + "\nendstream");
    }

    QByteArray finish(int rootObject)
    {
        Q_ASSERT(std::find(m_offsets.begin(), m_offsets.end(), -1) == m_offsets.end());
        // Writers that rewrite or encrypt the file expect an identifier; taking it from the
        // content keeps the same pages giving the same bytes.
        const QByteArray digest = QCryptographicHash::hash(m_out, QCryptographicHash::Md5);
        const QByteArray id = '<' + digest.toHex() + '>';
        const qsizetype xrefOffset = m_out.size();
        const QByteArray size = QByteArray::number(m_offsets.size() + 1);
        m_out += "xref\n0 " + size + "\n0000000000 65535 f \n";
        for (const qsizetype offset : m_offsets)
            m_out += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
        m_out += "trailer\n<< /Size " + size + " /Root " + pdfReference(rootObject) + " /ID [" + id + ' ' + id
            + "] >>\nstartxref\n" + QByteArray::number(xrefOffset) + "\n%%EOF\n";
        return m_out;
    }

private:
    QByteArray m_out;
    std::vector<qsizetype> m_offsets; // by object number - 1
};

// ---------------------------------------------------------------------------------------------
// Character codes

// Unicode of the WinAnsi codes 0x80-0x9F; zero where a code is unused.
constexpr char16_t kWinAnsi80To9F[32] = {0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030,
    0x0160, 0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122,
    0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

bool isIdentityWinAnsi(char32_t character)
{
    return (character >= 0x20 && character <= 0x7E) || (character >= 0xA0 && character <= 0xFF);
}

std::optional<unsigned char> winAnsiCode(char32_t character)
{
    if (isIdentityWinAnsi(character))
        return static_cast<unsigned char>(character);
    for (int i = 0; i < 32; ++i) {
        if (kWinAnsi80To9F[i] != 0 && kWinAnsi80To9F[i] == character)
            return static_cast<unsigned char>(0x80 + i);
    }
    return std::nullopt;
}

// Codes 1-31 mean nothing in WinAnsi, so a font resource lends them to characters outside
// it: its encoding draws a stand-in glyph for them and its ToUnicode map gives the character
// back. A font that needs more of them than that gets a further resource.
constexpr int kFirstBorrowedCode = 1;
constexpr size_t kBorrowedCodeCount = 31;

struct FontResource {
    QString baseFont;
    std::vector<char32_t> borrowed; // borrowed[i] is drawn with code kFirstBorrowedCode + i
};

struct Glyph {
    int resource = 0;
    unsigned char code = 0;
};

// The font resources of a document, shared by all its pages, and the code of every character.
class FontTable {
public:
    explicit FontTable(const std::vector<FixturePage> &pages)
    {
        for (const FixturePage &page : pages) {
            for (const FixtureText &text : page.texts) {
                plainResource(text.font);
                for (const char32_t character : text.text.toUcs4())
                    add(text.font, character);
            }
        }
    }

    const std::vector<FontResource> &resources() const { return m_resources; }

    Glyph glyph(const QString &font, char32_t character) const
    {
        if (const auto code = winAnsiCode(character))
            return {m_plain.at(font), *code};
        return m_borrowed.at({font, character});
    }

    static QByteArray resourceName(int resource) { return "/F" + QByteArray::number(resource + 1); }

private:
    int plainResource(const QString &font)
    {
        const auto found = m_plain.find(font);
        if (found != m_plain.end())
            return found->second;
        m_resources.push_back({font, {}});
        const int resource = static_cast<int>(m_resources.size()) - 1;
        m_plain[font] = resource;
        m_lastResource[font] = resource;
        return resource;
    }

    void add(const QString &font, char32_t character)
    {
        if (winAnsiCode(character) || m_borrowed.contains({font, character}))
            return;
        int &last = m_lastResource[font];
        if (m_resources[static_cast<size_t>(last)].borrowed.size() == kBorrowedCodeCount) {
            m_resources.push_back({font, {}});
            last = static_cast<int>(m_resources.size()) - 1;
        }
        std::vector<char32_t> &borrowed = m_resources[static_cast<size_t>(last)].borrowed;
        borrowed.push_back(character);
        const auto code = static_cast<unsigned char>(kFirstBorrowedCode + borrowed.size() - 1);
        m_borrowed[{font, character}] = {last, code};
    }

    std::vector<FontResource> m_resources;
    std::map<QString, int> m_plain; // the resource drawing a font's WinAnsi characters
    std::map<QString, int> m_lastResource; // where a font's next borrowed code comes from
    std::map<std::pair<QString, char32_t>, Glyph> m_borrowed;
};

// The glyph drawn for a borrowed code. Text extraction reads ToUnicode, so any visible glyph
// would do; the Latin base-14 fonts have a few characters outside WinAnsi, and drawing those
// as themselves makes renderings of the fixtures look right.
const char *standInGlyph(char32_t character)
{
    struct NamedGlyph {
        char32_t character;
        const char *name;
    };
    static constexpr NamedGlyph kGlyphs[] = {
        {0x0131, "dotlessi"},
        {0x0141, "Lslash"},
        {0x0142, "lslash"},
        {0x02C7, "caron"},
        {0x02D8, "breve"},
        {0x02D9, "dotaccent"},
        {0x02DA, "ring"},
        {0x02DB, "ogonek"},
        {0x02DD, "hungarumlaut"},
        {0x2044, "fraction"},
        {0x2212, "minus"},
        {0xFB01, "fi"},
        {0xFB02, "fl"},
    };
    for (const NamedGlyph &glyph : kGlyphs) {
        if (glyph.character == character)
            return glyph.name;
    }
    return "bullet";
}

QByteArray fontEncoding(const FontResource &font)
{
    if (font.borrowed.empty())
        return "/WinAnsiEncoding";
    QByteArray differences = QByteArray::number(kFirstBorrowedCode);
    for (const char32_t character : font.borrowed)
        differences += QByteArray(" /") + standInGlyph(character);
    return "<< /Type /Encoding /BaseEncoding /WinAnsiEncoding /Differences [" + differences + "] >>";
}

QByteArray fontDictionary(const FontResource &font, int toUnicodeObject)
{
    return "<< /Type /Font /Subtype /Type1 /BaseFont " + pdfName(font.baseFont) + " /Encoding " + fontEncoding(font)
        + " /ToUnicode " + pdfReference(toUnicodeObject) + " >>";
}

QByteArray hexCode(int code)
{
    return '<' + QByteArray::number(code, 16).rightJustified(2, '0').toUpper() + '>';
}

// UTF-16BE, as ToUnicode wants it: a character beyond the BMP is a surrogate pair.
QByteArray hexUtf16(char32_t character)
{
    const auto unit = [](char32_t value) { return QByteArray::number(value, 16).rightJustified(4, '0').toUpper(); };
    if (character <= 0xFFFF)
        return '<' + unit(character) + '>';
    const char32_t offset = character - 0x10000;
    return '<' + unit(0xD800 + (offset >> 10)) + unit(0xDC00 + (offset & 0x3FF)) + '>';
}

QByteArray bfcharBlocks(const std::vector<std::pair<int, char32_t>> &mappings)
{
    constexpr size_t kMaxPerBlock = 100; // the CMap format's limit
    QByteArray out;
    for (size_t start = 0; start < mappings.size(); start += kMaxPerBlock) {
        const size_t end = std::min(mappings.size(), start + kMaxPerBlock);
        out += QByteArray::number(end - start) + " beginbfchar\n";
        for (size_t i = start; i < end; ++i)
            out += hexCode(mappings[i].first) + ' ' + hexUtf16(mappings[i].second) + '\n';
        out += "endbfchar\n";
    }
    return out;
}

// Maps every code the font uses back to Unicode, the WinAnsi ones included, so that what
// extraction gives never rests on a reader's guesses from glyph names.
QByteArray toUnicodeCMap(const FontResource &font)
{
    std::vector<std::pair<int, char32_t>> singles;
    for (size_t i = 0; i < font.borrowed.size(); ++i)
        singles.emplace_back(kFirstBorrowedCode + static_cast<int>(i), font.borrowed[i]);
    for (int i = 0; i < 32; ++i) {
        if (kWinAnsi80To9F[i] != 0)
            singles.emplace_back(0x80 + i, kWinAnsi80To9F[i]);
    }
    return "/CIDInit /ProcSet findresource begin\n"
           "12 dict begin\n"
           "begincmap\n"
           "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
           "/CMapName /Adobe-Identity-UCS def\n"
           "/CMapType 2 def\n"
           "1 begincodespacerange\n<00> <FF>\nendcodespacerange\n"
           "2 beginbfrange\n<20> <7E> <0020>\n<A0> <FF> <00A0>\nendbfrange\n"
        + bfcharBlocks(singles)
        + "endcmap\n"
          "CMapName currentdict /CMap defineresource pop\n"
          "end\n"
          "end";
}

// ---------------------------------------------------------------------------------------------
// Page content

bool isSpacingAccent(char32_t character)
{
    return character == 0x00B4 || character == 0x0060 || character == 0x00A8 || character == 0x02C6
        || character == 0x02DC;
}

// The advance of a spacing accent in thousandths of the font size. In the Helvetica and
// Times families all five accents are 333 wide; Courier is monospaced at 600.
int accentWidth(const QString &font)
{
    struct FamilyWidth {
        const char *family;
        int width;
    };
    static constexpr FamilyWidth kWidths[] = {{"Courier", 600}, {"Helvetica", 333}, {"Times", 333}};
    for (const FamilyWidth &entry : kWidths) {
        if (font.startsWith(QLatin1String(entry.family)))
            return entry.width;
    }
    return 333;
}

// Collects one TJ array: runs of codes as strings, with the position adjustments between them.
class ShowTextBuilder {
public:
    void addCode(unsigned char code) { m_run += static_cast<char>(code); }

    // A TJ number moves the next glyph left by that many thousandths of the font size.
    void moveBack(int thousandths)
    {
        flushRun();
        m_elements += QByteArray::number(thousandths);
    }

    QByteArray takeOperator()
    {
        flushRun();
        if (m_elements.isEmpty())
            return {};
        const QByteArray op = '[' + m_elements.join(' ') + "] TJ\n";
        m_elements.clear();
        return op;
    }

private:
    void flushRun()
    {
        if (!m_run.isEmpty())
            m_elements += pdfLiteralString(m_run);
        m_run.clear();
    }

    QByteArray m_run;
    QList<QByteArray> m_elements;
};

QByteArray textObject(const FixtureText &text, const FontTable &fonts)
{
    QByteArray ops = "BT\n" + pdfNumber(text.x) + ' ' + pdfNumber(text.y) + " Td\n";
    ShowTextBuilder show;
    int currentResource = -1;
    const QList<uint> characters = text.text.toUcs4();
    for (qsizetype i = 0; i < characters.size(); ++i) {
        const char32_t character = characters[i];
        const Glyph glyph = fonts.glyph(text.font, character);
        if (glyph.resource != currentResource) {
            // Tf inside one BT keeps the text position, so the run continues where it was.
            ops += show.takeOperator();
            ops += FontTable::resourceName(glyph.resource) + ' ' + pdfNumber(text.size) + " Tf\n";
            currentResource = glyph.resource;
        }
        show.addCode(glyph.code);
        if (text.overstrikeAccents && isSpacingAccent(character) && i + 1 < characters.size())
            show.moveBack(accentWidth(text.font));
    }
    return ops + show.takeOperator() + "ET\n";
}

QByteArray pageContent(const FixturePage &page, const FontTable &fonts)
{
    QByteArray content;
    for (const FixtureText &text : page.texts)
        content += textObject(text, fonts);
    return content;
}

QByteArray pageDictionary(const FixturePage &page, int parent, int resources, int contents)
{
    QByteArray dict = "<< /Type /Page /Parent " + pdfReference(parent) + " /MediaBox "
        + pdfRectangle(0, 0, page.width, page.height);
    if (page.cropBox) {
        // The rectangle is in PDF user space, y up: its top() is the lower edge.
        const QRectF box = page.cropBox->normalized();
        dict += " /CropBox " + pdfRectangle(box.left(), box.top(), box.right(), box.bottom());
    }
    const int rotate = ((page.rotate % 360) + 360) % 360;
    if (rotate != 0)
        dict += " /Rotate " + QByteArray::number(rotate);
    return dict + " /Resources " + pdfReference(resources) + " /Contents " + pdfReference(contents) + " >>";
}

QByteArray resourcesDictionary(const std::vector<int> &fontObjects)
{
    QByteArray fonts;
    for (size_t i = 0; i < fontObjects.size(); ++i)
        fonts += FontTable::resourceName(static_cast<int>(i)) + ' ' + pdfReference(fontObjects[i]) + ' ';
    return "<< /Font << " + fonts + ">> /ProcSet [/PDF /Text] >>";
}

// ---------------------------------------------------------------------------------------------
// Encryption, by MuPDF

// Opens the plain file and saves it again with the options' encryption. Only C data lives
// inside the fz_try blocks: MuPDF unwinds with longjmp, which skips destructors.
QByteArray rewriteWithMuPDF(const QByteArray &plain, const pdf_write_options &options)
{
    fz_context *ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
    if (!ctx)
        return {};
    fz_stream *input = nullptr;
    pdf_document *document = nullptr;
    fz_buffer *buffer = nullptr;
    fz_output *output = nullptr;
    bool written = false;
    fz_var(input);
    fz_var(document);
    fz_var(buffer);
    fz_var(output);
    fz_var(written);
    fz_try (ctx) {
        input = fz_open_memory(
            ctx, reinterpret_cast<const unsigned char *>(plain.constData()), static_cast<size_t>(plain.size()));
        document = pdf_open_document_with_stream(ctx, input);
        buffer = fz_new_buffer(ctx, static_cast<size_t>(plain.size()) + 4096);
        output = fz_new_output_with_buffer(ctx, buffer);
        pdf_write_document(ctx, document, output, &options);
        fz_close_output(ctx, output);
        written = true;
    }
    fz_always (ctx) {
        fz_drop_output(ctx, output);
        pdf_drop_document(ctx, document);
        fz_drop_stream(ctx, input);
    }
    fz_catch (ctx) {
        written = false;
    }

    QByteArray result;
    if (written) {
        unsigned char *data = nullptr;
        const size_t length = fz_buffer_storage(ctx, buffer, &data);
        result = QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(length));
    }
    fz_drop_buffer(ctx, buffer);
    fz_drop_context(ctx);
    return result;
}

bool copyPassword(const QString &password, char (&field)[128])
{
    const QByteArray utf8 = password.toUtf8();
    if (static_cast<size_t>(utf8.size()) >= sizeof field)
        return false;
    std::memcpy(field, utf8.constData(), static_cast<size_t>(utf8.size()));
    field[utf8.size()] = '\0';
    return true;
}

} // namespace

// ---------------------------------------------------------------------------------------------

PdfFixture &PdfFixture::addPage(FixturePage page)
{
    m_pages.push_back(std::move(page));
    return *this;
}

QByteArray PdfFixture::bytes() const
{
    const FontTable fonts(m_pages);
    PdfWriter pdf;
    const int catalog = pdf.reserveObject();
    const int pageTree = pdf.reserveObject();
    const int resources = pdf.reserveObject();
    std::vector<int> fontObjects;
    for (size_t i = 0; i < fonts.resources().size(); ++i) {
        fontObjects.push_back(pdf.reserveObject());
        pdf.reserveObject(); // its ToUnicode map, the next number
    }
    std::vector<int> pageObjects;
    for (size_t i = 0; i < m_pages.size(); ++i) {
        pageObjects.push_back(pdf.reserveObject());
        pdf.reserveObject(); // its content stream, the next number
    }

    QByteArray kids;
    for (const int page : pageObjects)
        kids += pdfReference(page) + ' ';
    pdf.writeObject(catalog, "<< /Type /Catalog /Pages " + pdfReference(pageTree) + " >>");
    pdf.writeObject(pageTree,
        "<< /Type /Pages /Kids [" + kids.trimmed() + "] /Count " + QByteArray::number(m_pages.size()) + " >>");
    pdf.writeObject(resources, resourcesDictionary(fontObjects));
    for (size_t i = 0; i < fontObjects.size(); ++i) {
        pdf.writeObject(fontObjects[i], fontDictionary(fonts.resources()[i], fontObjects[i] + 1));
        pdf.writeStream(fontObjects[i] + 1, toUnicodeCMap(fonts.resources()[i]));
    }
    for (size_t i = 0; i < m_pages.size(); ++i) {
        const int contents = pageObjects[i] + 1;
        pdf.writeObject(pageObjects[i], pageDictionary(m_pages[i], pageTree, resources, contents));
        pdf.writeStream(contents, pageContent(m_pages[i], fonts));
    }
    return pdf.finish(catalog);
}

bool PdfFixture::writeTo(const QString &path) const
{
    return writeBytes(path, bytes());
}

QByteArray PdfFixture::encryptedBytes(const QString &userPassword, const QString &ownerPassword) const
{
    pdf_write_options options{}; // zero-filled, as MuPDF asks, so unknown fields stay off
    options.do_encrypt = PDF_ENCRYPT_AES_256;
    options.permissions = ~0; // everything allowed: the fixtures test opening, not rights
    if (!copyPassword(userPassword, options.upwd_utf8) || !copyPassword(ownerPassword, options.opwd_utf8)) {
        return {};
    }
    return rewriteWithMuPDF(bytes(), options);
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    return file.write(bytes) == bytes.size() && file.commit();
}

// ---------------------------------------------------------------------------------------------
// Layout helpers

FixturePage textPage(const QStringList &lines, double top, double left, double leading, QString font, double size)
{
    FixturePage page;
    double y = top;
    for (const QString &line : lines) {
        if (!line.isEmpty())
            page.texts.push_back({left, y, line, font, size});
        y -= leading;
    }
    return page;
}

namespace {

constexpr QChar kSoftHyphen(0x00AD);

QString withoutSoftHyphens(QString word)
{
    return word.remove(kSoftHyphen);
}

// The soft hyphen at which to split `word` so that its first part and a "-" fit in `room`
// characters, or -1.
qsizetype lastBreakFitting(const QString &word, qsizetype room)
{
    qsizetype best = -1;
    qsizetype visible = 0;
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (word[i] != kSoftHyphen) {
            ++visible;
        } else if (visible > 0 && visible + 1 <= room) {
            best = i;
        }
    }
    return best;
}

} // namespace

QStringList wrapText(const QString &text, int columns)
{
    QStringList lines;
    QString line;
    const auto append = [&line](const QString &piece) {
        if (!line.isEmpty())
            line += u' ';
        line += piece;
    };
    for (QString word : text.simplified().split(u' ', Qt::SkipEmptyParts)) {
        while (!word.isEmpty()) {
            const qsizetype room = columns - line.size() - (line.isEmpty() ? 0 : 1);
            if (withoutSoftHyphens(word).size() <= room) {
                append(withoutSoftHyphens(word));
                break;
            }
            const qsizetype cut = lastBreakFitting(word, room);
            if (cut >= 0) {
                append(withoutSoftHyphens(word.left(cut)) + u'-');
                word = word.mid(cut + 1);
            } else if (line.isEmpty()) {
                append(withoutSoftHyphens(word)); // nowhere to split: an overfull line
                break;
            }
            lines += line;
            line.clear();
        }
    }
    if (!line.isEmpty())
        lines += line;
    return lines;
}

// ---------------------------------------------------------------------------------------------
// Sample documents

namespace {

// The sample prose lives in text files compiled in as resources: one paragraph a line, '~'
// where a word may be split at the end of a line.
QStringList markedParagraphs(const QString &name)
{
    QFile file(QStringLiteral(":/fixturetext/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture text %s", qPrintable(name));
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

QStringList plainParagraphs(const QString &name)
{
    QStringList out;
    for (const QString &paragraph : markedParagraphs(name))
        out += QString(paragraph).remove(u'~');
    return out;
}

// Flows paragraphs into columns of lines, top to bottom, then on to the next column.
struct FlowFrame {
    double left = 72;
    double top = 700;
    double bottom = 72; // no baseline below this
    double leading = 14;
    double paragraphGap = 0; // extra space after each paragraph
    int columns = 70; // characters per line
    QString font = QStringLiteral("Times-Roman");
    double size = 12;
};

std::vector<std::vector<FixtureText>> flowParagraphs(const QString &name, const FlowFrame &frame)
{
    std::vector<std::vector<FixtureText>> columns(1);
    double y = frame.top;
    for (const QString &paragraph : markedParagraphs(name)) {
        for (const QString &line : wrapText(QString(paragraph).replace(u'~', kSoftHyphen), frame.columns)) {
            if (y < frame.bottom) {
                columns.emplace_back();
                y = frame.top;
            }
            columns.back().push_back({frame.left, y, line, frame.font, frame.size});
            y -= frame.leading;
        }
        y -= frame.paragraphGap;
    }
    return columns;
}

FixtureText bookRunningHead(int pageNumber)
{
    const char *head = pageNumber % 2 == 0 ? sampleBookChapterHead : sampleBookTitleHead;
    return {72, 750, QString::fromLatin1(head), QStringLiteral("Times-Italic"), 10};
}

FixtureText bookPageNumber(int pageNumber)
{
    // Every digit of Times-Roman is 500/1000 em wide, so the number can be centred exactly.
    constexpr double kSize = 10;
    const QString number = QString::number(pageNumber);
    const double width = number.size() * 0.5 * kSize;
    return {306 - width / 2, 50, number, QStringLiteral("Times-Roman"), kSize};
}

} // namespace

PdfFixture sampleBook()
{
    FlowFrame body;
    body.top = 700;
    body.bottom = 250;
    body.leading = 20;
    body.paragraphGap = 10;
    body.size = 14;
    const auto pages = flowParagraphs(QStringLiteral("book.txt"), body);

    PdfFixture pdf;
    for (size_t i = 0; i < pages.size(); ++i) {
        const int pageNumber = static_cast<int>(i) + 1;
        FixturePage page;
        page.texts.push_back(bookRunningHead(pageNumber));
        page.texts.insert(page.texts.end(), pages[i].begin(), pages[i].end());
        page.texts.push_back(bookPageNumber(pageNumber));
        pdf.addPage(std::move(page));
    }
    return pdf;
}

QStringList sampleBookParagraphs()
{
    return plainParagraphs(QStringLiteral("book.txt"));
}

PdfFixture sampleTwoColumnArticle()
{
    FixturePage page;
    page.texts.push_back({72, 720, QString::fromLatin1(sampleArticleTitle), QStringLiteral("Helvetica-Bold"), 20});
    page.texts.push_back({72, 698, QString::fromLatin1(sampleArticleSubtitle), QStringLiteral("Helvetica"), 12});

    FlowFrame column;
    column.top = 664;
    column.bottom = 300;
    column.leading = 12.5;
    column.paragraphGap = 6;
    column.columns = 42;
    column.size = 10;
    const auto columns = flowParagraphs(QStringLiteral("article.txt"), column);
    Q_ASSERT(columns.size() == 2);
    constexpr double kColumnStep = 252; // 216 points of text and a 36-point gutter
    for (size_t i = 0; i < columns.size(); ++i) {
        for (FixtureText text : columns[i]) {
            text.x += static_cast<double>(i) * kColumnStep;
            page.texts.push_back(std::move(text));
        }
    }
    PdfFixture pdf;
    pdf.addPage(std::move(page));
    return pdf;
}

QStringList sampleArticleParagraphs()
{
    return plainParagraphs(QStringLiteral("article.txt"));
}

} // namespace narrata::testing
