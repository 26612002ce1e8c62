#include "mupdfpage.h"

#include "mupdfgeometry.h"
#include "mupdftextextraction.h"
#include "mupdfwatchdog.h"
#include "platform/pdf/textlayerbuilder.h"

#include <mupdf/pdf.h>

#include <QDebug>

#include <algorithm>
#include <cmath>

namespace narrata {

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

constexpr int kMaxQuads = 256;

// MuPDF gives colour channels and opacity from 0 to 1.
int channel(float fraction)
{
    return static_cast<int>(std::lround(std::clamp(fraction, 0.0F, 1.0F) * 255));
}

float fraction(int channel)
{
    return static_cast<float>(std::clamp(channel, 0, 255)) / 255.0F;
}

enum pdf_annot_type annotTypeFor(PDFMarkupType type)
{
    return type == PDFMarkupType::Underline ? PDF_ANNOT_UNDERLINE : PDF_ANNOT_HIGHLIGHT;
}

} // namespace

MuPDFPage::MuPDFPage(std::shared_ptr<MuPDFDocumentCore> core, pdf_obj *pageObject)
    : m_core(std::move(core))
    , m_object(pdf_keep_obj(m_core->ctx, pageObject))
    , m_bounds(fz_empty_rect)
{
    fz_context *ctx = m_core->ctx;
    fz_try (ctx)
        m_bounds = pageObjectSpace(ctx, m_object).bounds;
    fz_catch (ctx)
        m_bounds = fz_empty_rect;
}

MuPDFPage::~MuPDFPage()
{
    Lock lock(m_core->mutex);
    fz_drop_display_list(m_core->ctx, m_displayList);
    fz_drop_page(m_core->ctx, m_page);
    pdf_drop_obj(m_core->ctx, m_object);
}

fz_page *MuPDFPage::loadedPage() const
{
    if (m_page)
        return m_page;
    const int index = currentIndex();
    if (index < 0)
        return nullptr;
    fz_context *ctx = m_core->ctx;
    fz_try (ctx)
        m_page = fz_load_page(ctx, &m_core->document->super, index);
    fz_catch (ctx)
        m_page = nullptr;
    return m_page;
}

const TextLayer &MuPDFPage::textLayer() const
{
    std::call_once(m_textOnce, [this] {
        RawPageText raw;
        bool aborted = false;
        {
            Lock lock(m_core->mutex);
            raw = extractRawPageText(m_core->ctx, m_core->document, m_object, &aborted);
        }
        if (aborted)
            qWarning().noquote() << QStringLiteral("page %1 could not be read within its time and memory budget, "
                                                   "or reading was stopped; it is left out")
                                        .arg(currentIndex() + 1);
        m_text = buildTextLayer(std::move(raw));
    });
    return m_text;
}

QRectF MuPDFPage::boundsForBox(PDFDisplayBox box) const
{
    const QRectF cropBox(0, 0, m_bounds.x1 - m_bounds.x0, m_bounds.y1 - m_bounds.y0);
    if (box == PDFDisplayBox::CropBox)
        return cropBox;

    Lock lock(m_core->mutex);
    fz_context *ctx = m_core->ctx;
    fz_rect media = fz_empty_rect;
    fz_try (ctx) {
        media = fz_transform_rect(pdf_to_rect(ctx, pdf_dict_get_inheritable(ctx, m_object, PDF_NAME(MediaBox))),
            pageObjectSpace(ctx, m_object).ctm);
    }
    fz_catch (ctx)
        return cropBox;
    return fz_is_empty_rect(media) ? cropBox : toPageSpace(media, m_bounds);
}

std::vector<PDFAnnotation> MuPDFPage::annotations() const
{
    struct Found {
        enum pdf_annot_type type;
        int id;
        float color[4];
        int colorComponents;
        float opacity;
        int quadCount;
        fz_quad quads[kMaxQuads];
    };
    std::vector<Found> found;
    Lock lock(m_core->mutex);
    fz_context *ctx = m_core->ctx;
    fz_try (ctx) {
        pdf_page *page = pdf_page_from_fz_page(ctx, loadedPage());
        if (!page)
            fz_throw(ctx, FZ_ERROR_GENERIC, "page cannot be loaded");
        for (pdf_annot *annot = pdf_first_annot(ctx, page); annot; annot = pdf_next_annot(ctx, annot)) {
            const enum pdf_annot_type type = pdf_annot_type(ctx, annot);
            if (type != PDF_ANNOT_HIGHLIGHT && type != PDF_ANNOT_UNDERLINE)
                continue;
            found.emplace_back();
            Found &f = found.back();
            f.type = type;
            f.id = pdf_to_num(ctx, pdf_annot_obj(ctx, annot));
            pdf_annot_color(ctx, annot, &f.colorComponents, f.color);
            f.opacity = pdf_annot_opacity(ctx, annot);
            f.quadCount = std::min(pdf_annot_quad_point_count(ctx, annot), kMaxQuads);
            for (int i = 0; i < f.quadCount; ++i)
                f.quads[i] = pdf_annot_quad_point(ctx, annot, i);
        }
    }
    fz_catch (ctx)
        return {};

    std::vector<PDFAnnotation> result;
    result.reserve(found.size());
    for (const Found &f : found) {
        std::vector<QRectF> boxes;
        boxes.reserve(static_cast<size_t>(f.quadCount));
        for (int i = 0; i < f.quadCount; ++i)
            boxes.push_back(toPageSpace(fz_rect_from_quad(f.quads[i]), m_bounds));
        std::optional<AnnotationColor> color;
        if (f.colorComponents == 3)
            color = AnnotationColor{channel(f.color[0]), channel(f.color[1]), channel(f.color[2]), channel(f.opacity)};
        else if (f.colorComponents == 1)
            color = AnnotationColor{channel(f.color[0]), channel(f.color[0]), channel(f.color[0]), channel(f.opacity)};
        PDFAnnotation annotation
            = PDFAnnotation::markup(f.type == PDF_ANNOT_UNDERLINE ? PDFMarkupType::Underline : PDFMarkupType::Highlight,
                std::move(boxes), color);
        annotation.id = f.id;
        result.push_back(std::move(annotation));
    }
    return result;
}

std::optional<PDFAnnotation> MuPDFPage::addAnnotation(const PDFAnnotation &annotation)
{
    std::vector<fz_quad> quads;
    for (const QRectF &box :
        annotation.lineBoxes.empty() ? std::vector<QRectF>{annotation.bounds} : annotation.lineBoxes)
        quads.push_back(quadFromPageSpace(box, m_bounds));
    if (quads.empty() || static_cast<int>(quads.size()) > kMaxQuads)
        return std::nullopt;
    const AnnotationColor rgb = annotation.color.value_or(AnnotationColor{255, 255, 0});
    const float color[3] = {fraction(rgb.red), fraction(rgb.green), fraction(rgb.blue)};
    const float opacity = fraction(rgb.alpha);
    const enum pdf_annot_type type = annotTypeFor(annotation.markupType);
    const int quadCount = static_cast<int>(quads.size());
    const fz_quad *quadData = quads.data();

    Lock lock(m_core->mutex);
    fz_context *ctx = m_core->ctx;
    pdf_annot *annot = nullptr;
    int id = -1;
    fz_var(annot);
    fz_var(id);
    fz_var(type);
    fz_var(opacity);
    fz_try (ctx) {
        pdf_page *page = pdf_page_from_fz_page(ctx, loadedPage());
        if (!page)
            fz_throw(ctx, FZ_ERROR_GENERIC, "page cannot be loaded");
        annot = pdf_create_annot(ctx, page, type);
        pdf_set_annot_quad_points(ctx, annot, quadCount, quadData);
        pdf_set_annot_color(ctx, annot, 3, color);
        if (opacity < 1.0f)
            pdf_set_annot_opacity(ctx, annot, opacity);
        pdf_update_annot(ctx, annot);
        id = pdf_to_num(ctx, pdf_annot_obj(ctx, annot));
    }
    fz_always (ctx)
        pdf_drop_annot(ctx, annot);
    fz_catch (ctx)
        return std::nullopt;
    dropDisplayList();

    PDFAnnotation added = annotation;
    added.id = id;
    return added;
}

bool MuPDFPage::removeAnnotation(const PDFAnnotation &annotation)
{
    const int id = annotation.id;
    bool removed = false;
    fz_var(removed);
    Lock lock(m_core->mutex);
    fz_context *ctx = m_core->ctx;
    fz_try (ctx) {
        pdf_page *page = pdf_page_from_fz_page(ctx, loadedPage());
        if (!page)
            fz_throw(ctx, FZ_ERROR_GENERIC, "page cannot be loaded");
        for (pdf_annot *annot = pdf_first_annot(ctx, page); annot && !removed; annot = pdf_next_annot(ctx, annot))
            if (pdf_to_num(ctx, pdf_annot_obj(ctx, annot)) == id) {
                pdf_delete_annot(ctx, page, annot);
                removed = true;
            }
    }
    fz_catch (ctx)
        return false;
    if (removed)
        dropDisplayList();
    return removed;
}

int MuPDFPage::currentIndex() const
{
    Lock lock(m_core->mutex);
    fz_context *ctx = m_core->ctx;
    int index = -1;
    fz_try (ctx)
        index = pdf_lookup_page_number(ctx, m_core->document, m_object);
    fz_catch (ctx)
        index = -1;
    return index;
}

fz_display_list *MuPDFPage::keptDisplayList() const
{
    Lock lock(m_core->mutex);
    fz_context *ctx = m_core->ctx;
    if (m_displayList)
        return fz_keep_display_list(ctx, m_displayList);
    MuPDFWatchedWork work;
    fz_display_list *list = nullptr;
    fz_device *device = nullptr;
    fz_var(list);
    fz_var(device);
    fz_try (ctx) {
        fz_page *page = loadedPage();
        if (!page)
            fz_throw(ctx, FZ_ERROR_GENERIC, "page cannot be loaded");
        list = fz_new_display_list(ctx, fz_bound_page(ctx, page));
        device = fz_new_list_device(ctx, list);
        fz_run_page(ctx, page, device, fz_identity, work.cookie());
        fz_close_device(ctx, device);
    }
    fz_always (ctx)
        fz_drop_device(ctx, device);
    fz_catch (ctx) {
        fz_drop_display_list(ctx, list);
        return nullptr;
    }
    if (work.aborted()) { // an incomplete drawing is not kept
        fz_drop_display_list(ctx, list);
        return nullptr;
    }
    m_displayList = list;
    return fz_keep_display_list(ctx, m_displayList);
}

void MuPDFPage::dropDisplayList()
{
    Lock lock(m_core->mutex);
    fz_drop_display_list(m_core->ctx, m_displayList);
    m_displayList = nullptr;
}

PageImage MuPDFPage::renderRegion(const QRectF &region, double scale) const
{
    const int width = static_cast<int>(std::ceil(region.width() * scale));
    const int height = static_cast<int>(std::ceil(region.height() * scale));
    if (width <= 0 || height <= 0 || width > 20000 || height > 20000)
        return {};

    fz_display_list *list = keptDisplayList();
    if (!list)
        return {};
    ScopedContext context(*m_core->family);
    if (!context) {
        Lock lock(m_core->mutex);
        fz_drop_display_list(m_core->ctx, list);
        return {};
    }
    fz_context *ctx = context.get();

    PageImage image = PageImage::white(width, height);
    auto *pixels = reinterpret_cast<unsigned char *>(image.pixels.data());
    const auto stride = static_cast<ptrdiff_t>(image.bytesPerLine);
    // The region's top-left corner in MuPDF's space goes to the pixmap's origin.
    const fz_point corner = fromPageSpace(QPointF(region.left(), region.y() + region.height()), m_bounds);
    const auto s = static_cast<float>(scale);
    const fz_matrix ctm = fz_concat(fz_translate(-corner.x, -corner.y), fz_scale(s, s));

    fz_pixmap *pixmap = nullptr;
    fz_device *device = nullptr;
    bool drawn = false;
    fz_var(drawn);
    fz_var(pixmap);
    fz_var(device);
    MuPDFWatchedWork work;
    fz_try (ctx) {
        // The pixmap draws straight into the image's memory.
        pixmap = fz_new_pixmap_with_data(ctx, fz_device_rgb(ctx), width, height, nullptr, 0, stride, pixels);
        device = fz_new_draw_device(ctx, fz_identity, pixmap);
        fz_run_display_list(ctx, list, device, ctm,
            fz_make_rect(0, 0, static_cast<float>(width), static_cast<float>(height)), work.cookie());
        fz_close_device(ctx, device);
        drawn = !work.aborted();
    }
    fz_always (ctx) {
        fz_drop_device(ctx, device);
        fz_drop_pixmap(ctx, pixmap);
        fz_drop_display_list(ctx, list);
    }
    fz_catch (ctx)
        drawn = false;
    return drawn ? image : PageImage();
}

} // namespace narrata
