#include "readerapplication.h"

#include "documents/appdelegate.h"
#include "mediaplayerbus.h"
#include "platform/audio/pulseaudiooutput.h"
#include "platform/espeak/espeakengine.h"
#include "platform/espeak/espeakspeechservice.h"
#include "platform/espeak/silentspeechservice.h"
#include "platform/flite/flitespeechservice.h"
#include "platform/mupdf/mupdfservice.h"
#include "platform/qtdesktop/qtdesktopservices.h"
#include "platform/settingsstores/qsettingsdefaultsstore.h"
#include "platform/speechd/speechdispatcherspeechservice.h"
#include "resources/appresources.h"
#include "settings/registereddefaults.h"
#include "view/clipboardconverter.h"
#include "view/custompdfview.h"
#include "view/mainwindow.h"

#include <QGuiApplication>
#include <QTimer>

#include <cstdio>
#include <utility>

namespace narrata {

namespace {

// espeak-ng and flite through the sound server, each synthesizer on a stream of its own. The
// first stream is opened here to find out whether there is a sound server at all: without one, or without espeak-ng,
// the silent service reads on at the pace of speech. Outputs given instead take the sound server's place.
std::unique_ptr<SpeechService> makeSpeechService(
    const std::shared_ptr<EspeakEngine> &engine, const AudioOutputFactory &givenOutputs, bool &silent)
{
    silent = false;
    if (engine && givenOutputs)
        return withFliteVoices(
            std::make_unique<EspeakSpeechService>(engine, givenOutputs, QLocale::system()), givenOutputs);
    std::shared_ptr<AudioOutput> first = engine ? PulseAudioOutput::open() : nullptr;
    if (!first) {
        // flite's synthesizers without an output keep the pace of speech in silence as well.
        silent = true;
        return withFliteVoices(std::make_unique<SilentSpeechService>(engine), {});
    }
    const AudioOutputFactory outputs = PulseAudioOutput::streams(std::move(first));
    return withFliteVoices(std::make_unique<EspeakSpeechService>(engine, outputs, QLocale::system()), outputs);
}

} // namespace

ReaderApplication::ReaderApplication(Options options, QObject *parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_out(stdout)
{
    initAppResources();
    m_pdfService = std::make_unique<MuPDFService>();
    const std::shared_ptr<EspeakEngine> engine = EspeakEngine::instance();
    m_canSpeak = engine != nullptr;
    m_speechService = makeSpeechService(engine, m_options.speechOutputs, m_silent);
    // The speech daemon's voices join when it has listed them, never holding up the window; it
    // plays them itself, so outputs given instead of the sound server's leave them out.
    if (!m_options.speechOutputs)
        m_speechService = withSpeechDispatcherVoices(std::move(m_speechService), std::chrono::milliseconds(0), [this] {
            QMetaObject::invokeMethod(
                this, [this] { m_delegate->speechVoicesListed(); }, Qt::QueuedConnection);
        });
    m_defaults = std::make_unique<QSettingsDefaultsStore>();
    AppDelegate::initialize(*m_defaults);
    m_window = std::make_unique<MainWindow>();
    m_desktop = std::make_unique<QtDesktopServices>(m_window.get());
    m_delegate = std::make_unique<AppDelegate>(
        AppDelegate::Services{*m_pdfService, *m_speechService, *m_defaults, *m_desktop, *m_window->pdfView(), *m_window,
            userGuidePath(), WordMappingsFile::defaultPath(), QCoreApplication::applicationVersion()});
    m_window->setDelegate(*m_delegate, *m_defaults, helpPopoverTextResource());
    m_window->setClipboardConverter(
        std::make_unique<ClipboardConverter>(ClipboardConverter::Collaborators{*m_pdfService, *m_desktop,
                                                 m_delegate->documents(), m_delegate->saving(), *m_window},
            m_window.get()));

    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            m_delegate->applicationDidBecomeActive();
        else
            m_delegate->applicationDidResignActive();
    });
    connect(qGuiApp, &QCoreApplication::aboutToQuit, this, [this] {
        MuPDFService::abortAllWork(); // renders and pages under way need not finish
        m_defaults->setValue(settingskeys::mainWindowGeometry, m_window->saveGeometry());
        m_delegate->applicationWillTerminate();
    });
    if (m_options.reportReading) {
        connect(m_delegate.get(), &AppDelegate::sentenceStarted, this, [this](const SentenceRecord &sentence) {
            m_out << "reading p." << sentence.pageIndex + 1 << ": " << sentence.sentence << Qt::endl;
        });
        connect(m_delegate.get(), &AppDelegate::pauseToggled, this,
            [this](bool paused) { m_out << (paused ? "paused" : "resumed") << Qt::endl; });
        connect(m_delegate.get(), &AppDelegate::sessionReset, this, [this] { m_out << "session reset" << Qt::endl; });
        connect(m_window.get(), &QWidget::windowTitleChanged, this,
            [this](const QString &title) { m_out << "showing " << title << Qt::endl; });
        connect(m_window->pdfView(), &CustomPDFView::pageChanged, this, [this] {
            if (const qint64 page = m_window->pdfView()->currentPageIndex(); page != kNotFound)
                m_out << "at page " << page + 1 << Qt::endl;
        });
    }
}

ReaderApplication::~ReaderApplication()
{
    m_mediaPlayer.reset();
    // The window's popovers go before the application state they work on, and the application
    // state before the window and services it refers to.
    m_window->releaseDelegate();
    m_delegate.reset();
    m_window.reset();
}

void ReaderApplication::start(const QString &path)
{
    // The window opens where the user left it.
    if (const QByteArray geometry = m_defaults->value(settingskeys::mainWindowGeometry).toByteArray();
        geometry.isEmpty() || !m_window->restoreGeometry(geometry))
        m_window->resize(1000, 900);
    m_window->show();
    m_delegate->applicationDidFinishLaunching();
    if (m_canSpeak && m_silent)
        m_window->showNoSoundDevice();
    if (!m_canSpeak)
        m_desktop->showWarningAlert(QStringLiteral("Narrata cannot speak"),
            QStringLiteral("Unfortunately, Narrata could not start the espeak-ng speech engine: its voice data "
                           "(the espeak-ng-data package) is missing. Documents can be read on the screen only."));
    if (!m_defaults->problem().isEmpty())
        std::fprintf(stderr, "narrata: %s\n", qPrintable(m_defaults->problem()));
    if (m_options.mediaControls) {
        m_mediaPlayer = std::make_unique<MediaPlayerBus>(*m_delegate, *m_window);
        if (QString problem; !m_mediaPlayer->registerOnSessionBus(&problem)) {
            std::fprintf(
                stderr, "narrata: media keys and the desktop's media controls are off: %s\n", qPrintable(problem));
            m_mediaPlayer.reset();
        }
    }
    if (!path.isEmpty())
        openFile(path);
    if (!m_options.reportWordPosition.isEmpty())
        QTimer::singleShot(500, this, &ReaderApplication::reportWordPosition);
}

void ReaderApplication::openFile(const QString &path)
{
    m_window->raise();
    m_window->activateWindow();
    if (path.isEmpty())
        return;
    // One file at a time: a refusal's alert runs an event loop, in which the next file handed
    // over must wait for the first to be done with.
    m_pendingFiles.push_back(path);
    if (m_pendingFiles.size() > 1)
        return;
    while (!m_pendingFiles.empty()) {
        if (LocationLinks::isLocationLink(m_pendingFiles.front()))
            m_delegate->links().openLocationLink(m_pendingFiles.front());
        else
            m_delegate->documents().openFileInternal(m_pendingFiles.front());
        m_pendingFiles.pop_front();
    }
}

void ReaderApplication::reportWordPosition()
{
    // Where the word first stands on the page shown, in screen coordinates, so that a test
    // can click it with the real mouse.
    CustomPDFView *view = m_window->pdfView();
    const PDFDocument *document = view->document();
    const qint64 pageIndex = view->currentPageIndex();
    const std::shared_ptr<PDFPage> page
        = document && pageIndex != kNotFound ? document->pageAtIndex(static_cast<int>(pageIndex)) : nullptr;
    const qsizetype at = page ? page->string().indexOf(m_options.reportWordPosition) : -1;
    if (at < 0) {
        m_out << "word not found: " << m_options.reportWordPosition << Qt::endl;
        return;
    }
    const QRectF box = page->characterBoundsAtIndex(at);
    const QPoint inView = view->viewportPointForPagePoint(static_cast<int>(pageIndex), box.center());
    const QPoint onScreen = view->viewport()->mapToGlobal(inView);
    m_out << "word at " << onScreen.x() << ' ' << onScreen.y() << Qt::endl;
}

} // namespace narrata
