#pragma once

#include "speech/readingview.h"

#include <QTextStream>

#include <memory>

namespace narrata::cli {

// The reading view of narrata-cli: a "selected" sentence is printed as it starts.
class HeadlessReader final : public ReadingView {
public:
    explicit HeadlessReader(QTextStream &out)
        : m_out(out)
    {
    }

    // What the synthesizer was handed for each sentence, printed under it (for dry runs).
    void showSpokenText(std::shared_ptr<const QString> spokenText) { m_spokenText = std::move(spokenText); }

    void selectSentence(const SentenceRecord &sentence) override;
    qint64 currentPageIndex() const override { return m_currentPageIndex; }

private:
    QTextStream &m_out;
    std::shared_ptr<const QString> m_spokenText;
    qint64 m_currentPageIndex = 0;
};

} // namespace narrata::cli
