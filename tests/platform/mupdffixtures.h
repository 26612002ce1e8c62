#pragma once

#include "platform/mupdf/mupdfservice.h"
#include "support/pdffixture.h"
#include "support/qtprinters.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace narrata {

// Opens fixture documents through the real MuPDF service.
inline std::unique_ptr<PDFDocument> openFixture(const testing::PdfFixture &fixture)
{
    return MuPDFService().openData(fixture.bytes());
}

inline std::unique_ptr<PDFDocument> openLines(
    const QStringList &lines, const QString &font = QStringLiteral("Helvetica"))
{
    return openFixture(testing::PdfFixture().addPage(testing::textPage(lines, 720, 72, 14, font)));
}

} // namespace narrata
