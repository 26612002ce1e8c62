#include "linkpopover.h"

#include "documents/locationlinks.h"
#include "popoverplacement.h"
#include "ui_linkpopover.h"

namespace narrata {

LinkPopover::LinkPopover(LocationLinks &links, QWidget *parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint)
    , ui(std::make_unique<Ui::LinkPopover>())
    , m_links(links)
{
    ui->setupUi(this);
    framePopover(*this);
    ui->buttonUserPreferenceOrvikUseMarkdownURL->setChecked(m_links.useMarkdown);
    connect(
        ui->orvikPrefixLabel, &QLineEdit::textEdited, this, [this](const QString &text) { m_links.setPrefix(text); });
    connect(ui->buttonUserPreferenceOrvikUseMarkdownURL, &QCheckBox::toggled, this,
        [this](bool on) { m_links.useMarkdown = on; });
    connect(&m_links, &LocationLinks::prefixChecked, this, &LinkPopover::showPrefix);
}

LinkPopover::~LinkPopover() = default;

void LinkPopover::showPrefix(const QString &prefix, bool usable)
{
    if (ui->orvikPrefixLabel->text() != prefix)
        ui->orvikPrefixLabel->setText(prefix);
    ui->orvikPrefixCheckLabel->setText(usable ? QStringLiteral("\u2705") : QStringLiteral("\u274C"));
}

void LinkPopover::showBelow(QWidget *anchor)
{
    m_links.updateOrvikPrefixChecker();
    adjustSize();
    if (anchor)
        placeBelow(*this, *anchor);
    show();
    ui->orvikPrefixLabel->setFocus();
}

} // namespace narrata
