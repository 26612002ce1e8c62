#pragma once

#include "settings/watchedfolder.h"
#include "tableofcontents.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <vector>

namespace narrata {

// The main window as the application state sees it: its title, the file it represents, its
// labels, whether it floats above other windows, and the pop-up of recent PDFs.
class ReaderWindow {
public:
    // What a window level of "on top" is reported as.
    static constexpr int kFloatingWindowLevel = 25;

    virtual ~ReaderWindow() = default;

    virtual QString windowTitle() const = 0;
    virtual void setWindowTitle(const QString &title) = 0;
    // The file shown; an empty URL for none.
    virtual void setRepresentedURL(const QUrl &url) = 0;

    virtual void setLabelTextPDFInfo(const QString &text) = 0;
    virtual void setLabelCurrentSessionStats(const QString &text) = 0;
    virtual void setLabelTextVoiceInfo(const QString &text) = 0;

    // 0 for a normal window, kFloatingWindowLevel for one kept on top.
    virtual int windowLevel() const = 0;
    virtual void setWindowLevel(int level) = 0;

    // Pops up "Recent PDFs" at the button that asked for it; `chosen` runs with the entry
    // picked. Only called with a non-empty list.
    virtual void popUpRecentPDFs(
        const std::vector<RecentFileEntry> &entries, std::function<void(const RecentFileEntry &)> chosen)
        = 0;
    // Pops up "PDF Outline" under its button; `chosen` runs with the entry of the line picked.
    virtual void popUpOutlineMenu(
        const std::vector<OutlineMenuItem> &items, std::function<void(const OutlineEntry &)> chosen)
        = 0;
    // A long task (a PDF write, a folder scan) is running and says what it does; an empty
    // text when none is.
    virtual void setBusy(const QString &task) = 0;
};

} // namespace narrata
