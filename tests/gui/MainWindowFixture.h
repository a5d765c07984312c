#pragma once
// The main window started on one file, with its grid, search box and label
// at hand and the entry editor counted instead of opened.
#include <QLineEdit>

#include "ProgramFixture.h"

namespace tmf::test {

class MainWindow : public ProgramTest {
protected:
    void StartWith(const std::vector<EntrySpec>& entries, int sortChoice = 0, int outputChoice = 0) {
        current = data + "Familie.tmf";
        WriteAppointmentFileBytes(current, AppointmentFileBytes(entries, "07.12.2026", outputChoice, sortChoice));
        WriteCheckList({current}, /*atStart=*/false);
        ASSERT_TRUE(Start());
        main = program->GebF.get();
        main->openEditorModal = [this] { ++modalEditors; };
        main->openEditorNonModal = [this] { ++nonModalEditors; };
        sg = main->findChild<QTableView*>("SG");
        label = main->findChild<QLabel*>("Label1");
        search = main->findChild<QLineEdit*>("Edit1");
        platform.clearRecords();
    }
    int VisibleRows() const {
        int visible = 0;
        for (int r = 0; r < sg->model()->rowCount(); ++r) visible += sg->isRowHidden(r) ? 0 : 1;
        return visible;
    }
    void SelectGridRow(int gridRow) { sg->selectRow(gridRow - 1); }

    std::string current;
    TGebF* main = nullptr;
    QTableView* sg = nullptr;
    QLabel* label = nullptr;
    QLineEdit* search = nullptr;
    int modalEditors = 0;
    int nonModalEditors = 0;
};

}  // namespace tmf::test
