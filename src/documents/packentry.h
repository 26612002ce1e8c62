#pragma once

#include "platform/pdf/pdfdocument.h"

#include <QString>
#include <QUrl>

#include <memory>

namespace narrata {

// One PDF of the document shown: its name, the file it came from (none for generated ones),
// the index of its first page in the combined document, and a private copy as it arrived.
struct PackEntry {
    QString filename;
    QUrl URL;
    quint64 pageOffset = 0;
    std::shared_ptr<const PDFDocument> document;
};

// What comes with an incoming PDF: the file it was read from, or, for a PDF made without a
// file, the name under which it joins the pack.
struct IncomingPDFAttributes {
    QUrl fileURL;
    QString tocText;
};

} // namespace narrata
