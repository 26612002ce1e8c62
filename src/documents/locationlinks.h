#pragma once

#include <QObject>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

namespace narrata {

class DefaultsStore;
class DesktopServices;
class DocumentView;
class ShownDocument;

// A place on a page of a document, as an orvik: link names it: the document by a prefix the
// user chose for it, the page counted from 1, and whole points in the page's space.
struct LocationLink {
    QString prefix;
    qint64 pageNumber = 0;
    qint64 x = 0;
    qint64 y = 0;

    QString url() const;
    QString markdown() const;
    QString visibleText() const;
    // The link a URL names; nothing for anything else.
    static std::optional<LocationLink> fromURL(const QString &url);

    friend bool operator==(const LocationLink &, const LocationLink &) = default;
};

// Links to a place on a page: copying one on Ctrl+Alt+click, the prefix that names the shown
// document in them, remembered by the document's name, and opening a copied link again.
class LocationLinks final : public QObject {
    Q_OBJECT
public:
    struct Collaborators {
        DefaultsStore &defaults;
        DesktopServices &desktop;
        ShownDocument &documents;
        DocumentView &pdfView;
        // The files a document named by a link is looked for among: the recent ones, the
        // watched folder's and the user guide.
        std::function<QStringList()> candidateFiles;
    };

    explicit LocationLinks(Collaborators collaborators, QObject *parent = nullptr);

    // The prefix field's text, as the user typed it.
    const QString &prefix() const { return m_prefix; }
    void setPrefix(const QString &prefix);
    // On: links are copied as Markdown text; off: as rich text.
    bool useMarkdown = false;

    // The prefix can stand in a link as it is; the check mark follows.
    bool updateOrvikPrefixChecker();
    // The stored prefix of the document shown goes into the field (empty when none).
    void lookupPDFPrefix();
    // Remembers the prefix for the document and puts the link to the point on the clipboard;
    // beeps when the prefix cannot be used.
    void copyOrvikURLforPageIndex(qint64 pageIndex, QPointF pointOnPage);
    // Opens the document a link names at its place; says in one alert why when it cannot.
    bool openLocationLink(const QString &url);

    static bool isLocationLink(const QString &text);

signals:
    // The field's text or its check changed.
    void prefixChecked(const QString &prefix, bool usable);

private:
    QString documentName() const;
    void copyRichText(const LocationLink &link);

    Collaborators m_collaborators;
    QString m_prefix;
};

} // namespace narrata
