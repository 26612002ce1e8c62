#include "clipboardcontents.h"

#include "platform/desktop/clipboardoffer.h"

#include <QImage>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>

#include <algorithm>

namespace narrata {

namespace {

// Images that HTML names by an address the reader does not fetch (a web page's) stay missing;
// when the clipboard carries an image beside the HTML, as browsers do for a copied picture,
// it stands in for the first of them.
void supplyMissingImage(QTextDocument &text, const QImage &offered)
{
    for (QTextBlock block = text.begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            if (!format.isImageFormat())
                continue;
            const QUrl name(format.toImageFormat().name());
            if (text.resource(QTextDocument::ImageResource, name).isNull()) {
                text.addResource(QTextDocument::ImageResource, name, offered);
                return;
            }
        }
    }
}

// An image copied alone: decoded by the clipboard already, or as the bytes of an image format.
QImage clipboardImage(const QMimeData &clipboard)
{
    if (clipboard.hasImage())
        return qvariant_cast<QImage>(clipboard.imageData());
    for (const QString &format : clipboard.formats()) {
        if (format.startsWith(QLatin1String("image/")))
            return QImage::fromData(clipboard.data(format));
    }
    return {};
}

bool offersPlainText(const QMimeData &clipboard)
{
    const QStringList formats = clipboard.formats();
    return std::any_of(formats.begin(), formats.end(),
        [](const QString &format) { return format.startsWith(QLatin1String("text/plain")); });
}

} // namespace

bool readSelectionFromPasteboard(QTextDocument &text, const QMimeData &clipboard)
{
    text.clear();
    QTextCursor cursor(&text);
    const QImage image = clipboardImage(clipboard);
    if (clipboard.hasHtml() && !clipboard.html().trimmed().isEmpty()) {
        cursor.insertHtml(clipboard.html());
        if (!image.isNull())
            supplyMissingImage(text, image);
        return true;
    }
    if (!image.isNull()) {
        text.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("narrata-clipboard-image")), image);
        QTextImageFormat format;
        format.setName(QStringLiteral("narrata-clipboard-image"));
        cursor.insertImage(format);
        return true;
    }
    if (offersPlainText(clipboard) && !clipboard.text().isEmpty()) {
        cursor.insertText(clipboard.text());
        return true;
    }
    return false;
}

QByteArray pdfDataOnClipboard(const QMimeData &clipboard)
{
    for (const char *type : kPDFClipboardTypes) {
        if (QByteArray data = clipboard.data(QLatin1String(type)); !data.isEmpty())
            return data;
    }
    return {};
}

} // namespace narrata
