#pragma once

#include "platform/pdf/pdfdocument.h"

namespace narrata {

// Opens PDFs with MuPDF. Only PDF files are accepted: other formats MuPDF could read are
// not documents this reader works with.
class MuPDFService final : public PDFService {
public:
    std::unique_ptr<PDFDocument> openFile(const QString &path) const override;
    std::unique_ptr<PDFDocument> openData(const QByteArray &data) const override;
    std::unique_ptr<PDFDocument> createEmpty() const override;

    // Every page being read or drawn, and every one after, is given up: Ctrl-C and a closing
    // window must not wait for a page that takes minutes. Safe to call from a signal handler.
    static void abortAllWork();
};

} // namespace narrata
