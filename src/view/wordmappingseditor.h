#pragma once

#include <QWidget>

#include <memory>

namespace narrata {

class WordMappingsFile;

namespace Ui {
class WordMappingsEditor;
}

// The window editing the word mappings file. While it is open the speech hears its unsaved text,
// so the user can try a mapping before saving it. Closing it keeps the text for the next opening;
// only Cancel throws it away.
class WordMappingsEditor final : public QWidget {
    Q_OBJECT

public:
    explicit WordMappingsEditor(WordMappingsFile &file, QWidget *parent = nullptr);
    ~WordMappingsEditor() override;

    // Loads the file unless the editor still holds text from before, and brings the window up.
    void menuClickedEditCustomPronunciations();
    // Saves the text over the file, if there is one, and closes. When saving fails the window
    // stays open with the reason, so the text is not lost.
    void buttonClickedCustomPronunciationEditorOK();
    // Throws the text away and closes: the file's own mappings apply again.
    void buttonClickedCustomPronunciationEditorCanceled();

private:
    void showProblem(const QString &problem);
    void fitWidthToLongestLine();

    std::unique_ptr<Ui::WordMappingsEditor> ui;
    WordMappingsFile &m_file;
};

} // namespace narrata
