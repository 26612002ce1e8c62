#include "wordmappingseditor.h"

#include "ui_wordmappingseditor.h"

#include "speech/wordmappings.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLayout>
#include <QSaveFile>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>

namespace narrata {

WordMappingsEditor::WordMappingsEditor(WordMappingsFile &file, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , ui(std::make_unique<Ui::WordMappingsEditor>())
    , m_file(file)
{
    ui->setupUi(this);
    ui->textViewCustomPronunciationEditor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    connect(ui->buttonOK, &QPushButton::clicked, this, &WordMappingsEditor::buttonClickedCustomPronunciationEditorOK);
    connect(ui->buttonCancel, &QPushButton::clicked, this,
        &WordMappingsEditor::buttonClickedCustomPronunciationEditorCanceled);

    m_file.setTextOverride([this]() -> std::optional<QString> {
        if (!isVisible())
            return std::nullopt;
        return ui->textViewCustomPronunciationEditor->toPlainText();
    });
}

WordMappingsEditor::~WordMappingsEditor()
{
    m_file.setTextOverride({});
}

void WordMappingsEditor::menuClickedEditCustomPronunciations()
{
    ui->labelStatus->clear();
    QPlainTextEdit *editor = ui->textViewCustomPronunciationEditor;
    if (editor->toPlainText().isEmpty() && QFileInfo::exists(m_file.path())) {
        QFile file(m_file.path());
        if (file.open(QIODevice::ReadOnly))
            editor->setPlainText(QString::fromUtf8(file.readAll()));
        else
            showProblem(tr("Could not read: %1").arg(file.errorString()));
    }
    if (!isVisible())
        fitWidthToLongestLine();
    show();
    raise();
    activateWindow();
}

void WordMappingsEditor::fitWidthToLongestLine()
{
    // The file explains itself in comment lines that must not wrap (each line means something),
    // so the window opens wide enough for the longest, within the screen.
    const QPlainTextEdit &editor = *ui->textViewCustomPronunciationEditor;
    int longest = 0;
    for (const QString &line : editor.toPlainText().split(QLatin1Char('\n')))
        longest = std::max(longest, editor.fontMetrics().horizontalAdvance(line));
    const QMargins margins = layout()->contentsMargins();
    const int chrome = 2 * editor.frameWidth() + editor.verticalScrollBar()->sizeHint().width()
        + 2 * static_cast<int>(editor.document()->documentMargin()) + margins.left() + margins.right() + 8;
    const QScreen *screen = this->screen();
    const int widest = screen ? screen->availableGeometry().width() * 9 / 10 : longest + chrome;
    resize(std::clamp(longest + chrome, width(), std::max(width(), widest)), height());
}

void WordMappingsEditor::buttonClickedCustomPronunciationEditorOK()
{
    // Without a file there is nothing to replace; creating one is left to the start-up check.
    if (QFileInfo::exists(m_file.path())) {
        // Unbuffered and checked whole: on a full disk a short write must keep the old file.
        const QByteArray text = ui->textViewCustomPronunciationEditor->toPlainText().toUtf8();
        QSaveFile file(m_file.path());
        const bool saved = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(text) == text.size()
            && file.commit();
        if (!saved) {
            showProblem(tr("Could not save: %1").arg(file.errorString()));
            return;
        }
    }
    ui->labelStatus->clear();
    close();
}

void WordMappingsEditor::buttonClickedCustomPronunciationEditorCanceled()
{
    ui->textViewCustomPronunciationEditor->clear();
    ui->labelStatus->clear();
    close();
}

void WordMappingsEditor::showProblem(const QString &problem)
{
    ui->labelStatus->setText(problem);
}

} // namespace narrata
