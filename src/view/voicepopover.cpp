#include "voicepopover.h"

#include "popoverplacement.h"
#include "ui_voicepopover.h"

#include "speech/speakingloop.h"
#include "speech/voicecatalogue.h"

#include <QKeyEvent>
#include <QSignalBlocker>

#include <cmath>

namespace narrata {

VoicePopover::VoicePopover(VoiceCatalogue &catalogue, SpeakingLoop &loop, QWidget *parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint)
    , ui(std::make_unique<Ui::VoicePopover>())
    , m_catalogue(catalogue)
    , m_loop(loop)
{
    ui->setupUi(this);
    framePopover(*this);
    const RateRange rates = m_catalogue.rateRange();
    ui->ttsSpeedSlider->setRange(int(std::ceil(rates.minimum)), int(std::floor(rates.maximum)));
    mirrorCatalogue();

    connect(ui->popupButtonTTSVoiceList, &QComboBox::currentIndexChanged, this,
        [this](int index) { m_catalogue.setSelectedIndex(index); });
    connect(ui->ttsSpeedSlider, &QSlider::valueChanged, this, [this](int wordsPerMinute) {
        m_catalogue.setRate(float(wordsPerMinute));
        ui->ttsSpeedLabel->setText(m_catalogue.rateLabel());
    });
    connect(ui->showOnlyEnglishAdultVoices, &QCheckBox::toggled, this, [this](bool on) {
        m_catalogue.setShowOnlyEnglishAdultVoices(on, m_loop);
        mirrorCatalogue();
    });
    connect(ui->buttonApply, &QPushButton::clicked, this, &VoicePopover::applyClicked);
    connect(ui->buttonReset, &QPushButton::clicked, this, &VoicePopover::resetClicked);
}

VoicePopover::~VoicePopover() = default;

void VoicePopover::showAbove(QWidget *anchor)
{
    m_catalogue.preparePopover(m_loop);
    mirrorCatalogue();
    adjustSize();
    if (anchor)
        placeAbove(*this, *anchor);
    show();
    ui->popupButtonTTSVoiceList->setFocus();
}

void VoicePopover::keyPressEvent(QKeyEvent *event)
{
    // A popover is no dialog, so Return is handed to its default button here, or to the
    // button that has the focus, as a dialog would.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto *focused = qobject_cast<QPushButton *>(focusWidget());
        (focused ? focused : ui->buttonApply)->click();
        return;
    }
    QWidget::keyPressEvent(event); // Escape closes the popup
}

void VoicePopover::mirrorCatalogue()
{
    // Showing the catalogue's state must not be reported back to it as the user's picks.
    const QSignalBlocker voices(ui->popupButtonTTSVoiceList);
    const QSignalBlocker slider(ui->ttsSpeedSlider);
    const QSignalBlocker filter(ui->showOnlyEnglishAdultVoices);

    ui->popupButtonTTSVoiceList->clear();
    for (const VoiceMenuEntry &entry : m_catalogue.entries())
        ui->popupButtonTTSVoiceList->addItem(entry.title, entry.identifier);
    ui->popupButtonTTSVoiceList->setCurrentIndex(m_catalogue.selectedIndex());

    // A rate of 0 (the voice's own, not yet known) leaves the slider at its slowest.
    ui->ttsSpeedSlider->setValue(int(std::lround(m_catalogue.rate())));
    ui->ttsSpeedLabel->setText(m_catalogue.rateLabel());
    ui->showOnlyEnglishAdultVoices->setChecked(m_catalogue.showsOnlyEnglishAdultVoices());
}

void VoicePopover::applyClicked()
{
    hide();
    m_catalogue.apply(m_loop);
    emit voiceChanged();
}

void VoicePopover::resetClicked()
{
    hide();
    m_catalogue.reset(m_loop);
    emit voiceChanged();
}

} // namespace narrata
