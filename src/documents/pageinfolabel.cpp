#include "pageinfolabel.h"

namespace narrata::pageinfolabel {

namespace {

QString format(qint64 pageIndex, qint64 pageCount, float percentage)
{
    return QStringLiteral("Page %1 of %2 (%3%)")
        .arg(pageIndex + 1)
        .arg(pageCount)
        .arg(QString::number(static_cast<double>(percentage), 'f', 0));
}

} // namespace

QString noDocumentText()
{
    return QStringLiteral("Open a PDF, or Print a PDF into this app.");
}

QString textForPage(qint64 pageIndex, qint64 pageCount)
{
    if (pageCount <= 0)
        return noDocumentText();
    // Worked in double and kept in single precision, so the rounding of the shown figure is
    // the same wherever the label is computed.
    const auto share = static_cast<float>(static_cast<double>(pageIndex + 1) / static_cast<double>(pageCount));
    return format(pageIndex, pageCount, static_cast<float>(static_cast<double>(share) * 100.0));
}

QString textForSelection(qint64 pageIndex, qint64 pageCount, std::optional<double> selectionCentreY, double pageTop)
{
    if (pageCount <= 0)
        return noDocumentText();
    const double y = selectionCentreY.value_or(0.0);
    const auto above = pageTop != 0 ? static_cast<float>(1.0 - y / pageTop) : 0.0F;
    const float pageShare = static_cast<float>(1.0 / static_cast<double>(pageCount)) * above;
    const auto share = static_cast<float>(
        static_cast<double>(pageShare) + static_cast<double>(pageIndex) / static_cast<double>(pageCount));
    return format(pageIndex, pageCount, static_cast<float>(static_cast<double>(share) * 100.0));
}

} // namespace narrata::pageinfolabel
