#pragma once

#include <QImage>
#include <QSizeF>

#include <memory>

class QTextDocument;

namespace narrata {

// An image as rich text shows it: its bitmap and the size it takes in the text, in the text's
// own units (which on a high-density screen hold more than one pixel each).
struct AttachmentImage {
    QImage bitmap;
    QSizeF size;
};

// A size in device pixels as a size in the screen's units, each side to the nearest float.
QSizeF getNormalImageSize(QSizeF size, qreal devicePixelRatio);
// The whole image drawn afresh into a bitmap of `size` device pixels, shown at `size`.
AttachmentImage resize(const AttachmentImage &image, QSizeF size, qreal devicePixelRatio);
// The image brought to `width`, narrower ones enlarged and wider ones reduced, the height
// following (truncated). An image without width comes back as it is.
AttachmentImage imageResize(const AttachmentImage &image, float width, qreal devicePixelRatio);

// A copy of the text in which every image is brought to `width`. Each scaled image's character
// carries the image and nothing else; the text around the images is kept with its formats. An
// image whose bitmap cannot be found is left as it is.
std::unique_ptr<QTextDocument> resizeImageAttachmentsToMaxWidth(
    const QTextDocument &text, float width, qreal devicePixelRatio);

} // namespace narrata
