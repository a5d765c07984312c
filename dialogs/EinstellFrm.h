#pragma once
// The settings: when the check runs, the background mode with its countdown,
// and the files the check covers. Every change goes straight into the shared
// settings lines and the check list; there is no cancel, only "OK".
#include <QDialog>

namespace Ui {
class TEinstellF;
}

class TEinstellF : public QDialog {
    Q_OBJECT
public:
    explicit TEinstellF(QWidget* parent = nullptr);
    ~TEinstellF() override;

    Ui::TEinstellF* ui;

    // The check-list slot a line of ListBox1 stands for.
    int SlotOfRow(int row) const;
    // The slot of the selected line, -1 when none is selected.
    int SelectedSlot() const;

public slots:
    void FormShow();
    void CheckBox1Click(bool checked);
    void CheckBox2Click(bool checked);
    void CheckBox3Click(bool checked);
    void SpinEdit1Change(int value);
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void ListBox1DblClick();
    void BitBtn4Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void RefillControls();
    bool busy_ = false;
};
