#pragma once
// The file picker for appointment files: Qt's own dialog rather than the
// desktop's, so that it speaks German wherever it runs and tests can drive it.
#include <QFileDialog>

#include "Ports.h"

namespace tmf::qt {

class AppointmentFileDialog : public QFileDialog {
    Q_OBJECT
public:
    enum class Purpose { Open, Save };
    static const QString kFilter;  // "Termifoliodateien (*.tmf)"

    AppointmentFileDialog(QWidget* parent, Purpose purpose, const Dialogs::FileRequest& request);

    // The question asked before a name that does not exist is accepted.
    static QString CreateQuestion(const QString& path);

protected:
    // A typed pattern such as the preset "*.tmf" is not a file name and is
    // never handed back; a missing file is only accepted after a Yes when
    // the caller asked for that question.
    void accept() override;

private:
    bool askToCreate_ = false;
};

}  // namespace tmf::qt
