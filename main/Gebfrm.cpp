#include "Gebfrm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QApplication>
#include <QPainter>
#include <QStyle>

#include <algorithm>
#include <utility>

#include "EditorGlyphs.h"

#include "CheckRun.h"
#include "Dates.h"
#include "Grid.h"
#include "Ports.h"
#include "Startup.h"
#include "State.h"
#include "ui_Gebfrm.h"

using namespace tmf;

namespace {
const QStringList kOutputChoices = {"Termin", "Jahre", "Tage", "Resttage"};
const QStringList kSortChoices = {"Keine",         "Vorname dann Nachname", "Nachname dann Vorname", "Zeitraum aufsteigend",
                                  "Zeitraum absteigend", "Termin",          "Terminart dann Termin"};
}  // namespace

TGebF::TGebF(QWidget* parent) : QWidget(parent), ui(new Ui::TGebF), Timer1(new QTimer(this)), model(new GridModel(this)) {
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    SetupResizing();
    ui->GroupBox1->setVisible(false);
    ui->GroupBox1->setAutoFillBackground(true);  // it lies over the grid and the lower bar
    ui->GroupBox1->raise();
    SetGlyphs();
    ui->ProzentText->raise();
    ui->Panel5->raise();

    QFont clock("Liberation Sans");
    clock.setPixelSize(21);
    clock.setBold(true);
    ui->Panel3->setFont(clock);
    ui->Panel3->setStyleSheet("color: #ff0000;");
    ui->Label1->setCursor(Qt::PointingHandCursor);
    ui->Prozent->setStyleSheet("QProgressBar { border: none; background: #d4d0c8; } "
                               "QProgressBar::chunk { background: #000080; }");

    model->valueTitle = [this] { return ui->ComboBox1->currentText(); };
    SetupGridView();

    Timer1->setObjectName("Timer1");
    Timer1->setInterval(10000);
    connect(Timer1, &QTimer::timeout, this, &TGebF::Timer1Timer);
    Timer1->start();

    connect(ui->ComboBox1, qOverload<int>(&QComboBox::currentIndexChanged), this, &TGebF::ComboBox1Change);
    connect(ui->ComboBox2, qOverload<int>(&QComboBox::currentIndexChanged), this, &TGebF::ComboBox2Change);
    connect(ui->Ende, &QToolButton::clicked, this, &TGebF::EndeClick);
    ConnectCommands();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && isAncestorOf(now)) lastFocus_ = now;
    });
}

void TGebF::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Disabling the window (a sort, an open dialog) takes the focus from the
    // control that had it; a keyboard user must find it there again.
    if (event->type() == QEvent::EnabledChange && isEnabled() && !focusWidget() && lastFocus_ &&
        lastFocus_->isEnabled() && lastFocus_->isVisibleTo(this))
        lastFocus_->setFocus(Qt::OtherFocusReason);
}

TGebF::~TGebF() {
    // The children go after this destructor: nothing they do while being
    // taken down may reach the parts of the window that are already gone.
    model->valueTitle = nullptr;
    QObject::disconnect(qApp, nullptr, this, nullptr);
    for (QObject* child : findChildren<QObject*>()) QObject::disconnect(child, nullptr, this, nullptr);
    delete ui;
    ui = nullptr;
}

void TGebF::SetGlyphs() {
    QStyle* style = this->style();
    const QSize size(20, 20);
    ui->BitBtn2->setIcon(AddGlyph());
    ui->BitBtn6->setIcon(style->standardIcon(QStyle::SP_DialogApplyButton));
    ui->BitBtn1->setIcon(style->standardIcon(QStyle::SP_FileDialogDetailedView));
    ui->Ende->setIcon(tmf::editor::CancelGlyph());
    for (QToolButton* b : {ui->BitBtn2, ui->BitBtn6, ui->BitBtn1, ui->Ende}) b->setIconSize(size);
}

QIcon TGebF::AddGlyph() {
    // A sheet with a green plus: a new entry.
    return tmf::editor::Glyph(
        [](QPainter& p) {
            p.setPen(QPen(QColor(90, 90, 90), 1));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(2.5, 1.5, 12, 16));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(30, 150, 40));
            p.drawRect(QRectF(11, 6, 3, 12));
            p.drawRect(QRectF(6.5, 10.5, 12, 3));
        },
        false);
}

void TGebF::SetupGridView() {
    QTableView* sg = ui->SG;
    sg->setModel(model);
    sg->verticalHeader()->setVisible(false);
    sg->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    sg->verticalHeader()->setDefaultSectionSize(17);
    sg->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    sg->horizontalHeader()->setFixedHeight(18);
    sg->horizontalHeader()->setHighlightSections(false);
    sg->setSelectionBehavior(QAbstractItemView::SelectRows);
    sg->setSelectionMode(QAbstractItemView::SingleSelection);
    sg->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sg->setShowGrid(true);
    sg->setWordWrap(false);
    sg->setCornerButtonEnabled(false);
    ApplyColumnWidths();
    connect(sg->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TGebF::NoteSelectedEntry);
}

void TGebF::ShowTableChoices() {
    // The value column is filled by the header's output choice and the rows
    // are sorted by its sort choice: the lists say what the grid shows,
    // whichever command loaded, sorted or filled the table.
    const int output = static_cast<int>(EntryTable(HeaderOutputChoice, 0).toInteger().value_or(-1));
    const int sort = static_cast<int>(EntryTable(HeaderSortChoice, 0).asInteger());
    const QSignalBlocker b1(ui->ComboBox1), b2(ui->ComboBox2);
    const auto show = [](QComboBox* box, int index) {
        if (index < 0 || index >= box->count()) index = -1;
        if (box->currentIndex() != index) box->setCurrentIndex(index);
    };
    show(ui->ComboBox1, output);
    show(ui->ComboBox2, sort);
    shownChoices_ = {ui->ComboBox1->currentIndex(), ui->ComboBox2->currentIndex()};
    ui->SG->horizontalHeader()->viewport()->update();  // the value column's title
}

void TGebF::GridChanged() {
    ShowPacedNow();
    ShowTableChoices();
    restoringSelection_ = true;
    model->Reset();
    ApplyColumnWidths();
    ApplyHiddenRows();
    RestoreSelection();
    restoringSelection_ = false;
    if (std::exchange(MainGrid.rowsMoved, false) && !ui->Edit1->text().isEmpty()) Edit1Change();
}

void TGebF::NoteSelectedEntry() {
    if (restoringSelection_) return;
    const int row = SelectedRow();
    if (row >= 1 && row <= LastEntryRow())
        selectedEntry_ = std::as_const(EntryTable).row(row);
    else
        selectedEntry_.reset();
}

void TGebF::RestoreSelection() {
    // A refill resets the view and with it the selection; the entry selected
    // before is looked up by its content, wherever the sort has put it.
    if (!selectedEntry_) return;
    const int last = std::min(LastEntryRow(), ListedRows());
    for (int r = 1; r <= last; ++r) {
        if (std::as_const(EntryTable).row(r) == *selectedEntry_) {
            ui->SG->selectionModel()->setCurrentIndex(model->index(r - 1, 0),
                                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            return;
        }
    }
    selectedEntry_.reset();
}

void TGebF::ApplyHiddenRows() {
    const int rows = MainGrid.rowCount();
    for (int r = 1; r < rows; ++r)
        if (MainGrid.hidden[static_cast<std::size_t>(r)]) ui->SG->setRowHidden(r - 1, true);  // grid row r is model row r - 1
}

RepaintPacer* TGebF::PacerFor(QWidget* control) {
    for (RepaintPacer* pacer : pacers_)
        if (pacer->parent() == control) return pacer;
    pacers_.push_back(new RepaintPacer(control));
    return pacers_.back();
}

void TGebF::ShowPacedNow() {
    for (RepaintPacer* pacer : pacers_) pacer->Flush();
}

void TGebF::SetStatusPanel(int panel, const std::string& text) {
    QLabel* labels[] = {ui->StatusPanel0, ui->StatusPanel1, ui->StatusPanel2};
    if (panel < 0 || panel >= 3) return;
    QLabel* label = labels[panel];
    PacerFor(label)->Change([&] { label->setText(QString::fromStdString(text)); });
}

void TGebF::SetProgressText(const std::string& text) {
    // A long operation repeats its text with every report.
    if (text != shownProgressText_) {
        shownProgressText_ = text;
        PacerFor(ui->ProzentText)->Change([&] { ui->ProzentText->setText(QString::fromStdString(text)); });
    }
    if (ui->Prozent->value() >= 100) ShowPacedNow();  // "Fertig": the operation is over
}

void TGebF::SetProgressValue(int percent) {
    if (percent != ui->Prozent->value()) PacerFor(ui->Prozent)->Change([&] { ui->Prozent->setValue(percent); });
    if (percent >= 100) ShowPacedNow();
}

void TGebF::SetEnabled(bool enabled) {
    ShowPacedNow();
    setEnabled(enabled);
}

WindowRect TGebF::Geometry() {
    // pos() is where move() put the window, frame included, and the size is
    // the client size: the same numbers before and after the window
    // manager has framed it, so stored offsets do not drift from run to run.
    return {pos().x(), pos().y(), width(), height()};
}


void TGebF::FillChoiceLists(int outputChoice, int sortChoice) {
    const QSignalBlocker b1(ui->ComboBox1);
    const QSignalBlocker b2(ui->ComboBox2);
    ui->ComboBox1->clear();
    ui->ComboBox1->addItems(kOutputChoices);
    ui->ComboBox1->setCurrentIndex(outputChoice >= 0 && outputChoice < kOutputChoices.size() ? outputChoice : -1);
    ui->ComboBox2->clear();
    ui->ComboBox2->addItems(kSortChoices);
    ui->ComboBox2->setCurrentIndex(sortChoice >= 0 && sortChoice < kSortChoices.size() ? sortChoice : -1);
    shownChoices_ = {ui->ComboBox1->currentIndex(), ui->ComboBox2->currentIndex()};
}

int TGebF::SortChoiceIndex() { return ui->ComboBox2->currentIndex(); }

void TGebF::SetCaption(const std::string& caption) { setWindowTitle(QString::fromStdString(caption)); }
void TGebF::ShowWindow() { show(); }
void TGebF::HideInternalGroup() { ui->GroupBox1->setVisible(false); }

QString TGebF::ClockLine() {
    const auto today = Today();
    const TimeOfDay now = ThePlatform().clock->Now();
    return QString::fromStdString(WeekdayName(today) + ", " + FormatDate(today) + "  ") +
           QString("%1:%2").arg(now.hour, 2, 10, QChar('0')).arg(now.minute, 2, 10, QChar('0'));
}

void TGebF::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    shownOnce_ = true;
    FormShow();
}

void TGebF::FormShow() { ui->Panel3->setText(ClockLine()); }
void TGebF::Timer1Timer() { ui->Panel3->setText(ClockLine()); }

bool TGebF::RefuseWhileBusy() {
    if (!TableOperationRunning() && !CheckRunning()) return false;
    // The table may hold another file of the check run, or be half sorted,
    // half filled: nothing may touch it now. The lists go back to what the
    // grid shows, so they do not show a choice that was not carried out.
    QSignalBlocker b1(ui->ComboBox1), b2(ui->ComboBox2);
    ui->ComboBox1->setCurrentIndex(shownChoices_.first);
    ui->ComboBox2->setCurrentIndex(shownChoices_.second);
    ThePlatform().sound->Beep();
    return true;
}

void TGebF::ComboBox1Change(int index) {
    if (RefuseWhileBusy()) return;
    EntryTable(HeaderOutputChoice, 0) = Cell(std::to_string(index));
    FillGrid();
    ui->SG->horizontalHeader()->viewport()->update();
}

void TGebF::ComboBox2Change(int index) {
    if (RefuseWhileBusy()) return;
    EntryTable(HeaderSortChoice, 0) = Cell(std::to_string(index));
    SortAndFillGrid();
}

bool TGebF::EndProgram() {
    // The exit saves the table under the current file's name; during a check
    // run it holds another file, during a fill or sort a half-done table.
    if (RefuseWhileBusy()) return false;
    if (!ExitProcedure()) return false;
    QuitProgram();
    return true;
}

void TGebF::EndeClick() { EndProgram(); }

bool TGebF::mainLoopRunning = false;

void TGebF::QuitProgram() {
    SetProgramEnding(true);
    SaveWindowSize();
    // Closing every window also ends a modal loop the end was reached from
    // (the splash's countdown); the main loop is only told to end once it runs,
    // because a quit before it starts would stop every later modal loop.
    for (QWidget* w : QApplication::topLevelWidgets()) w->close();
    if (mainLoopRunning) QCoreApplication::exit(0);
}

void TGebF::closeEvent(QCloseEvent* event) {
    if (ProgramEnding()) {
        event->accept();
        return;
    }
    // The close box runs the exit procedure; a cancelled save question keeps
    // the window open.
    event->ignore();
    EndeClick();
}
