#pragma once

#include "text/sentencerecord.h"

#include <QPointF>

#include <optional>
#include <vector>

namespace narrata {

// What the page view asks of the application: every request that changes reading state goes
// here, so the view keeps no reading state of its own.
class PageViewDelegate {
public:
    virtual ~PageViewDelegate() = default;

    virtual void togglePauseSpeech() = 0;
    virtual void stopSpeaking() = 0;
    virtual void resetCurrentSession() = 0;
    virtual void startSentenceWalkJ(const std::optional<SentenceRecord> &sentence) = 0;
    virtual void startSentenceWalkK(const std::optional<SentenceRecord> &sentence) = 0;
    virtual void startSentenceWalkL(const std::optional<SentenceRecord> &sentence) = 0;

    // Replaces the queue with these sentences and reads them.
    virtual void loadSpeechSet(const std::vector<SentenceRecord> &sentences) = 0;

    virtual void openExistingDocument() = 0;
    // The view's document changed (its marks): write it to its file.
    virtual void savePDF() = 0;
    // Ctrl+Alt+click on a page: a link to that point goes to the clipboard.
    virtual void copyOrvikURLforPageIndex(qint64 pageIndex, QPointF pointOnPage) = 0;

    // The view's page or selection changed.
    virtual void pdfViewPageChanged() = 0;
    virtual void pdfViewSelectionChanged() = 0;
};

} // namespace narrata
