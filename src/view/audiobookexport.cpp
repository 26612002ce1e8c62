#include "audiobookexport.h"

#include "documents/showndocument.h"
#include "platform/pdf/pdfdocument.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolButton>

namespace narrata {

namespace {

// narrata-cli beside the window's program when installed, in the build tree when run from it,
// else wherever PATH finds it.
QString cliProgram()
{
    QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/narrata-cli");
    if (QFileInfo(beside).isExecutable())
        return beside;
#ifdef NARRATA_CLI_BUILD_PATH
    if (QFileInfo(QStringLiteral(NARRATA_CLI_BUILD_PATH)).isExecutable())
        return QStringLiteral(NARRATA_CLI_BUILD_PATH);
#endif
    return QStandardPaths::findExecutable(QStringLiteral("narrata-cli"));
}

} // namespace

AudiobookExport::AudiobookExport(ShownDocument &documents, QStatusBar &statusBar, QWidget &window)
    : m_documents(documents)
    , m_statusBar(statusBar)
    , m_window(window)
    , m_bar(new QProgressBar(&statusBar))
    , m_cancel(new QToolButton(&statusBar))
{
    m_bar->setObjectName(QStringLiteral("audiobookExportProgress"));
    m_bar->setAccessibleName(QStringLiteral("Audiobook export"));
    m_bar->setMaximumWidth(220);
    m_bar->setFormat(QStringLiteral("Audiobook %p%"));
    m_cancel->setObjectName(QStringLiteral("audiobookExportCancel"));
    m_cancel->setText(QStringLiteral("Cancel"));
    m_cancel->setToolTip(QStringLiteral("Stop exporting the audiobook"));
    m_cancel->setAutoRaise(true);
    statusBar.addPermanentWidget(m_bar);
    statusBar.addPermanentWidget(m_cancel);
    m_bar->hide();
    m_cancel->hide();
    connect(m_cancel, &QToolButton::clicked, this, &AudiobookExport::cancel);
}

AudiobookExport::~AudiobookExport()
{
    // Quitting stops an export the way Ctrl-C does: it removes what it had written.
    if (m_process) {
        m_process->terminate();
        m_process->waitForFinished(5000);
    }
}

void AudiobookExport::exportAudiobook()
{
    if (isRunning() || !m_documents.pdfDocument()) {
        QApplication::beep();
        return;
    }
    const QString name = QFileInfo(m_window.windowTitle()).completeBaseName();
    auto *dialog = new QFileDialog(&m_window, QStringLiteral("Export Audiobook"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setNameFilters({QStringLiteral("Opus audiobook (*.opus)"), QStringLiteral("FLAC audio (*.flac)"),
        QStringLiteral("MP3 audio (*.mp3)"), QStringLiteral("WAV audio (*.wav)")});
    dialog->setDefaultSuffix(QStringLiteral("opus"));
    dialog->selectFile(name + QStringLiteral(".opus"));
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString &path) { exportTo(path); });
    dialog->open();
}

bool AudiobookExport::exportTo(const QString &path)
{
    QString problem;
    const QString source = isRunning() ? QString() : sourceFile(&problem);
    const QString program = cliProgram();
    if (source.isEmpty() || program.isEmpty()) {
        end(false,
            program.isEmpty() ? QStringLiteral("narrata-cli, which makes audiobooks, is not installed.") : problem);
        return false;
    }
    m_output = path;
    m_cancelled = false;
    m_reading = false;
    m_process = new QProcess(this);
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    connect(m_process, &QProcess::readyReadStandardOutput, this, &AudiobookExport::readProgress);
    connect(m_process, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        const QStringList said = QString::fromUtf8(m_process->readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
        const bool written = status == QProcess::NormalExit && exitCode == 0;
        end(written, m_cancelled ? QStringLiteral("cancelled") : said.value(said.size() - 1).remove(u'\r'));
    });
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->show();
    m_cancel->show();
    m_process->start(program, {QStringLiteral("export"), source, path, QStringLiteral("--report-progress")});
    return true;
}

void AudiobookExport::cancel()
{
    if (!m_process)
        return;
    m_cancelled = true;
    // Taken as Ctrl-C, so nothing is left behind, once the export has begun to read: before,
    // the signal could end it before it is ready to clean up.
    if (m_reading)
        m_process->terminate();
}

QString AudiobookExport::sourceFile(QString *problem)
{
    const QUrl shown = m_documents.representedURL();
    if (!m_documents.pack().isPack() && shown.isLocalFile() && QFileInfo::exists(shown.toLocalFile()))
        return shown.toLocalFile();
    // A pack read as it is shown, its table of contents giving the chapters.
    m_scratch = std::make_unique<QTemporaryDir>();
    QString copy = m_scratch->filePath(QStringLiteral("PDF Pack.pdf"));
    const std::shared_ptr<PDFDocument> document
        = m_documents.pack().copyForWriting(QStringLiteral("PDF Pack.pdf"), true);
    if (!m_scratch->isValid() || !document || !document->writeToFile(copy)) {
        *problem = QStringLiteral("The PDF pack could not be written for reading.");
        return {};
    }
    return copy;
}

void AudiobookExport::readProgress()
{
    static const QRegularExpression page(QStringLiteral("^page (\\d+) of (\\d+)$"));
    static const QRegularExpression encoding(QStringLiteral("^encoding (\\d+)%$"));
    while (m_process && m_process->canReadLine()) {
        const QString line = QString::fromUtf8(m_process->readLine()).trimmed();
        if (!m_reading && m_cancelled)
            m_process->terminate();
        m_reading = true;
        // Reading is most of the work; encoding the last tenth.
        if (const QRegularExpressionMatch match = page.match(line); match.hasMatch())
            m_bar->setValue(90 * match.captured(1).toInt() / std::max(1, match.captured(2).toInt()));
        else if (const QRegularExpressionMatch done = encoding.match(line); done.hasMatch())
            m_bar->setValue(90 + done.captured(1).toInt() / 10);
    }
}

void AudiobookExport::end(bool written, const QString &problem)
{
    if (m_process) {
        m_process->deleteLater();
        m_process = nullptr;
    }
    m_scratch.reset();
    m_bar->hide();
    m_cancel->hide();
    const QString name = QFileInfo(m_output).fileName();
    if (written)
        m_statusBar.showMessage(QStringLiteral("Audiobook saved as %1").arg(name), 10000);
    else if (m_cancelled)
        m_statusBar.showMessage(QStringLiteral("Audiobook export cancelled"), 5000);
    else {
        QApplication::beep();
        QMessageBox::warning(
            &m_window, QStringLiteral("Narrata"), QStringLiteral("Unable to export \"%1\"\n\n%2").arg(name, problem));
    }
    emit finished(written, m_cancelled ? QStringLiteral("cancelled") : problem);
}

} // namespace narrata
