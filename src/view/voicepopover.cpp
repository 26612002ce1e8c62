#include "voicepopover.h"

#include "popoverplacement.h"
#include "ui_voicepopover.h"

#include "speech/speakingloop.h"
#include "speech/voicecatalogue.h"

#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStandardItemModel>

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
        [this](int index) { m_catalogue.setSelectedIndex(entryIndex(ui->popupButtonTTSVoiceList->itemData(index))); });
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

    // Each backend's voices under its name, when there is more than one backend. The items hold
    // their voice; the backends' names hold none.
    QComboBox &list = *ui->popupButtonTTSVoiceList;
    list.clear();
    const std::vector<VoiceMenuEntry> &entries = m_catalogue.entries();
    const bool grouped = !entries.empty() && entries.front().backend != entries.back().backend;
    for (std::size_t index = 0; index < entries.size(); ++index) {
        if (grouped && (index == 0 || entries[index].backend != entries[index - 1].backend))
            addBackendLabel(entries[index].backend);
        list.addItem(entries[index].title, entries[index].identifier);
    }
    const int selected = m_catalogue.selectedIndex();
    list.setCurrentIndex(selected < 0 ? -1 : list.findData(entries[std::size_t(selected)].identifier));

    // A rate of 0 (the voice's own, not yet known) leaves the slider at its slowest.
    ui->ttsSpeedSlider->setValue(int(std::lround(m_catalogue.rate())));
    ui->ttsSpeedLabel->setText(m_catalogue.rateLabel());
    ui->showOnlyEnglishAdultVoices->setChecked(m_catalogue.showsOnlyEnglishAdultVoices());
}

int VoicePopover::entryIndex(const QVariant &voice) const
{
    const std::vector<VoiceMenuEntry> &entries = m_catalogue.entries();
    for (std::size_t index = 0; index < entries.size(); ++index) {
        if (voice.isValid() && entries[index].identifier == voice.toString())
            return int(index);
    }
    return -1;
}

void VoicePopover::addBackendLabel(const QString &backend)
{
    QComboBox &list = *ui->popupButtonTTSVoiceList;
    if (list.count() > 0)
        list.insertSeparator(list.count());
    // The desktop's speech service is known by its own name, not by its voices' prefix.
    list.addItem(backend == QLatin1String("speechd") ? QStringLiteral("Speech Dispatcher") : backend);
    // A heading, not a voice: it cannot be picked.
    if (auto *model = qobject_cast<QStandardItemModel *>(list.model()))
        model->item(list.count() - 1)->setFlags(Qt::NoItemFlags);
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
