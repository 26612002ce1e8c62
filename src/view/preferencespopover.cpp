#include "preferencespopover.h"

#include "popoverplacement.h"
#include "ui_preferencespopover.h"

#include "platform/settings/defaultsstore.h"
#include "settings/registereddefaults.h"

#include <QLineEdit>
#include <QSignalBlocker>

namespace narrata {

using settingskeys::kOrvikURLRichTextFontName;
using settingskeys::kOrvikURLRichTextFontSize;
using settingskeys::rememberPreferenceShouldKeepMainWindowOnTop;

PreferencesPopover::PreferencesPopover(DefaultsStore &store, QWidget *parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint)
    , ui(std::make_unique<Ui::PreferencesPopover>())
    , m_store(store)
{
    ui->setupUi(this);
    framePopover(*this);
    // The font box's text field is a control of its own to assistive technology.
    ui->kOrvikURLRichTextFontName->lineEdit()->setAccessibleName(ui->kOrvikURLRichTextFontName->accessibleName());
    m_boxes = {{
        {ui->userPreferenceUseFastSkipMode, &Preferences::userPreferenceUseFastSkipMode},
        {ui->userPreferenceShouldAppendPDFs, &Preferences::userPreferenceShouldAppendPDFs},
        {ui->userPreferenceCreateTOCinPDFPack, &Preferences::userPreferenceCreateTOCinPDFPack},
        {ui->userPreferenceSkipFixedWidthFonts, &Preferences::userPreferenceSkipFixedWidthFonts},
        {ui->userPreferenceSkipHeaderFooterAggressive, &Preferences::userPreferenceSkipHeaderFooterAggressive},
        {ui->userPrefShouldSortOrderOfSentencesVisually, &Preferences::userPrefShouldSortOrderOfSentencesVisually},
        {ui->userPrefShouldSkipSentencesWithWeirdBounds, &Preferences::userPrefShouldSkipSentencesWithWeirdBounds},
        {ui->userPreferenceShouldAutomaticallySavePDFPacks,
            &Preferences::userPreferenceShouldAutomaticallySavePDFPacks},
        {ui->userPreferenceShouldLocateAutomaticallySavedPDFPackInFinder,
            &Preferences::userPreferenceShouldLocateAutomaticallySavedPDFPackInFinder},
        {ui->userPreferenceShouldAddPrintedPDFsToRecentlyOpenedList,
            &Preferences::userPreferenceShouldAddPrintedPDFsToRecentlyOpenedList},
        {ui->userPreferenceShouldReopenAtMostRecentSentence,
            &Preferences::userPreferenceShouldReopenAtMostRecentSentence},
    }};
    setPreferences(Preferences{});
    loadStoredSettings();

    for (const auto &[box, member] : m_boxes)
        connect(box, &QCheckBox::toggled, this, [this] { emit preferencesChanged(preferences()); });
    connect(ui->rememberPreferenceShouldKeepMainWindowOnTop, &QCheckBox::toggled, this,
        [this](bool on) { write(rememberPreferenceShouldKeepMainWindowOnTop, on); });
    connect(ui->kOrvikURLRichTextFontName, &QFontComboBox::currentFontChanged, this,
        [this](const QFont &font) { write(kOrvikURLRichTextFontName, font.family()); });
    connect(ui->kOrvikURLRichTextFontSize, &QDoubleSpinBox::valueChanged, this,
        [this](double size) { write(kOrvikURLRichTextFontSize, size); });
}

PreferencesPopover::~PreferencesPopover() = default;

void PreferencesPopover::showBelow(QWidget *anchor)
{
    loadStoredSettings();
    adjustSize();
    if (anchor)
        placeBelow(*this, *anchor);
    show();
}

void PreferencesPopover::setPreferences(const Preferences &preferences)
{
    for (const auto &[box, member] : m_boxes) {
        const QSignalBlocker blocker(box);
        box->setChecked(preferences.*member);
    }
}

Preferences PreferencesPopover::preferences() const
{
    Preferences preferences;
    for (const auto &[box, member] : m_boxes)
        preferences.*member = box->isChecked();
    return preferences;
}

void PreferencesPopover::loadStoredSettings()
{
    // Another window may have changed these since the last show; loading is no change by the user.
    const QSignalBlocker onTop(ui->rememberPreferenceShouldKeepMainWindowOnTop);
    const QSignalBlocker fontName(ui->kOrvikURLRichTextFontName);
    const QSignalBlocker fontSize(ui->kOrvikURLRichTextFontSize);
    ui->rememberPreferenceShouldKeepMainWindowOnTop->setChecked(
        m_store.boolForKey(rememberPreferenceShouldKeepMainWindowOnTop));
    ui->kOrvikURLRichTextFontName->setCurrentFont(QFont(m_store.stringForKey(kOrvikURLRichTextFontName)));
    ui->kOrvikURLRichTextFontSize->setValue(m_store.doubleForKey(kOrvikURLRichTextFontSize));
}

void PreferencesPopover::write(QLatin1String key, const QVariant &value)
{
    m_store.setValue(key, value);
    m_store.synchronize();
}

} // namespace narrata
