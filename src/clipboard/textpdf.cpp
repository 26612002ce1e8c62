#include "textpdf.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

namespace narrata {

QByteArray dataWithPDFInsideRect(QTextDocument &text, QSizeF bounds, int dotsPerInch)
{
    if (bounds.isEmpty() || dotsPerInch <= 0)
        return {};
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("Narrata"));
        // The writer's resolution is the layout's, so glyphs land where the layout put them.
        writer.setResolution(dotsPerInch);
        writer.setPageSize(QPageSize(bounds * 72.0 / dotsPerInch, QPageSize::Point, QString(), QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter;
        if (!painter.begin(&writer))
            return {};
        text.drawContents(&painter, QRectF(QPointF(), bounds));
        if (!painter.end())
            return {};
    }
    return data;
}

} // namespace narrata
