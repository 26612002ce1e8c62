#pragma once

#include "documents/documentview.h"
#include "documents/readerwindow.h"
#include "text/fonts.h"

#include "support/delegateservices.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace narrata::testing {

// One application object for the whole test program: timers and queued reports need it.
inline QCoreApplication &coreApp()
{
    static int argc = 1;
    static char name[] = "documents_tests";
    static char *argv[] = {name, nullptr};
    static auto *app = new QCoreApplication(argc, argv);
    return *app;
}

// A page view that shows nothing: it keeps the document, the page and the selection it is given.
class FakeDocumentView final : public DocumentView {
public:
    void setAd(PageViewDelegate *) override { }
    void setPageContent(PageContent *) override { }
    void setDocument(std::unique_ptr<PDFDocument> document) override
    {
        shownDocument = std::move(document);
        selection = {};
        page = 0;
    }
    PDFDocument *document() const override { return shownDocument.get(); }
    void goToPageIndex(int pageIndex, QPointF pointOnPage) override
    {
        page = pageIndex;
        point = pointOnPage;
    }
    PDFSelection currentSelection() const override { return selection; }
    void setCurrentSelection(const PDFSelection &s) override { selection = s; }
    std::optional<PDFFont> currentSelectionFont() const override
    {
        return selection.isEmpty() ? std::nullopt : mostPopularFont(selection.attributedString());
    }
    void speakFromCurrentSelection() override { }
    void selectHeaderFooterRange() override { }
    void selectSentence(const SentenceRecord &sentence) override { selected.push_back(sentence); }
    qint64 currentPageIndex() const override { return shownDocument ? page : kNotFound; }

    std::unique_ptr<PDFDocument> shownDocument;
    PDFSelection selection;
    qint64 page = 0;
    QPointF point;
    std::vector<SentenceRecord> selected;
};

// A window that remembers what it was told to show.
class FakeReaderWindow final : public ReaderWindow {
public:
    QString windowTitle() const override { return title; }
    void setWindowTitle(const QString &t) override { title = t; }
    void setRepresentedURL(const QUrl &url) override { represented = url; }
    void setLabelTextPDFInfo(const QString &text) override { pageLabel = text; }
    void setLabelCurrentSessionStats(const QString &) override { }
    void setLabelTextVoiceInfo(const QString &) override { }
    int windowLevel() const override { return level; }
    void setWindowLevel(int l) override { level = l; }
    void popUpRecentPDFs(
        const std::vector<RecentFileEntry> &entries, std::function<void(const RecentFileEntry &)> chosen) override
    {
        poppedUp = entries;
        choose = std::move(chosen);
    }
    void setBusy(const QString &) override { }
    void popUpOutlineMenu(
        const std::vector<OutlineMenuItem> &items, std::function<void(const OutlineEntry &)> chosen) override
    {
        outlineMenu = items;
        chooseOutline = std::move(chosen);
    }

    QString title;
    QUrl represented;
    QString pageLabel;
    int level = 0;
    std::vector<RecentFileEntry> poppedUp;
    std::function<void(const RecentFileEntry &)> choose;
    std::vector<OutlineMenuItem> outlineMenu;
    std::function<void(const OutlineEntry &)> chooseOutline;
};

// The application's state on MuPDF and fixture files, with a fake window, view, desktop and
// synthesizer: the user guide is the sample book, and launch has run.
class DelegateTest : public ::testing::Test, protected DelegateServices {
protected:
    DelegateTest()
    {
        coreApp();
        delegate = std::make_unique<AppDelegate>(services(view, window));
        delegate->applicationDidFinishLaunching();
    }

    ShownDocument &documents() { return delegate->documents(); }

    FakeDocumentView view;
    FakeReaderWindow window;
    std::unique_ptr<AppDelegate> delegate;
};

} // namespace narrata::testing
