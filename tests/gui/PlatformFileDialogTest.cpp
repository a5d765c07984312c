// The appointment-file pickers: what they list and preset, and which names
// they hand back. The preset "*.tmf" is a pattern, never a file name.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include <filesystem>

#include "AppointmentFileDialog.h"
#include "PlatformTestSupport.h"
#include "QtDialogs.h"
#include "TempDir.h"

using tmf::Dialogs;
using tmf::qt::AppointmentFileDialog;
using tmf::qt::QtDialogs;
using tmf::test::WhenShown;

namespace {

QLineEdit* NameField(QFileDialog* d) {
    return d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

// Types name into the name field and presses the dialog's accept button.
// Typing there unselects the listed file, as it does with the focus in it.
void TypeAndAccept(QFileDialog* d, const QString& name) {
    if (auto* view = d->findChild<QAbstractItemView*>(QStringLiteral("listView"))) view->clearSelection();
    NameField(d)->setText(name);
    QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
}

// The names the listing shows for the dialog's folder once it is loaded.
QStringList ListedNames(QFileDialog* d) {
    auto* view = d->findChild<QAbstractItemView*>(QStringLiteral("listView"));
    QStringList names;
    if (!view) return names;
    (void)QTest::qWaitFor([view] { return view->model()->rowCount(view->rootIndex()) > 0; }, 5000);
    const QModelIndex root = view->rootIndex();
    for (int r = 0; r < view->model()->rowCount(root); ++r)
        names << view->model()->index(r, 0, root).data().toString();
    names.sort();
    return names;
}

class PlatformFileDialog : public ::testing::Test {
protected:
    // Qt's file dialog keeps its history in the user's settings; ours stays
    // in the test folder.
    void SetUp() override {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(dir.file("cfg")));
        dir.write("Familie.tmf", "x");
        dir.write("Verein.tmf", "x");
        dir.write("Notizen.txt", "x");
        dir.write("Liste.dat", "x");
    }
    void TearDown() override {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    }
    Dialogs::FileRequest Request(const std::string& title, bool askToCreate) const {
        return {title, dir.path(), "*.tmf", askToCreate};
    }
    tmf::test::TempDir dir;
    QtDialogs dialogs;
};

}  // namespace

TEST_F(PlatformFileDialog, TheOpenDialogListsOnlyAppointmentFilesUnderItsTitleAndPresets) {
    QString title, folder, nameField;
    QStringList filters, listed;
    int checkBoxes = -1;
    bool native = true;
    WhenShown<QFileDialog>([&](QFileDialog* d) {
        title = d->windowTitle();
        folder = d->directory().absolutePath();
        nameField = NameField(d)->text();
        filters = d->nameFilters();
        listed = ListedNames(d);
        checkBoxes = static_cast<int>(d->findChildren<QCheckBox*>().size());
        native = !d->testOption(QFileDialog::DontUseNativeDialog);
        d->reject();
    });
    EXPECT_FALSE(dialogs.OpenFileName(Request("Datei Anlegen oder Laden .", true)));
    EXPECT_EQ(title, "Datei Anlegen oder Laden .");
    EXPECT_EQ(QDir(folder), QDir(QString::fromStdString(dir.path())));
    EXPECT_EQ(nameField, "*.tmf");
    EXPECT_EQ(filters, QStringList{"Termifoliodateien (*.tmf)"});
    EXPECT_EQ(listed, (QStringList{"Familie.tmf", "Verein.tmf"}));
    EXPECT_EQ(checkBoxes, 0) << "no read-only box";
    EXPECT_FALSE(native);
}

TEST_F(PlatformFileDialog, ARequestWithoutAFolderOpensInTheFolderThatPickerWasLastGiven) {
    std::filesystem::create_directory(dir.file("alt"));
    QStringList folders;
    auto note = [&](QFileDialog* d) {
        folders << QDir(d->directory().absolutePath()).canonicalPath();
        d->reject();
    };
    const std::string other = dir.file("alt");
    for (int i = 0; i < 4; ++i) WhenShown<QFileDialog>(note);
    EXPECT_FALSE(dialogs.OpenFileName(Request("Datei löschen", false)));
    EXPECT_FALSE(dialogs.SaveFileName({"Datei Speichern", other, "*.tmf", false}));
    EXPECT_FALSE(dialogs.OpenFileName({"Welche Datei soll Umgewandelt werden ?", "", "*.tmf", true}));
    EXPECT_FALSE(dialogs.SaveFileName({"Umgewandelte Datei Speichern als ?", "", "*.tmf", false}));
    const QString first = QDir(QString::fromStdString(dir.path())).canonicalPath();
    const QString second = QDir(QString::fromStdString(other)).canonicalPath();
    EXPECT_EQ(folders, (QStringList{first, second, first, second}));
}

TEST_F(PlatformFileDialog, AcceptingThePresetPatternKeepsTheDialogOpen) {
    bool stillOpen = false;
    WhenShown<QFileDialog>([&](QFileDialog* d) {
        TypeAndAccept(d, QStringLiteral("*.tmf"));
        QTest::qWait(100);
        stillOpen = d->isVisible();
        d->reject();
    });
    EXPECT_FALSE(dialogs.OpenFileName(Request("Datei löschen", false)));
    EXPECT_TRUE(stillOpen);
}

TEST_F(PlatformFileDialog, AnExistingFileIsHandedBackWithItsFullPath) {
    WhenShown<QFileDialog>([](QFileDialog* d) { TypeAndAccept(d, QStringLiteral("Verein.tmf")); });
    EXPECT_EQ(dialogs.OpenFileName(Request("Datei Anlegen oder Laden .", true)), dir.file("Verein.tmf"));
}

TEST_F(PlatformFileDialog, AMissingNameIsOnlyTakenAfterJaToTheQuestion) {
    QString question;
    WhenShown<QFileDialog>([&](QFileDialog* d) {
        WhenShown<QMessageBox>([&](QMessageBox* box) {
            question = box->text();
            for (QAbstractButton* b : box->buttons()) {
                if (b->text().remove('&') == "Ja") b->click();
            }
        });
        TypeAndAccept(d, QStringLiteral("Neu"));
    });
    EXPECT_EQ(dialogs.OpenFileName(Request("Datei Anlegen oder Laden .", true)), dir.file("Neu.tmf"));
    EXPECT_EQ(question, AppointmentFileDialog::CreateQuestion(QString::fromStdString(dir.file("Neu.tmf"))));
    EXPECT_FALSE(std::filesystem::exists(dir.file("Neu.tmf"))) << "creating it is the caller's business";
}

TEST_F(PlatformFileDialog, NeinToTheQuestionCancelsTheWholeDialog) {
    WhenShown<QFileDialog>([&](QFileDialog* d) {
        WhenShown<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
        TypeAndAccept(d, QStringLiteral("Neu.tmf"));
    });
    EXPECT_FALSE(dialogs.OpenFileName(Request("Datei Anlegen oder Laden .", true)));
}

TEST_F(PlatformFileDialog, WithoutTheQuestionAMissingNameComesBackForTheCallerToJudge) {
    WhenShown<QFileDialog>([](QFileDialog* d) { TypeAndAccept(d, QStringLiteral("Weg.tmf")); });
    EXPECT_EQ(dialogs.OpenFileName(Request("Datei löschen", false)), dir.file("Weg.tmf"));
}

TEST_F(PlatformFileDialog, SavingOverAnExistingFileAsksNothing) {
    WhenShown<QFileDialog>([](QFileDialog* d) {
        // A question box would be the next modal dialog; fail loudly instead.
        TypeAndAccept(d, QStringLiteral("Familie.tmf"));
    });
    Dialogs::FileRequest request{"Datei Speichern", dir.path(), "Familie.tmf", false};
    EXPECT_EQ(dialogs.SaveFileName(request), dir.file("Familie.tmf"));
}

TEST_F(PlatformFileDialog, TheSaveDialogPresetsTheNameAndAddsTheExtension) {
    QString preset, acceptText;
    WhenShown<QFileDialog>([&](QFileDialog* d) {
        preset = NameField(d)->text();
        acceptText = d->labelText(QFileDialog::Accept);
        TypeAndAccept(d, QStringLiteral("Kopie"));
    });
    Dialogs::FileRequest request{"Datei Speichern", dir.path(), "Familie.tmf", false};
    EXPECT_EQ(dialogs.SaveFileName(request), dir.file("Kopie.tmf"));
    EXPECT_EQ(preset, "Familie.tmf");
    EXPECT_EQ(acceptText, "Speichern");
}
