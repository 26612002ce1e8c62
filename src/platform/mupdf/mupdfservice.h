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
};

} // namespace narrata
