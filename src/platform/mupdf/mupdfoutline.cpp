#include "mupdfoutline.h"

#include "mupdfgeometry.h"

#include <mupdf/pdf.h>

#include <QByteArray>

#include <cmath>
#include <map>

namespace narrata {

namespace {

// The displayed bounds and the user-space transform of a page, for destinations.
struct PageFrame {
    fz_rect bounds = fz_empty_rect;
    fz_matrix ctm = fz_identity;
};

PageFrame pageFrame(fz_context *ctx, pdf_document *document, int index)
{
    PageFrame frame;
    pdf_page *page = nullptr;
    fz_var(page);
    fz_try (ctx) {
        page = pdf_load_page(ctx, document, index);
        fz_rect media;
        pdf_page_transform(ctx, page, &media, &frame.ctm);
        frame.bounds = pdf_bound_page(ctx, page);
    }
    fz_always (ctx)
        fz_drop_page(ctx, &page->super);
    fz_catch (ctx)
        return {};
    return frame;
}

class OutlineReader {
public:
    OutlineReader(fz_context *ctx, pdf_document *document)
        : m_ctx(ctx)
        , m_document(document)
    {
    }

    void readChildren(const fz_outline *item, PDFOutline &parent)
    {
        for (; item; item = item->next) {
            PDFOutline child;
            child.label = QString::fromUtf8(item->title ? item->title : "");
            child.destination = destination(item);
            readChildren(item->down, child);
            parent.children.push_back(std::move(child));
        }
    }

private:
    PDFDestination destination(const fz_outline *item)
    {
        int index = -1;
        fz_try (m_ctx)
            index = fz_page_number_from_location(m_ctx, &m_document->super, item->page);
        fz_catch (m_ctx)
            index = -1;
        if (index < 0)
            return {};
        auto it = m_frames.find(index);
        if (it == m_frames.end())
            it = m_frames.emplace(index, pageFrame(m_ctx, m_document, index)).first;
        const float x = std::isnan(item->x) ? 0 : item->x;
        const float y = std::isnan(item->y) ? 0 : item->y;
        return {index, toPageSpace(fz_make_point(x, y), it->second.bounds)};
    }

    fz_context *m_ctx;
    pdf_document *m_document;
    std::map<int, PageFrame> m_frames;
};

// The outline flattened for writing, so that the MuPDF calls see only plain data.
struct FlatItem {
    QByteArray title;
    int parent = -1; // -1 for the outline dictionary itself
    int first = -1, last = -1, previous = -1, next = -1;
    int descendants = 0;
    int pageIndex = -1;
    fz_point userSpacePoint{0, 0};
};

int flatten(const PDFOutline &node, int parent, std::vector<FlatItem> &items, fz_context *ctx, pdf_document *document,
    std::map<int, PageFrame> &frames)
{
    int previous = -1;
    int descendants = 0;
    for (const PDFOutline &child : node.children) {
        const int index = static_cast<int>(items.size());
        items.push_back({});
        items[static_cast<size_t>(index)].title = child.label.toUtf8();
        items[static_cast<size_t>(index)].parent = parent;
        items[static_cast<size_t>(index)].previous = previous;
        if (previous >= 0)
            items[static_cast<size_t>(previous)].next = index;
        if (child.destination.isValid()) {
            const int page = child.destination.pageIndex;
            auto it = frames.find(page);
            if (it == frames.end())
                it = frames.emplace(page, pageFrame(ctx, document, page)).first;
            const fz_point displayed = fromPageSpace(child.destination.point, it->second.bounds);
            items[static_cast<size_t>(index)].pageIndex = page;
            items[static_cast<size_t>(index)].userSpacePoint
                = fz_transform_point(displayed, fz_invert_matrix(it->second.ctm));
        }
        const int below = flatten(child, index, items, ctx, document, frames);
        items[static_cast<size_t>(index)].descendants = below;
        previous = index;
        descendants += 1 + below;
    }
    return descendants;
}

} // namespace

std::optional<PDFOutline> readOutline(fz_context *ctx, pdf_document *document)
{
    fz_outline *outline = nullptr;
    fz_var(outline);
    fz_try (ctx)
        outline = fz_load_outline(ctx, &document->super);
    fz_catch (ctx)
        return std::nullopt;
    if (!outline)
        return std::nullopt;
    PDFOutline root;
    OutlineReader(ctx, document).readChildren(outline, root);
    fz_drop_outline(ctx, outline);
    return root;
}

bool writeOutline(fz_context *ctx, pdf_document *document, const PDFOutline &root)
{
    std::map<int, PageFrame> frames;
    std::vector<FlatItem> items;
    const int total = flatten(root, -1, items, ctx, document, frames);
    for (size_t i = 0; i < items.size(); ++i) {
        FlatItem &item = items[i];
        if (item.previous < 0 && item.parent >= 0)
            items[static_cast<size_t>(item.parent)].first = static_cast<int>(i);
        if (item.next < 0 && item.parent >= 0)
            items[static_cast<size_t>(item.parent)].last = static_cast<int>(i);
    }
    int rootFirst = -1, rootLast = -1;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].parent < 0) {
            if (rootFirst < 0)
                rootFirst = static_cast<int>(i);
            rootLast = static_cast<int>(i);
        }

    std::vector<pdf_obj *> objects(items.size(), nullptr);
    const FlatItem *flat = items.data();
    pdf_obj **made = objects.data();
    const int count = static_cast<int>(items.size());
    pdf_obj *outlines = nullptr;
    bool written = false;
    fz_var(outlines);
    fz_var(written);
    fz_var(flat);
    fz_var(made);
    fz_var(rootFirst);
    fz_var(rootLast);
    fz_try (ctx) {
        pdf_obj *catalog = pdf_dict_get(ctx, pdf_trailer(ctx, document), PDF_NAME(Root));
        if (count == 0) {
            pdf_dict_del(ctx, catalog, PDF_NAME(Outlines));
        } else {
            outlines = pdf_add_new_dict(ctx, document, 4);
            for (int i = 0; i < count; ++i)
                made[i] = pdf_add_new_dict(ctx, document, 8);
            for (int i = 0; i < count; ++i) {
                const FlatItem &item = flat[i];
                pdf_obj *obj = made[i];
                pdf_dict_put_text_string(ctx, obj, PDF_NAME(Title), item.title.constData());
                pdf_dict_put(ctx, obj, PDF_NAME(Parent), item.parent < 0 ? outlines : made[item.parent]);
                if (item.previous >= 0)
                    pdf_dict_put(ctx, obj, PDF_NAME(Prev), made[item.previous]);
                if (item.next >= 0)
                    pdf_dict_put(ctx, obj, PDF_NAME(Next), made[item.next]);
                if (item.first >= 0) {
                    pdf_dict_put(ctx, obj, PDF_NAME(First), made[item.first]);
                    pdf_dict_put(ctx, obj, PDF_NAME(Last), made[item.last]);
                    pdf_dict_put_int(ctx, obj, PDF_NAME(Count), item.descendants);
                }
                if (item.pageIndex >= 0) {
                    pdf_obj *dest = pdf_dict_put_array(ctx, obj, PDF_NAME(Dest), 5);
                    pdf_array_push(ctx, dest, pdf_lookup_page_obj(ctx, document, item.pageIndex));
                    pdf_array_push(ctx, dest, PDF_NAME(XYZ));
                    pdf_array_push_real(ctx, dest, item.userSpacePoint.x);
                    pdf_array_push_real(ctx, dest, item.userSpacePoint.y);
                    pdf_array_push_int(ctx, dest, 0);
                }
            }
            pdf_dict_put(ctx, outlines, PDF_NAME(Type), PDF_NAME(Outlines));
            pdf_dict_put(ctx, outlines, PDF_NAME(First), made[rootFirst]);
            pdf_dict_put(ctx, outlines, PDF_NAME(Last), made[rootLast]);
            pdf_dict_put_int(ctx, outlines, PDF_NAME(Count), total);
            pdf_dict_put(ctx, catalog, PDF_NAME(Outlines), outlines);
        }
        written = true;
    }
    fz_always (ctx) {
        for (int i = 0; i < count; ++i)
            pdf_drop_obj(ctx, made[i]);
        pdf_drop_obj(ctx, outlines);
    }
    fz_catch (ctx)
        written = false;
    return written;
}

} // namespace narrata
