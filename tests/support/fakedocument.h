#pragma once

#include "platform/pdf/pdfdocument.h"

#include <utility>

namespace narrata::testing {

// A page that is nothing but its text, each paragraph in one font: enough for everything that
// reads text and fonts, with no PDF behind it.
class FakePage final : public PDFPage {
public:
    explicit FakePage(TextLayer layer)
        : m_layer(std::move(layer))
    {
    }
    explicit FakePage(const QString &text)
        : m_layer(text, std::vector<TextLayer::Unit>(static_cast<size_t>(text.size())), {}, {}, {})
    {
    }

    // Paragraphs joined by line feeds, each in its font (the line feed takes the font before it).
    explicit FakePage(const std::vector<std::pair<QString, PDFFont>> &paragraphs)
    {
        QString text;
        std::vector<TextLayer::Unit> units;
        std::vector<PDFFont> fonts;
        for (const auto &[paragraph, font] : paragraphs) {
            if (!text.isEmpty()) {
                text += u'\n';
                units.push_back(units.back());
            }
            auto known = std::find(fonts.begin(), fonts.end(), font);
            if (known == fonts.end())
                known = fonts.insert(fonts.end(), font);
            text += paragraph;
            units.insert(units.end(), static_cast<size_t>(paragraph.size()),
                TextLayer::Unit{QRectF(), static_cast<int>(known - fonts.begin())});
        }
        m_layer = TextLayer(text, std::move(units), std::move(fonts), {}, {});
    }

    const TextLayer &textLayer() const override { return m_layer; }
    QRectF boundsForBox(PDFDisplayBox) const override { return {}; }
    std::vector<PDFAnnotation> annotations() const override { return {}; }
    std::optional<PDFAnnotation> addAnnotation(const PDFAnnotation &) override { return std::nullopt; }
    bool removeAnnotation(const PDFAnnotation &) override { return false; }
    PageImage renderRegion(const QRectF &, double) const override { return {}; }

private:
    TextLayer m_layer;
};

// A read-only document over fake pages; a null entry is a page that fails to load.
class FakeDocument : public PDFDocument {
public:
    explicit FakeDocument(std::vector<std::shared_ptr<PDFPage>> pages)
        : m_pages(std::move(pages))
    {
    }

    bool isEncrypted() const override { return false; }
    bool isLocked() const override { return false; }
    bool unlockWithPassword(const QString &) override { return true; }
    QUrl documentURL() const override { return {}; }
    QString infoValue(const QString &) const override { return {}; }
    int pageCount() const override { return static_cast<int>(m_pages.size()); }
    std::shared_ptr<PDFPage> pageAtIndex(int index) const override
    {
        return index >= 0 && index < pageCount() ? m_pages[static_cast<size_t>(index)] : nullptr;
    }
    int indexForPage(const PDFPage &page) const override
    {
        for (size_t i = 0; i < m_pages.size(); ++i)
            if (m_pages[i].get() == &page)
                return static_cast<int>(i);
        return -1;
    }
    bool insertPage(const PDFPage &, int) override { return false; }
    bool removePageAtIndex(int) override { return false; }
    bool writeToFile(const QString &) override { return false; }
    QByteArray dataRepresentation() const override { return {}; }
    std::optional<PDFOutline> outlineRoot() const override { return std::nullopt; }
    bool setOutlineRoot(const PDFOutline &) override { return false; }
    std::unique_ptr<PDFDocument> copy() const override { return std::make_unique<FakeDocument>(m_pages); }

private:
    std::vector<std::shared_ptr<PDFPage>> m_pages;
};

} // namespace narrata::testing
