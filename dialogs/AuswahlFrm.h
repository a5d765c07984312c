#pragma once
// Printing: one tickable line per entry of the main list; the ticked ones
// are printed in the list's order, with their contact lines if asked.
#include <QDialog>
#include <QFont>
#include <memory>
#include <string>
#include <vector>

#include "PrintCanvas.h"

class QPrinter;

namespace Ui {
class TAuswahlF;
}

class TAuswahlF : public QDialog {
    Q_OBJECT
public:
    explicit TAuswahlF(QWidget* parent = nullptr);
    ~TAuswahlF() override;

    Ui::TAuswahlF* ui;

    // The printer and its font stay chosen for the next print of the run.
    QPrinter& Printer() { return *printer_; }
    QFont printFont;

    // The rows (1..) whose lines are ticked, in the list's order.
    std::vector<int> TickedRows() const;
    // "file - vom dd.mm.yyyy um HH:NN"
    static std::string HeaderLine();
    // Lays the ticked entries out on canvas (steps 3 to 7 of a print).
    void Print(tmf::PrintCanvas& canvas);

public slots:
    void FormShow();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn4Click();
    void BitBtn3Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SetAllTicks(bool ticked);
    std::unique_ptr<QPrinter> printer_;
};
