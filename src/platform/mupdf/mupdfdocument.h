#pragma once

#include "mupdfopenpages.h"

#include "mupdfdocumentcore.h"
#include "platform/pdf/pdfdocument.h"

#include <QDateTime>
#include <QString>

#include <vector>

namespace narrata {

class MuPDFPage;

class MuPDFDocument final : public PDFDocument {
public:
    MuPDFDocument(std::shared_ptr<MuPDFDocumentCore> core, QString path);
    ~MuPDFDocument() override;

    bool isEncrypted() const override;
    bool isLocked() const override;
    bool unlockWithPassword(const QString &password) override;
    QUrl documentURL() const override;
    QString infoValue(const QString &key) const override;

    int pageCount() const override;
    std::shared_ptr<PDFPage> pageAtIndex(int index) const override;
    int indexForPage(const PDFPage &page) const override;
    bool insertPage(const PDFPage &page, int index) override;
    bool insertPages(const PDFDocument &source, int index) override;
    bool removePageAtIndex(int index) override;

    bool writeToFile(const QString &path) override;
    QByteArray dataRepresentation() const override;

    std::optional<PDFOutline> outlineRoot() const override;
    bool setOutlineRoot(const PDFOutline &root) override;

    std::unique_ptr<PDFDocument> copy() const override;

private:
    // Nothing was changed in memory and the file is still the one that was opened.
    bool isUnchangedFromFile() const;

    std::shared_ptr<MuPDFDocumentCore> m_core;
    QString m_path;
    // The file as it was when opened; a size of -1 when the document did not come from it.
    qint64 m_openedSize = -1;
    QDateTime m_openedModified;
    // The password that unlocked the document; MuPDF only remembers that it was given.
    std::optional<QString> m_password;
    bool m_locked = true;
    mutable MuPDFOpenPages m_pages;
};

} // namespace narrata
