#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>

namespace narrata {

// What the clipboard holds, as far as the reader's commands care: something that can become a
// page of text (HTML, plain text or an image; the rich text formats of other systems reach
// this desktop as HTML), and a PDF (its bytes, or a copied PDF file).
struct ClipboardOffer {
    bool text = false;
    bool pdf = false;

    friend bool operator==(const ClipboardOffer &, const ClipboardOffer &) = default;
};

inline constexpr const char *kPDFClipboardTypes[] = {"application/pdf", "application/x-pdf"};

// The local PDF file a clipboard's URLs name first, or an empty path. File browsers put a
// copied file there, without its contents.
inline QString copiedPDFFile(const QList<QUrl> &urls)
{
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return {};
    const QString path = urls.first().toLocalFile();
    return path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive) ? path : QString();
}

inline ClipboardOffer clipboardOfferOf(const QStringList &formats, const QList<QUrl> &urls)
{
    ClipboardOffer offer;
    for (const QString &format : formats) {
        offer.text = offer.text || format == QLatin1String("text/html")
            || format.startsWith(QLatin1String("text/plain")) || format.startsWith(QLatin1String("image/"));
        for (const char *pdfType : kPDFClipboardTypes)
            offer.pdf = offer.pdf || format == QLatin1String(pdfType);
    }
    offer.pdf = offer.pdf || !copiedPDFFile(urls).isEmpty();
    return offer;
}

} // namespace narrata
