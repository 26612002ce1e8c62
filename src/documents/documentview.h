#pragma once

#include "platform/pdf/pdfdocument.h"
#include "platform/pdf/pdfselection.h"
#include "speech/readingview.h"

#include <memory>
#include <optional>

namespace narrata {

class PageContent;
class PageViewDelegate;

// What the application asks of the page view beyond what the speaking loop needs: the document
// it shows (its own copy), the page and selection, and the commands that start from them.
class DocumentView : public ReadingView {
public:
    // Who the view sends its reading commands to.
    virtual void setAd(PageViewDelegate *ad) = 0;
    // What the view asks which sentences a gesture starts from; it reads the view's document.
    virtual void setPageContent(PageContent *content) = 0;
    // Shows a document from its first page, scaled to the width; null shows nothing.
    virtual void setDocument(std::unique_ptr<PDFDocument> document) = 0;
    virtual PDFDocument *document() const = 0;
    // Scrolls so that the point (page space) of the page is at the top of the view.
    virtual void goToPageIndex(int pageIndex, QPointF pointOnPage) = 0;

    virtual PDFSelection currentSelection() const = 0;
    virtual void setCurrentSelection(const PDFSelection &selection) = 0;
    // The font of most of the selection's characters; nothing without a selection.
    virtual std::optional<PDFFont> currentSelectionFont() const = 0;

    // Reads from the sentence at the selection, or from the top of the page shown.
    virtual void speakFromCurrentSelection() = 0;
    // Selects every head, foot and page number found on the page shown.
    virtual void selectHeaderFooterRange() = 0;
};

} // namespace narrata
