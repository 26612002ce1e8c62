#pragma once

#include "pdfoutline.h"
#include "pdfpage.h"

#include <QByteArray>
#include <QUrl>

#include <memory>
#include <optional>

namespace narrata {

// An open PDF. No operation throws: failures come back as empty results or false.
class PDFDocument {
public:
    virtual ~PDFDocument() = default;

    // The file carries encryption (perhaps with an empty password).
    virtual bool isEncrypted() const = 0;
    // A password is needed before any page can be read.
    virtual bool isLocked() const = 0;
    virtual bool unlockWithPassword(const QString &password) = 0;
    // The file the document was opened from or last written to; empty for one made from bytes.
    virtual QUrl documentURL() const = 0;

    // A value of the document's information dictionary ("Title", "Author"), empty when absent.
    virtual QString infoValue(const QString &key) const = 0;

    virtual int pageCount() const = 0;
    // The page at an index below the page count; null otherwise.
    virtual std::shared_ptr<PDFPage> pageAtIndex(int index) const = 0;
    // The index of a page of this document, or -1.
    virtual int indexForPage(const PDFPage &page) const = 0;
    // Places a copy of a page of another document at an index (0 to the page count).
    virtual bool insertPage(const PDFPage &page, int index) = 0;
    // Places copies of every page of another document at an index, in order: all of them or,
    // when one fails, none.
    virtual bool insertPages(const PDFDocument &source, int index)
    {
        const int count = source.pageCount();
        for (int i = 0; i < count; ++i) {
            const std::shared_ptr<PDFPage> page = source.pageAtIndex(i);
            if (!page || !insertPage(*page, index + i)) {
                while (i-- > 0)
                    removePageAtIndex(index);
                return false;
            }
        }
        return true;
    }
    virtual bool removePageAtIndex(int index) = 0;

    // Writes the whole document, outline and annotations included, through a temporary
    // file that replaces the target only once it is complete.
    virtual bool writeToFile(const QString &path) = 0;
    virtual QByteArray dataRepresentation() const = 0;

    virtual std::optional<PDFOutline> outlineRoot() const = 0;
    // Replaces the outline; a root without children removes it.
    virtual bool setOutlineRoot(const PDFOutline &root) = 0;

    // An independent document with the same content: edits to one never show in the other.
    virtual std::unique_ptr<PDFDocument> copy() const = 0;
};

// Opens PDFs. The composition root picks the implementation.
class PDFService {
public:
    virtual ~PDFService() = default;
    virtual std::unique_ptr<PDFDocument> openFile(const QString &path) const = 0;
    virtual std::unique_ptr<PDFDocument> openData(const QByteArray &data) const = 0;
    virtual std::unique_ptr<PDFDocument> createEmpty() const = 0;
};

} // namespace narrata
