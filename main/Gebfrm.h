#pragma once
// The main window: the current file's entries in the grid, the output and
// sort choices, the clock line and every command; its close runs the exit
// procedure.
#include <QIcon>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "EntryTable.h"
#include "GridModel.h"
#include "RepaintPacer.h"
#include "Views.h"

namespace Ui {
class TGebF;
}
class QDialog;
class QMenu;

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

    // The other windows, known once they exist.
    QDialog* EinstellF = nullptr;
    QDialog* AuswahlF = nullptr;
    QWidget* InternF = nullptr;
    QDialog* Wukfrm = nullptr;
    // The entry editor, reached through the program: modal for a new entry,
    // non-modal for an entry of the grid; closed without taking over when the
    // entry is deleted from the popup menu.
    std::function<void()> openEditorModal;
    std::function<void()> openEditorNonModal;
    std::function<bool()> editorOpen;
    std::function<void()> closeEditor;

    // The grid row selected in SG (0 when none).
    int SelectedRow() const;

public slots:
    void FormShow();
    void Timer1Timer();
    void ComboBox1Change(int index);
    void ComboBox2Change(int index);
    void EndeClick();
    void Edit1Change();
    void Label1Click();
    void BitBtn2Click();
    void SGDblClick(int gridRow);
    void Lschen1Click();
    void BitBtn6Click();
    void BitBtn1Click();
    void BitBtn11Click();
    void BitBtn8Click();
    void BitBtn5Click();
    void BitBtn9Click();
    void BitBtn9KeyPress(int key);
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void BitBtn12Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn7Click();
    // Popup menu: the current file's dates from an address book and to a
    // calendar file.
    void VCardImportClick();
    void ICalendarExportClick();

    // The window's smallest size, at which it opens the first time.
    static QSize FormSize();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void ApplyColumnWidths();
    void closeEvent(QCloseEvent* event) override;  // FormCloseQuery
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Anchor {
        QWidget* widget;
        QRect form;  // its place at the form size
        unsigned edges;
    };
    void SetupResizing();
    void SaveWindowSize();
    bool SizedByUser() const;
    // The size the program opened the window at, and whether it was changed since.
    QSize programSize_;
    bool userResized_ = false;
    std::vector<Anchor> anchors_;
    bool shownOnce_ = false;
    void ApplyHiddenRows();
    // The output and sort lists show the choices in the table's header.
    void ShowTableChoices();
    // What the lists showed at the last fill: output, sort.
    std::pair<int, int> shownChoices_{-1, -1};
    // The control that had the focus last, given back after the window was disabled.
    QPointer<QWidget> lastFocus_;
    void SetupGridView();
    // The status panels and the progress area change every tenth row of a
    // long operation; each paints at most once a frame.
    RepaintPacer* PacerFor(QWidget* control);
    void ShowPacedNow();
    std::vector<RepaintPacer*> pacers_;
    std::string shownProgressText_;
    // True (with a beep) while a check run or another table operation is
    // under way: commands that touch the table must not run then.
    bool RefuseWhileBusy();
    void SetGlyphs();
    static QIcon AddGlyph();
    void ConnectCommands();
    void SetRowVisible(int gridRow, bool visible);
    // After the current file failed to load in a manual check: go on with
    // "TestDatei.tmf" rather than with entries of another file.
    void RecoverCurrentFile();
    // Loads path as the current file or, when it cannot be loaded, puts the
    // check list back as it was; true when it became current.
    bool MakeCurrent(const std::string& path, bool exists);
    // The selection outlives a refill of the grid while its entry is there.
    void NoteSelectedEntry();
    void RestoreSelection();
    QMenu* PopupMenu1 = nullptr;
    std::optional<tmf::Row> selectedEntry_;
    bool restoringSelection_ = false;
    int searchDepth_ = 0;
    unsigned searchRuns_ = 0;  // searches started, nested ones included
};
