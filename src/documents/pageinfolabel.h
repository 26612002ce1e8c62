#pragma once

#include <QString>

#include <optional>

namespace narrata {

// The one line of page information under the page view.
namespace pageinfolabel {

// Shown while no document is open.
QString noDocumentText();
// "Page 2 of 3 (67%)": the share of the document up to the end of the page shown.
QString textForPage(qint64 pageIndex, qint64 pageCount);
// The share up to the middle of the selection on the page shown: selectionCentreY is the
// selection's vertical centre in page space (y up), none when it has no part on the page;
// pageTop is the top of the page's media box.
QString textForSelection(qint64 pageIndex, qint64 pageCount, std::optional<double> selectionCentreY, double pageTop);

} // namespace pageinfolabel
} // namespace narrata
