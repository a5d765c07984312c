#pragma once
// German message, question and input boxes and the two file pickers. The
// button texts are set here, so they read German even where Qt's German
// translation is not installed.
#include <QMessageBox>
#include <QString>

#include "Ports.h"

class QWidget;

namespace tmf::qt {

// The core writes line breaks as CR LF and now and then as a lone CR.
QString ToDisplayText(const std::string& text);

// The window our boxes belong to: the modal dialog on top, else the active
// window, else none.
QWidget* DialogParent();

// A box with the program's title, the icon of kind and the German buttons
// of buttons; its text is shown as plain text, never as markup, because it
// carries names and remarks the user typed. The letters J and N answer
// "Ja" and "Nein"; Escape means Abbrechen where there is one, else Nein
// (a question left unanswered changes nothing).
void SetUpMessageBox(QMessageBox& box, const QString& text, MessageKind kind, Buttons buttons);
Answer AnswerOf(const QMessageBox& box, Buttons buttons);

class QtDialogs : public Dialogs {
public:
    void ShowMessage(const std::string& text, MessageKind kind) override;
    Answer Ask(const std::string& text, MessageKind kind, Buttons buttons) override;
    std::string InputBox(const std::string& caption, const std::string& prompt,
                         const std::string& defaultText) override;
    std::optional<std::string> OpenFileName(const FileRequest& request) override;
    std::optional<std::string> SaveFileName(const FileRequest& request) override;

private:
    // Each picker is one dialog of the main window that keeps the folder it
    // was last given: a request without a folder opens there.
    std::string openFolder_;
    std::string saveFolder_;
};

}  // namespace tmf::qt
