#pragma once
// The entry editor: one entry of the current file created, changed or
// deleted, and the term names kept. It works straight on the shared state:
// the row EditIndex of EntryTable, EntryCount, Modified and TermNames.
#include <QDialog>
#include <QHash>
#include <cstdint>
#include <optional>

#include "EntryTable.h"

namespace Ui {
class TEinF;
}

class TEinF : public QDialog {
    Q_OBJECT
public:
    explicit TEinF(QWidget* parent = nullptr);
    ~TEinF() override;

    // "Eintrag NEU" and "Prüfen". An editor that is open without being modal
    // closes first without taking over; the caller has already set
    // EditorMode for the new call, and the editor then shows that.
    void ShowModal();
    // "Eintrag BEARBEITEN": the main window stays usable. A second call while
    // the editor is open only brings it to the front; it goes on with the
    // entry it was opened with.
    void ShowNonModal();
    bool IsOpen() const;
    // The main window's own delete closes an open editor this way.
    void CloseWithoutTakeOver();

    // Index of the term last chosen in ComboBox1; a new entry starts with it.
    std::uint8_t LastTermChoice = 0;

    Ui::TEinF* ui;

public slots:
    void FormShow();
    void FormCloseQuery();
    void bitbtn2Click();
    void BitBtn3Click();
    void BitBtn1Click();
    void BitBtn4Click();
    void BitBtn5Click();
    void MaskEdit1Exit();
    void ComboBox1Change();

    void Edit1KeyPress();
    void Edit2KeyPress();
    void MaskEdit1KeyPress();
    void War1KeyPress();
    void War2KeyPress();
    void ComboBox1KeyPress();

    void Edit1Change();
    void Edit2Change();
    void MaskEdit1Change();
    void Memo3Change();
    void Memo7Change();
    void Memo8Change();
    void War1Change();
    void War2Change();
    void CheckBox1Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;
    void done(int result) override;

private:
    void SetUpLook();
    void ConnectHandlers();
    void FillTermList();
    void FillFromEntry(int row);
    void UpdateInformationLine();
    void ValidateDateField();
    void Reach(QWidget* field);
    static void SelectFieldText(QWidget* field);
    // Runs the take-over steps; the caller holds the table operation.
    void TakeOver();
    void WriteRow(int row);
    void CopyTermNames();
    bool LocateShownEntry();
    int SelectedTermIndex() const;
    int SortedTermPosition(const QString& name) const;
    // Sets Modified when the content of control really differs from what it
    // held before; filling the fields goes through here as typing does.
    void NoteContent(QObject* control, const QString& content);

    QHash<QObject*, QString> content_;
    // The entry as it was when the editor showed it, so that a take-over
    // after the main window has re-sorted the table still finds its row.
    std::optional<tmf::Row> shownEntry_;
    bool validatingDate_ = false;
    bool takingOver_ = false;
};
