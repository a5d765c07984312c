#include "QtDialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QPushButton>

#include "AppointmentFileDialog.h"

namespace tmf::qt {

namespace {

QMessageBox::Icon IconOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Warning:
            return QMessageBox::Warning;
        case MessageKind::Error:
            return QMessageBox::Critical;
        case MessageKind::Confirmation:
            return QMessageBox::Question;
        case MessageKind::Information:
            break;
    }
    return QMessageBox::Information;
}

std::optional<std::string> RunFileDialog(AppointmentFileDialog::Purpose purpose,
                                         const Dialogs::FileRequest& request) {
    AppointmentFileDialog dialog(DialogParent(), purpose, request);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return files.first().toStdString();
}

}  // namespace

QString ToDisplayText(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

QWidget* DialogParent() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

void SetUpMessageBox(QMessageBox& box, const QString& text, MessageKind kind, Buttons buttons) {
    box.setWindowTitle(QApplication::applicationName());
    box.setIcon(IconOf(kind));
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    if (buttons == Buttons::Ok) {
        box.addButton(QMessageBox::Ok)->setText(QStringLiteral("OK"));
        return;
    }
    // As on a German desktop: J answers "Ja", N "Nein" (the box takes a
    // button's mnemonic letter without Alt), and Abbrechen has none: Esc.
    QPushButton* yes = box.addButton(QMessageBox::Yes);
    yes->setText(QStringLiteral("&Ja"));
    QPushButton* no = box.addButton(QMessageBox::No);
    no->setText(QStringLiteral("&Nein"));
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    if (buttons == Buttons::YesNoCancel) {
        QPushButton* cancel = box.addButton(QMessageBox::Cancel);
        cancel->setText(QStringLiteral("Abbrechen"));
        box.setEscapeButton(cancel);
    }
}

Answer AnswerOf(const QMessageBox& box, Buttons buttons) {
    switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Cancel:
            return Answer::Cancel;
        case QMessageBox::Ok:
            return Answer::Ok;
        default:
            break;
    }
    // Closed some other way: the same as Escape.
    switch (buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::YesNo:
            return Answer::No;
        case Buttons::YesNoCancel:
            return Answer::Cancel;
    }
    return Answer::Cancel;
}

void QtDialogs::ShowMessage(const std::string& text, MessageKind kind) {
    QMessageBox box(DialogParent());
    SetUpMessageBox(box, ToDisplayText(text), kind, Buttons::Ok);
    box.exec();
}

Answer QtDialogs::Ask(const std::string& text, MessageKind kind, Buttons buttons) {
    QMessageBox box(DialogParent());
    SetUpMessageBox(box, ToDisplayText(text), kind, buttons);
    box.exec();
    return AnswerOf(box, buttons);
}

std::string QtDialogs::InputBox(const std::string& caption, const std::string& prompt,
                                const std::string& defaultText) {
    QInputDialog dialog(DialogParent());
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(QString::fromStdString(caption));
    dialog.setLabelText(ToDisplayText(prompt));
    dialog.setTextValue(QString::fromStdString(defaultText));
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Abbrechen"));
    if (dialog.exec() != QDialog::Accepted) return defaultText;
    return dialog.textValue().toStdString();
}

namespace {

Dialogs::FileRequest InFolderLastGiven(const Dialogs::FileRequest& request, std::string& lastFolder) {
    Dialogs::FileRequest r = request;
    if (r.folder.empty())
        r.folder = lastFolder;
    else
        lastFolder = r.folder;
    return r;
}

}  // namespace

std::optional<std::string> QtDialogs::OpenFileName(const FileRequest& request) {
    return RunFileDialog(AppointmentFileDialog::Purpose::Open, InFolderLastGiven(request, openFolder_));
}

std::optional<std::string> QtDialogs::SaveFileName(const FileRequest& request) {
    return RunFileDialog(AppointmentFileDialog::Purpose::Save, InFolderLastGiven(request, saveFolder_));
}

}  // namespace tmf::qt
