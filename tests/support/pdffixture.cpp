#include "pdffixture.h"

#include <QFile>
#include <QSaveFile>

#include <mupdf/fitz.h>
#include <mupdf/pdf.h>

#include <algorithm>
#include <map>
#include <string_view>
#include <utility>

namespace narrata::testing {

namespace {

// ---------------------------------------------------------------------------------------------
// Fonts

// The WinAnsi code that draws a character and that a reader turns back into it, or -1. Some
// characters have a code but come back as another one (a no-break space as a space).
int winAnsiCode(char32_t character)
{
    const int code = fz_windows_1252_from_unicode(static_cast<int>(character));
    const char *glyph = code > 0 && code < 256 ? fz_glyph_name_from_win_ansi[code] : nullptr;
    return glyph && fz_unicode_from_glyph_name(glyph) == static_cast<int>(character) ? code : -1;
}

// Codes 1-31 mean nothing in WinAnsi, so a font lends them to the other characters: its
// encoding draws a stand-in glyph for them and its ToUnicode map gives the character back.
struct FontResource {
    QByteArray name;
    std::vector<char32_t> borrowed; // borrowed[i] is drawn with code i + 1
};

// The fonts of a document in the order of their first use, shared by all its pages.
class FontTable {
public:
    std::vector<FontResource> fonts;

    // The index of a text's font, and the code of each of its characters in it.
    std::pair<size_t, QByteArray> codes(const FixtureText &text)
    {
        auto font = std::find_if(fonts.begin(), fonts.end(),
            [&text](const FontResource &font) { return font.name == text.font.toLatin1(); });
        if (font == fonts.end())
            font = fonts.insert(fonts.end(), {text.font.toLatin1(), {}});
        QByteArray codes;
        for (const char32_t character : text.text.toUcs4()) {
            int code = winAnsiCode(character);
            if (code < 0) {
                auto borrowed = std::find(font->borrowed.begin(), font->borrowed.end(), character);
                if (borrowed == font->borrowed.end() && font->borrowed.size() == 31)
                    qFatal("more than 31 characters outside WinAnsi in %s", qPrintable(text.font));
                if (borrowed == font->borrowed.end())
                    borrowed = font->borrowed.insert(font->borrowed.end(), character);
                code = static_cast<int>(borrowed - font->borrowed.begin()) + 1;
            }
            codes += static_cast<char>(code);
        }
        return {static_cast<size_t>(font - fonts.begin()), codes};
    }
};

// The glyph drawn for a borrowed code. Text extraction reads ToUnicode, so any visible glyph
// would do; drawing the character's own glyph where the Latin base-14 fonts have one (a
// no-break space has a WinAnsi code that comes back as a space) makes renderings look right.
const char *standInGlyph(char32_t character)
{
    const int code = fz_windows_1252_from_unicode(static_cast<int>(character));
    if (code > 0 && code < 256 && fz_glyph_name_from_win_ansi[code])
        return fz_glyph_name_from_win_ansi[code];
    static const std::map<char32_t, const char *> kOwnGlyphs{{0x0131, "dotlessi"}, {0x0141, "Lslash"},
        {0x0142, "lslash"}, {0x02C7, "caron"}, {0x02D8, "breve"}, {0x02D9, "dotaccent"}, {0x02DA, "ring"},
        {0x02DB, "ogonek"}, {0x02DD, "hungarumlaut"}, {0x2044, "fraction"}, {0x2212, "minus"}, {0xFB01, "fi"},
        {0xFB02, "fl"}};
    const auto found = kOwnGlyphs.find(character);
    return found == kOwnGlyphs.end() ? "bullet" : found->second;
}

// Maps the borrowed codes back to their characters, in UTF-16BE as ToUnicode wants them.
QByteArray toUnicodeCMap(const FontResource &font)
{
    QByteArray map = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                     "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                     "1 begincodespacerange\n<00> <FF>\nendcodespacerange\n"
        + QByteArray::number(font.borrowed.size()) + " beginbfchar\n";
    for (size_t i = 0; i < font.borrowed.size(); ++i) {
        map += '<' + QByteArray(1, static_cast<char>(i + 1)).toHex() + "> <";
        for (const QChar unit : QString::fromUcs4(&font.borrowed[i], 1))
            map += QByteArray::number(unit.unicode(), 16).rightJustified(4, '0');
        map += ">\n";
    }
    return map + "endbfchar\nendcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}

// ---------------------------------------------------------------------------------------------
// Page content

// The advance of a spacing accent in thousandths of the font size: all five are 333 wide in
// the Helvetica and Times families, and Courier is monospaced at 600.
int accentWidth(const QString &font, char32_t character)
{
    if (std::u32string_view(U"\u00B4`\u00A8\u02C6\u02DC").find(character) == std::u32string_view::npos)
        return 0;
    return font.startsWith(QLatin1String("Courier")) ? 600 : 333;
}

// One text object. A number in the TJ array moves the next glyph left by that many thousandths
// of the font size.
QByteArray textObject(const FixtureText &text, FontTable &fonts)
{
    const auto [font, codes] = fonts.codes(text);
    QByteArray ops = "BT\n" + QByteArray::number(text.x, 'f', 2) + ' ' + QByteArray::number(text.y, 'f', 2) + " Td\n/F"
        + QByteArray::number(font) + ' ' + QByteArray::number(text.size, 'f', 2) + " Tf [<";
    const QList<uint> characters = text.text.toUcs4();
    for (qsizetype i = 0; i < characters.size(); ++i) {
        ops += codes.mid(i, 1).toHex();
        if (text.overstrikeAccents && i + 1 < characters.size()) {
            if (const int width = accentWidth(text.font, characters[i]))
                ops += "> " + QByteArray::number(width) + " <";
        }
    }
    return ops + ">] TJ\nET\n";
}

// ---------------------------------------------------------------------------------------------
// Writing, by MuPDF

// Builds the document in MuPDF and writes it with the options. There is no fz_try: MuPDF fails
// here only when memory runs out or a fixture is broken, and then ends the process with its
// message, which is all a test could do with a fixture it cannot have.
QByteArray written(const std::vector<FixturePage> &pages, const pdf_write_options &options)
{
    fz_context *ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
    pdf_document *document = pdf_create_document(ctx);
    const auto addStream = [ctx, document](const QByteArray &bytes) {
        fz_buffer *buffer = fz_new_buffer_from_copied_data(
            ctx, reinterpret_cast<const unsigned char *>(bytes.constData()), static_cast<size_t>(bytes.size()));
        pdf_obj *stream = pdf_add_stream(ctx, document, buffer, nullptr, 0);
        fz_drop_buffer(ctx, buffer);
        return stream;
    };
    // A rectangle in PDF user space, y up: its top() is the lower edge.
    const auto rectangle = [](QRectF rect) {
        rect = rect.normalized();
        return fz_make_rect(static_cast<float>(rect.left()), static_cast<float>(rect.top()),
            static_cast<float>(rect.right()), static_cast<float>(rect.bottom()));
    };

    FontTable fonts;
    pdf_obj *resources = pdf_add_new_dict(ctx, document, 1);
    for (const FixturePage &fixture : pages) {
        QByteArray content;
        for (const FixtureText &text : fixture.texts)
            content += textObject(text, fonts);
        pdf_obj *page = pdf_add_page(
            ctx, document, rectangle(QRectF(0, 0, fixture.width, fixture.height)), fixture.rotate, resources, nullptr);
        pdf_dict_put_drop(ctx, page, PDF_NAME(Contents), addStream(content));
        if (fixture.cropBox)
            pdf_dict_put_rect(ctx, page, PDF_NAME(CropBox), rectangle(*fixture.cropBox));
        pdf_insert_page(ctx, document, -1, page);
        pdf_drop_obj(ctx, page);
    }
    // The fonts the pages used, shared by all of them.
    pdf_obj *fontDictionary = pdf_dict_put_dict(ctx, resources, PDF_NAME(Font), 4);
    for (size_t i = 0; i < fonts.fonts.size(); ++i) {
        const FontResource &resource = fonts.fonts[i];
        pdf_obj *font = pdf_dict_puts_dict(ctx, fontDictionary, ('F' + QByteArray::number(i)).constData(), 5);
        pdf_dict_put(ctx, font, PDF_NAME(Type), PDF_NAME(Font));
        pdf_dict_put(ctx, font, PDF_NAME(Subtype), PDF_NAME(Type1));
        pdf_dict_put_name(ctx, font, PDF_NAME(BaseFont), resource.name.constData());
        if (resource.borrowed.empty()) {
            pdf_dict_put(ctx, font, PDF_NAME(Encoding), PDF_NAME(WinAnsiEncoding));
            continue;
        }
        pdf_obj *encoding = pdf_dict_put_dict(ctx, font, PDF_NAME(Encoding), 2);
        pdf_dict_put(ctx, encoding, PDF_NAME(BaseEncoding), PDF_NAME(WinAnsiEncoding));
        pdf_obj *differences = pdf_dict_put_array(ctx, encoding, PDF_NAME(Differences), 32);
        pdf_array_push_int(ctx, differences, 1);
        for (const char32_t character : resource.borrowed)
            pdf_array_push_name(ctx, differences, standInGlyph(character));
        pdf_dict_put_drop(ctx, font, PDF_NAME(ToUnicode), addStream(toUnicodeCMap(resource)));
    }

    fz_buffer *buffer = fz_new_buffer(ctx, 64 * 1024);
    fz_output *output = fz_new_output_with_buffer(ctx, buffer);
    pdf_write_document(ctx, document, output, &options);
    fz_close_output(ctx, output);
    unsigned char *data = nullptr;
    const size_t length = fz_buffer_storage(ctx, buffer, &data);
    const QByteArray result(reinterpret_cast<const char *>(data), static_cast<qsizetype>(length));
    fz_drop_output(ctx, output);
    fz_drop_buffer(ctx, buffer);
    pdf_drop_obj(ctx, resources);
    pdf_drop_document(ctx, document);
    fz_drop_context(ctx);
    return result;
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
    return written(m_pages, pdf_write_options{});
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
    const QByteArray user = userPassword.toUtf8(), owner = ownerPassword.toUtf8();
    if (user.size() >= qsizetype(sizeof options.upwd_utf8) || owner.size() >= qsizetype(sizeof options.opwd_utf8))
        return {};
    qstrncpy(options.upwd_utf8, user.constData(), sizeof options.upwd_utf8);
    qstrncpy(options.opwd_utf8, owner.constData(), sizeof options.opwd_utf8);
    return written(m_pages, options);
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    return file.write(bytes) == bytes.size() && file.commit();
}

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

QByteArray numberedPages(int pageCount, const QString &name)
{
    PdfFixture fixture;
    for (int i = 1; i <= pageCount; ++i)
        fixture.addPage(textPage({QStringLiteral("%1, page %2.").arg(name).arg(i)}));
    return fixture.bytes();
}

// ---------------------------------------------------------------------------------------------
// Sample documents

namespace {

// The sample prose lives in text files compiled in as resources, set in the lines of its
// columns: paragraphs apart by an empty line, and "~" ending a line where a word is split.
std::vector<QStringList> paragraphLines(const QString &name)
{
    QFile file(QStringLiteral(":/fixturetext/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture text %s", qPrintable(name));
    std::vector<QStringList> paragraphs;
    for (const QString &paragraph : QString::fromUtf8(file.readAll()).trimmed().split(QStringLiteral("\n\n")))
        paragraphs.push_back(paragraph.split(u'\n'));
    return paragraphs;
}

QStringList plainParagraphs(const QString &name)
{
    QStringList out;
    for (const QStringList &lines : paragraphLines(name))
        out += lines.join(u' ').replace(QStringLiteral("~ "), QString());
    return out;
}

// Flows paragraphs into columns of lines, top to bottom, then on to the next column.
struct FlowFrame {
    double top = 700;
    double bottom = 72; // no baseline below this
    double leading = 14;
    double paragraphGap = 0; // extra space after each paragraph
    double size = 12; // of Times-Roman
};

std::vector<std::vector<FixtureText>> flowParagraphs(const QString &name, const FlowFrame &frame)
{
    std::vector<std::vector<FixtureText>> columns(1);
    double y = frame.top;
    for (const QStringList &lines : paragraphLines(name)) {
        for (const QString &line : lines) {
            if (y < frame.bottom) {
                columns.emplace_back();
                y = frame.top;
            }
            const QString shown = line.endsWith(u'~') ? line.chopped(1) + u'-' : line;
            columns.back().push_back({72, y, shown, QStringLiteral("Times-Roman"), frame.size});
            y -= frame.leading;
        }
        y -= frame.paragraphGap;
    }
    return columns;
}

} // namespace

PdfFixture sampleBook()
{
    const auto pages = flowParagraphs(
        QStringLiteral("book.txt"), {.top = 700, .bottom = 250, .leading = 20, .paragraphGap = 10, .size = 14});
    PdfFixture pdf;
    for (size_t i = 0; i < pages.size(); ++i) {
        const QString number = QString::number(i + 1);
        FixturePage page;
        const char *head = i % 2 == 1 ? sampleBookChapterHead : sampleBookTitleHead;
        page.texts.push_back({72, 750, QString::fromLatin1(head), QStringLiteral("Times-Italic"), 10});
        page.texts.insert(page.texts.end(), pages[i].begin(), pages[i].end());
        // Every digit of Times-Roman is 500/1000 em wide, so the number can be centred exactly.
        page.texts.push_back({306 - number.size() * 2.5, 50, number, QStringLiteral("Times-Roman"), 10});
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
    const auto columns = flowParagraphs(
        QStringLiteral("article.txt"), {.top = 664, .bottom = 300, .leading = 12.5, .paragraphGap = 6, .size = 10});
    Q_ASSERT(columns.size() == 2);
    constexpr double kColumnStep = 252; // 216 points of text and a 36-point gutter
    for (size_t i = 0; i < columns.size(); ++i) {
        for (FixtureText text : columns[i]) {
            text.x += static_cast<double>(i) * kColumnStep;
            page.texts.push_back(std::move(text));
        }
    }
    return PdfFixture().addPage(std::move(page));
}

QStringList sampleArticleParagraphs()
{
    return plainParagraphs(QStringLiteral("article.txt"));
}

} // namespace narrata::testing
