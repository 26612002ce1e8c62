#include "imageattachments.h"

#include <QPainter>
#include <QPixmap>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>

#include <cstdint>
#include <vector>

namespace narrata {

namespace {

// The bitmap a text holds for an image name, whichever form the text keeps it in.
QImage bitmapOf(const QTextDocument &text, const QString &name)
{
    const QVariant resource = text.resource(QTextDocument::ImageResource, QUrl(name));
    if (resource.typeId() == QMetaType::QImage)
        return resource.value<QImage>();
    if (resource.typeId() == QMetaType::QPixmap)
        return resource.value<QPixmap>().toImage();
    if (resource.typeId() == QMetaType::QByteArray)
        return QImage::fromData(resource.toByteArray());
    return {};
}

// The size an image takes in the text: the one its format asks for, else its bitmap's own.
QSizeF shownSize(const QTextImageFormat &format, const QImage &bitmap)
{
    const QSizeF own = bitmap.deviceIndependentSize();
    if (format.width() > 0 && format.height() > 0)
        return {format.width(), format.height()};
    if (format.width() > 0)
        return {format.width(), own.width() > 0 ? own.height() * format.width() / own.width() : own.height()};
    if (format.height() > 0)
        return {own.height() > 0 ? own.width() * format.height() / own.height() : own.width(), format.height()};
    return own;
}

} // namespace

QSizeF getNormalImageSize(QSizeF size, qreal devicePixelRatio)
{
    return {static_cast<float>(size.width() / devicePixelRatio), static_cast<float>(size.height() / devicePixelRatio)};
}

AttachmentImage resize(const AttachmentImage &image, QSizeF size, qreal devicePixelRatio)
{
    // Drawn into the screen's units, so that the bitmap holds one pixel per unit of `size`.
    const QSizeF normal = getNormalImageSize(size, devicePixelRatio);
    QImage drawn((normal * devicePixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
    drawn.setDevicePixelRatio(devicePixelRatio);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setOpacity(1.0);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(QPointF(), normal), image.bitmap, QRectF(QPointF(), image.bitmap.size()));
    painter.end();
    return {drawn, size};
}

AttachmentImage imageResize(const AttachmentImage &image, float width, qreal devicePixelRatio)
{
    if (image.size.width() <= 0)
        return image;
    const auto factor = static_cast<float>(width / image.size.width());
    const QSizeF size(static_cast<std::int32_t>(image.size.width() * factor),
        static_cast<std::int32_t>(image.size.height() * factor));
    return resize(image, size, devicePixelRatio);
}

std::unique_ptr<QTextDocument> resizeImageAttachmentsToMaxWidth(
    const QTextDocument &text, float width, qreal devicePixelRatio)
{
    std::unique_ptr<QTextDocument> result(text.clone());
    struct Image {
        int position;
        QTextImageFormat format;
    };
    std::vector<Image> images;
    for (QTextBlock block = result->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            // Two images in a row with one format make one fragment of two characters.
            for (int i = 0; format.isImageFormat() && i < fragment.fragment().length(); ++i)
                images.push_back({fragment.fragment().position() + i, format.toImageFormat()});
        }
    }
    // Names never used before: a name the text had already could stand for another bitmap in
    // the drawing caches.
    static int fittedImages = 0;
    for (const Image &image : images) {
        const QImage bitmap = bitmapOf(*result, image.format.name());
        if (bitmap.isNull())
            continue;
        const AttachmentImage fitted = imageResize({bitmap, shownSize(image.format, bitmap)}, width, devicePixelRatio);
        const QString name = QStringLiteral("narrata-fitted-image:%1").arg(++fittedImages);
        result->addResource(QTextDocument::ImageResource, QUrl(name), fitted.bitmap);
        QTextImageFormat only;
        only.setName(name);
        only.setWidth(fitted.size.width());
        only.setHeight(fitted.size.height());
        QTextCursor character(result.get());
        character.setPosition(image.position);
        character.setPosition(image.position + 1, QTextCursor::KeepAnchor);
        character.setCharFormat(only);
    }
    return result;
}

} // namespace narrata
