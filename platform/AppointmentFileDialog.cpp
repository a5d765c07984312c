#include "AppointmentFileDialog.h"

#include <QDir>
#include <QFileInfo>

#include "QtDialogs.h"

namespace tmf::qt {

const QString AppointmentFileDialog::kFilter = QStringLiteral("Termifoliodateien (*.tmf)");

namespace {
bool IsPattern(const QString& name) {
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
}
}  // namespace

AppointmentFileDialog::AppointmentFileDialog(QWidget* parent, Purpose purpose,
                                             const Dialogs::FileRequest& request)
    : QFileDialog(parent, QString::fromStdString(request.title), QString::fromStdString(request.folder)),
      askToCreate_(purpose == Purpose::Open && request.askToCreate) {
    setObjectName(purpose == Purpose::Open ? QStringLiteral("OpenDialog1") : QStringLiteral("SaveDialog1"));
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::DontConfirmOverwrite);
    setAcceptMode(purpose == Purpose::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    // Missing names must come through: the open dialog may create the file
    // and the delete command handles a missing one itself.
    setFileMode(QFileDialog::AnyFile);
    setNameFilters({request.filter.empty() ? kFilter : QString::fromStdString(request.filter)});
    setDefaultSuffix(request.defaultSuffix.empty() ? QStringLiteral("tmf") : QString::fromStdString(request.defaultSuffix));
    setLabelText(QFileDialog::LookIn, QStringLiteral("Suchen in:"));
    setLabelText(QFileDialog::FileName, QStringLiteral("Dateiname:"));
    setLabelText(QFileDialog::FileType, QStringLiteral("Dateityp:"));
    setLabelText(QFileDialog::Accept,
                 purpose == Purpose::Open ? QStringLiteral("Öffnen") : QStringLiteral("Speichern"));
    setLabelText(QFileDialog::Reject, QStringLiteral("Abbrechen"));
    if (!request.fileName.empty()) selectFile(QString::fromStdString(request.fileName));
}

QString AppointmentFileDialog::CreateQuestion(const QString& path) {
    return path + QStringLiteral("\nDiese Datei ist nicht vorhanden.\nSoll sie erstellt werden?");
}

void AppointmentFileDialog::accept() {
    const QStringList files = selectedFiles();
    if (files.isEmpty()) return QFileDialog::accept();
    const QFileInfo chosen(files.first());
    if (chosen.isDir()) return QFileDialog::accept();  // opens the folder
    if (IsPattern(chosen.fileName())) return;
    if (askToCreate_ && !chosen.exists()) {
        QMessageBox box(this);
        SetUpMessageBox(box, CreateQuestion(QDir::toNativeSeparators(chosen.absoluteFilePath())),
                        MessageKind::Confirmation, Buttons::YesNo);
        box.setWindowTitle(windowTitle());
        box.exec();
        if (AnswerOf(box, Buttons::YesNo) != Answer::Yes) return reject();
    }
    QFileDialog::accept();
}

}  // namespace tmf::qt
