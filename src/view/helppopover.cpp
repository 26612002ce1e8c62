#include "helppopover.h"

#include "popoverplacement.h"
#include "ui_helppopover.h"

#include <QFile>

namespace narrata {

HelpPopover::HelpPopover(QString resourcePath, QWidget *parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint)
    , ui(std::make_unique<Ui::HelpPopover>())
    , m_resourcePath(std::move(resourcePath))
{
    ui->setupUi(this);
    framePopover(*this);
}

HelpPopover::~HelpPopover() = default;

void HelpPopover::showBelow(QWidget *anchor)
{
    QFile file(m_resourcePath);
    const QString text = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    ui->labelHelpPopoverText->setText(text.isEmpty() ? tr("Help is not available.") : text);
    adjustSize();
    if (anchor)
        placeBelow(*this, *anchor);
    show();
}

} // namespace narrata
