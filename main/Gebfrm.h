#pragma once
// The main window: the current file's entries in the grid, the output and
// sort choices, the clock line and every command; its close runs the exit
// procedure.
#include <QTimer>
#include <QWidget>

#include "GridModel.h"
#include "Views.h"

namespace Ui {
class TGebF;
}

class TGebF : public QWidget, public tmf::MainView {
    Q_OBJECT
public:
    explicit TGebF(QWidget* parent = nullptr);
    ~TGebF() override;

    // MainView
    void GridChanged() override;
    void SetStatusPanel(int panel, const std::string& text) override;
    void SetProgressText(const std::string& text) override;
    void SetProgressValue(int percent) override;
    void SetEnabled(bool enabled) override;
    tmf::WindowRect Geometry() override;
    void MoveTo(int left, int top) override;
    void FillChoiceLists(int outputChoice, int sortChoice) override;
    int SortChoiceIndex() override;
    void SetCaption(const std::string& caption) override;
    void ShowWindow() override;
    void HideInternalGroup() override;
    bool EndProgram() override;
    void QuitProgram() override;

    Ui::TGebF* ui;
    QTimer* Timer1;
    GridModel* model;

    // Set by the program right before it enters its main event loop.
    static bool mainLoopRunning;

    // The clock line: weekday, date and time of day.
    static QString ClockLine();

public slots:
    void FormShow();
    void Timer1Timer();
    void ComboBox1Change(int index);
    void ComboBox2Change(int index);
    void EndeClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;  // FormCloseQuery

private:
    void ApplyHiddenRows();
    void SetupGridView();
};
