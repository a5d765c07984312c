#include "Einfrm.h"

#include "ListFiles.h"

#include <QCheckBox>
#include <QCollator>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShowEvent>
#include <QSignalBlocker>
#include <algorithm>
#include <utility>

#include "Cell.h"
#include "Cp1252.h"
#include "Dates.h"
#include "EditorGlyphs.h"
#include "EditorMemo.h"
#include "EditorValidators.h"
#include "Grid.h"
#include "Ports.h"
#include "State.h"
#include "Views.h"
#include "ui_Einfrm.h"

using namespace tmf;
using namespace tmf::editor;

namespace {

constexpr int kTopBelowMain = 94;
constexpr int kTermNameLength = 15;
constexpr int kTypedTermNameLength = 12;
// TermNames has one slot more than the list may hold: the end mark.
constexpr int kMaxTermNames = kTermNameSlots - 1;

constexpr const char* kCheckModeNotice =
    "Änderungen werden übernommen aber in der Prüfliste erst beim nächsen Aufruf angezeigt !";
constexpr const char* kNoDeleteWhenNew = "Im Anfügemodus kann nicht gelöscht werden !";
constexpr const char* kReallyDelete = "Wirklich LÖSCHEN ?";
constexpr const char* kTermCaption = "Termineingabe";
constexpr const char* kTermPrompt = "Geben Sie eine zusätzliche Terminbezeichnung ein.";
constexpr const char* kTermTooLong = "Max. 12 Zeichen !";
constexpr const char* kTermListFull =
    "Die Liste der Terminbezeichnungen ist voll: mehr als 100 Bezeichnungen sind nicht möglich !";
constexpr const char* kTableBusy =
    "Die Einträge werden gerade bearbeitet. Bitte versuchen Sie es gleich noch einmal !";
constexpr const char* kEntryGone =
    "Der Eintrag wurde inzwischen geändert oder gelöscht. Die Änderungen können nicht übernommen werden !";

// The table holds line breaks as CR LF once RestoreLineBreaks has run; the
// memo shows them as plain line feeds.
QString ToMemoText(const std::string& restored) {
    QString s = QString::fromStdString(restored);
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

std::string FromMemoText(const QString& text) {
    QString s = text;
    s.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return s.toStdString();
}

// The date field read as a date and written "dd.mm.yyyy"; the field holds a
// validated date whenever this is asked, the fallback only guards the rest.
std::string FieldDate(const QString& text) {
    const auto date = ParseDate(text.toStdString());
    return date ? FormatDate(*date) : std::string(kFallbackDate);
}

// Warnings reach the file and the check run as whole numbers; an empty field
// (or a lone minus sign) means no lead time.
std::string WarningText(const QString& text) {
    const std::string s = text.toStdString();
    return ParseInteger(s) ? s : std::string("0");
}

QString WarningField(const Cell& cell) {
    const auto value = cell.toInteger();
    return QString::fromStdString(value ? std::to_string(*value) : cell.asText());
}

const EntryTableType& Table() {
    return std::as_const(EntryTable);
}

}  // namespace

TEinF::TEinF(QWidget* parent) : QDialog(parent), ui(new Ui::TEinF) {
    ui->setupUi(this);
    setObjectName("EinF");
    // A panel without a title bar, laid over the main window.
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(469, 244);
    SetUpLook();

    ui->Edit1->setValidator(new FileTextValidator(this));
    ui->Edit2->setValidator(new FileTextValidator(this));
    ui->War1->setValidator(new WarningValidator(this));
    ui->War2->setValidator(new WarningValidator(this));
    ui->ComboBox1->setValidator(new FileTextValidator(this));
    ui->ComboBox1->lineEdit()->setMaxLength(kTermNameLength);
    // Completion would put a whole list item into the field while typing.
    ui->ComboBox1->setCompleter(nullptr);
    ui->ComboBox1->setInsertPolicy(QComboBox::NoInsert);

    content_[ui->Edit1] = ui->Edit1->text();
    content_[ui->Edit2] = ui->Edit2->text();
    content_[ui->MaskEdit1] = ui->MaskEdit1->text();
    content_[ui->Memo3] = ui->Memo3->toPlainText();
    content_[ui->Memo7] = ui->Memo7->toPlainText();
    content_[ui->Memo8] = ui->Memo8->toPlainText();
    content_[ui->War1] = ui->War1->text();
    content_[ui->War2] = ui->War2->text();
    content_[ui->CheckBox1] = QString::number(ui->CheckBox1->isChecked());
    content_[ui->ComboBox1] = ui->ComboBox1->currentText();

    ConnectHandlers();
    // The window sees every key before the focused control does.
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

TEinF::~TEinF() {
    delete ui;
}

void TEinF::SetUpLook() {
    const QString label = "color: #0000ff; font-weight: bold;";
    for (QLabel* l : {ui->Label1, ui->Label2, ui->Label3, ui->Label4, ui->Label5, ui->Label7, ui->Label9,
                      ui->Label10, ui->Label11, ui->Label12})
        l->setStyleSheet(label);
    ui->Label6->setStyleSheet(label + " background: #00ff00;");
    ui->Label8->setStyleSheet(label + " background: #ffff00;");

    QFont mono(QStringLiteral("Liberation Mono"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setBold(true);
    mono.setPointSize(10);
    ui->MaskEdit1->setFont(mono);
    ui->MaskEdit1->setStyleSheet("color: #ff0000;");
    mono.setPointSize(9);
    ui->War1->setFont(mono);

    ui->CheckBox1->setStyleSheet("color: #ff0000;");
    ui->Memo1->setStyleSheet("QPlainTextEdit { background: #000000; color: #ffff00; font-weight: bold; }");
    ui->Memo1->document()->setDocumentMargin(2);
    ui->Memo7->document()->setDocumentMargin(1);

    ui->bitbtn2->setIcon(TakeOverGlyph());
    ui->BitBtn3->setIcon(DeleteGlyph());
    ui->BitBtn1->setIcon(CancelGlyph());
}

void TEinF::ConnectHandlers() {
    connect(ui->Edit1, &QLineEdit::textChanged, this, &TEinF::Edit1Change);
    connect(ui->Edit2, &QLineEdit::textChanged, this, &TEinF::Edit2Change);
    connect(ui->MaskEdit1, &QLineEdit::textChanged, this, &TEinF::MaskEdit1Change);
    connect(ui->War1, &QLineEdit::textChanged, this, &TEinF::War1Change);
    connect(ui->War2, &QLineEdit::textChanged, this, &TEinF::War2Change);
    connect(ui->Memo3, &QPlainTextEdit::textChanged, this, &TEinF::Memo3Change);
    connect(ui->Memo7, &QPlainTextEdit::textChanged, this, &TEinF::Memo7Change);
    connect(ui->Memo8, &QPlainTextEdit::textChanged, this, &TEinF::Memo8Change);
    connect(ui->CheckBox1, &QCheckBox::toggled, this, &TEinF::CheckBox1Click);
    // The user's choices only: picking from the list, or typing.
    connect(ui->ComboBox1, &QComboBox::activated, this, &TEinF::ComboBox1Change);
    connect(ui->ComboBox1->lineEdit(), &QLineEdit::textEdited, this, &TEinF::ComboBox1Change);

    connect(ui->bitbtn2, &QAbstractButton::clicked, this, &TEinF::bitbtn2Click);
    connect(ui->BitBtn3, &QAbstractButton::clicked, this, &TEinF::BitBtn3Click);
    connect(ui->BitBtn1, &QAbstractButton::clicked, this, &TEinF::BitBtn1Click);
    connect(ui->BitBtn4, &QAbstractButton::clicked, this, &TEinF::BitBtn4Click);
    connect(ui->BitBtn5, &QAbstractButton::clicked, this, &TEinF::BitBtn5Click);
}

// ---------------------------------------------------------------- opening

void TEinF::ShowModal() {
    if (isVisible() && !isModal()) CloseWithoutTakeOver();
    if (isVisible()) return;
    exec();
}

void TEinF::ShowNonModal() {
    if (isVisible())
        raise();
    else
        show();
    activateWindow();
}

bool TEinF::IsOpen() const {
    return isVisible();
}

void TEinF::CloseWithoutTakeOver() {
    if (isVisible()) BitBtn1Click();
}

void TEinF::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) FormShow();
    QDialog::showEvent(event);
}

void TEinF::FormShow() {
    if (MainView* main = TheViews().main) {
        const WindowRect m = main->Geometry();
        move(m.left + (m.width - width()) / 2, m.top + kTopBelowMain);
    }
    FillTermList();

    if (EditorMode == kModeNew) {
        EditIndex = EntryCount + 1;
        shownEntry_.reset();
        ui->Edit1->clear();
        ui->Edit2->clear();
        ui->Memo3->clear();
        ui->Memo7->clear();
        ui->Memo8->clear();
        ui->Memo1->clear();
        ui->War1->setText("0");
        ui->War2->setText("0");
        {
            // Selecting the remembered term is no choice of the user's: it
            // leaves LastTermChoice and the information line alone.
            const QSignalBlocker block(ui->ComboBox1);
            ui->ComboBox1->setCurrentIndex(LastTermChoice < ui->ComboBox1->count() ? LastTermChoice : -1);
        }
        NoteContent(ui->ComboBox1, ui->ComboBox1->currentText());
        ui->CheckBox1->setChecked(false);
        // The date field keeps the date of the previous call.
    } else if (EditorMode == kModeEdit || EditorMode == kModeCheck) {
        EditIndex = SelectedEntry;
        FillFromEntry(EditIndex);
        UpdateInformationLine();
    }

    ui->BitBtn3->setEnabled(EditorMode != kModeCheck);
    ui->Edit1->setFocus();
}

void TEinF::FillTermList() {
    QStringList names;
    for (const std::string& name : TermNames) {
        if (name.empty()) break;
        names << QString::fromStdString(name);
    }
    QCollator collator(QLocale(QLocale::German, QLocale::Germany));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(names.begin(), names.end(),
                     [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    // Rebuilding the list changes neither the text in the box nor anything
    // the user chose.
    const QSignalBlocker block(ui->ComboBox1);
    const QString text = ui->ComboBox1->currentText();
    ui->ComboBox1->clear();
    ui->ComboBox1->addItems(names);
    ui->ComboBox1->setCurrentIndex(-1);
    ui->ComboBox1->setEditText(text);
}

void TEinF::FillFromEntry(int row) {
    const EntryTableType& t = Table();
    // Only a real entry can be written back; a row outside the table shows
    // empty fields and is refused at the take-over.
    if (row >= 1 && row <= LastEntryRow())
        shownEntry_ = EntryTable.row(row);
    else
        shownEntry_.reset();

    ui->Edit1->setText(QString::fromStdString(t(Vorname, row).asText()));
    ui->Edit2->setText(QString::fromStdString(t(Nachname, row).asText()));
    ui->MaskEdit1->setText(
        QString::fromStdString(FieldDate(QString::fromStdString(t(TerminAm, row).asText()))));
    ui->Memo3->setPlainText(ToMemoText(RestoreLineBreaks(t(Bemerkung, row).asText())));
    ui->War1->setText(WarningField(t(Warnung1, row)));
    ui->War2->setText(WarningField(t(Warnung2, row)));
    ui->Memo7->setPlainText(ToMemoText(RestoreLineBreaks(t(TelFaxMail, row).asText())));
    ui->Memo8->setPlainText(ToMemoText(RestoreLineBreaks(t(Adresse, row).asText())));
    ui->CheckBox1->setChecked(t(Loeschen, row).asBoolean());
    // The text is set; no list item becomes selected, and the term the user
    // chose last stays remembered for the next new entry.
    {
        const QSignalBlocker block(ui->ComboBox1);
        ui->ComboBox1->setCurrentIndex(-1);
        ui->ComboBox1->setEditText(QString::fromStdString(t(Terminart, row).asText()));
    }
    NoteContent(ui->ComboBox1, ui->ComboBox1->currentText());
}

void TEinF::UpdateInformationLine() {
    const std::string d = FieldDate(ui->MaskEdit1->text());
    // No age for a date kept without its year.
    const auto parsed = ParseDate(d);
    const std::string age = parsed && IsYearless(*parsed) ? "" : std::to_string(DateValue(d, "AJ")) + " Jahre, ";
    const std::string line = age + "hat am " + AnniversaryWeekday(d) +
                             " in " + std::to_string(DateValue(d, "NT")) + " Tage(n) " +
                             ui->ComboBox1->currentText().toStdString() + ".";
    ui->Memo1->setPlainText(QString::fromStdString(line));
}

// ---------------------------------------------------------------- changes

void TEinF::NoteContent(QObject* control, const QString& content) {
    QString& before = content_[control];
    if (before == content) return;
    before = content;
    Modified = 1;
}

void TEinF::Edit1Change() {
    NoteContent(ui->Edit1, ui->Edit1->text());
}
void TEinF::Edit2Change() {
    NoteContent(ui->Edit2, ui->Edit2->text());
}
void TEinF::MaskEdit1Change() {
    NoteContent(ui->MaskEdit1, ui->MaskEdit1->text());
}
void TEinF::Memo3Change() {
    NoteContent(ui->Memo3, ui->Memo3->toPlainText());
}
void TEinF::Memo7Change() {
    NoteContent(ui->Memo7, ui->Memo7->toPlainText());
}
void TEinF::Memo8Change() {
    NoteContent(ui->Memo8, ui->Memo8->toPlainText());
}
void TEinF::War1Change() {
    NoteContent(ui->War1, ui->War1->text());
}
void TEinF::War2Change() {
    NoteContent(ui->War2, ui->War2->text());
}
void TEinF::CheckBox1Click() {
    NoteContent(ui->CheckBox1, QString::number(ui->CheckBox1->isChecked()));
}

int TEinF::SelectedTermIndex() const {
    const int i = ui->ComboBox1->currentIndex();
    return i >= 0 && ui->ComboBox1->itemText(i) == ui->ComboBox1->currentText() ? i : -1;
}

void TEinF::ComboBox1Change() {
    NoteContent(ui->ComboBox1, ui->ComboBox1->currentText());
    const int index = SelectedTermIndex();
    LastTermChoice = static_cast<std::uint8_t>(index < 0 ? 255 : index);
    UpdateInformationLine();
}

// ---------------------------------------------------------------- keys

bool TEinF::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) return QDialog::eventFilter(watched, event);

    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            BitBtn1Click();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (watched == ui->Edit1)
                Edit1KeyPress();
            else if (watched == ui->Edit2)
                Edit2KeyPress();
            else if (watched == ui->MaskEdit1)
                MaskEdit1KeyPress();
            else if (watched == ui->War1)
                War1KeyPress();
            else if (watched == ui->War2)
                War2KeyPress();
            else if (watched == ui->ComboBox1 || watched == ui->ComboBox1->lineEdit())
                ComboBox1KeyPress();
            else if (auto* button = qobject_cast<QAbstractButton*>(watched);
                     button && watched != ui->CheckBox1)
                button->click();
            else if (watched != ui->CheckBox1)
                return QDialog::eventFilter(watched, event);  // memos: a new line
            return true;
        }
    } else if (event->type() == QEvent::FocusIn && watched == ui->MaskEdit1) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) {
            // The field's own handling puts the cursor behind the mask's
            // last digit; selecting afterwards lets the typing replace the date.
            static_cast<QObject*>(ui->MaskEdit1)->event(event);
            ui->MaskEdit1->selectAll();
            return true;
        }
    } else if (event->type() == QEvent::FocusOut && watched == ui->MaskEdit1) {
        // Switching to another window, or a popup over the field, is no
        // leaving of the field; neither is the editor closing.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && isVisible())
            MaskEdit1Exit();
    }
    return QDialog::eventFilter(watched, event);
}

// Enter moves on as Tab does, so the field reached shows its text selected:
// typing replaces it. A masked field would otherwise put the cursor behind
// its last character, and every digit typed there would be lost.
void TEinF::Reach(QWidget* field) {
    field->setFocus(Qt::TabFocusReason);
    SelectFieldText(field);
}

void TEinF::SelectFieldText(QWidget* field) {
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->selectAll();
    else if (auto* box = qobject_cast<QComboBox*>(field); box && box->lineEdit())
        box->lineEdit()->selectAll();
}

void TEinF::Edit1KeyPress() {
    Reach(ui->Edit2);
}
void TEinF::Edit2KeyPress() {
    Reach(ui->MaskEdit1);
}

void TEinF::MaskEdit1KeyPress() {
    ValidateDateField();
    // The date message may have taken the focus, so that moving on is no
    // leaving of the field that would recompute the line.
    UpdateInformationLine();
    Reach(ui->War1);
}

void TEinF::War1KeyPress() {
    Reach(ui->War2);
}
void TEinF::War2KeyPress() {
    Reach(ui->ComboBox1);
}
void TEinF::ComboBox1KeyPress() {
    ui->bitbtn2->setFocus(Qt::TabFocusReason);
}

void TEinF::ValidateDateField() {
    // The date message takes the focus away from the field; that must not
    // validate a second time.
    if (validatingDate_) return;
    validatingDate_ = true;
    const QString text = ui->MaskEdit1->text();
    const QString valid = QString::fromStdString(ValidateDate(text.toStdString()));
    if (valid != text) ui->MaskEdit1->setText(valid);
    validatingDate_ = false;
}

void TEinF::MaskEdit1Exit() {
    ValidateDateField();
    UpdateInformationLine();
}

// ---------------------------------------------------------------- term names

int TEinF::SortedTermPosition(const QString& name) const {
    QCollator collator(QLocale(QLocale::German, QLocale::Germany));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    int pos = 0;
    while (pos < ui->ComboBox1->count() && collator.compare(ui->ComboBox1->itemText(pos), name) <= 0) ++pos;
    return pos;
}

void TEinF::BitBtn4Click() {
    if (ui->ComboBox1->count() >= kMaxTermNames) {
        ShowMessage(kTermListFull);
        return;
    }
    std::string proposal;
    for (;;) {
        const std::string entered = ThePlatform().dialogs->InputBox(kTermCaption, kTermPrompt, proposal);
        // The input box takes any character; the file keeps Windows-1252 only.
        const QString name = StripUnstorable(QString::fromStdString(entered));
        if (name.size() > kTypedTermNameLength) {
            ShowMessage(kTermTooLong);
            proposal = name.left(kTypedTermNameLength).toStdString();
            continue;
        }
        if (name.isEmpty()) return;
        if (!SurvivesListFile(name.toStdString())) {
            // Scrambled, this name would hold a line end and split in Termin.dat.
            ShowMessage("Diese Terminbezeichnung läßt sich in Termin.dat nicht speichern. Bitte anders schreiben.");
            return;
        }
        const int pos = SortedTermPosition(name);
        {
            const QSignalBlocker block(ui->ComboBox1);
            ui->ComboBox1->insertItem(pos, name);
            ui->ComboBox1->setCurrentIndex(pos);
        }
        ComboBox1Change();
        return;
    }
}

void TEinF::BitBtn5Click() {
    const int index = SelectedTermIndex();
    if (index < 0) return;
    {
        const QSignalBlocker block(ui->ComboBox1);
        ui->ComboBox1->removeItem(index);
        ui->ComboBox1->setCurrentIndex(-1);
        ui->ComboBox1->setEditText(ui->ComboBox1->count() > 0 ? ui->ComboBox1->itemText(0) : QString());
    }
    NoteContent(ui->ComboBox1, ui->ComboBox1->currentText());
}

void TEinF::CopyTermNames() {
    const int n = std::min(ui->ComboBox1->count(), kTermNameSlots);
    for (int i = 0; i < n; ++i)
        TermNames[static_cast<std::size_t>(i)] =
            Utf8Left(ui->ComboBox1->itemText(i).toStdString(), kTermNameLength);
    if (n < kTermNameSlots) TermNames[static_cast<std::size_t>(n)].clear();
}

// ---------------------------------------------------------------- take-over

bool TEinF::LocateShownEntry() {
    if (!shownEntry_) return false;
    if (EditIndex >= 1 && EditIndex <= LastEntryRow() &&
        EntryTable.row(EditIndex) == *shownEntry_)
        return true;
    // The main window stays usable while the editor is open: its sort may
    // have moved the entry to another row.
    const int last = LastEntryRow();
    for (int r = 1; r <= last; ++r) {
        if (EntryTable.row(r) == *shownEntry_) {
            EditIndex = r;
            return true;
        }
    }
    return false;
}

void TEinF::WriteRow(int row) {
    EntryTable(Vorname, row) = Cell(ui->Edit1->text().toStdString());
    EntryTable(Nachname, row) = Cell(ui->Edit2->text().toStdString());
    EntryTable(TerminAm, row) = Cell(FieldDate(ui->MaskEdit1->text()));
    EntryTable(Bemerkung, row) = Cell(StoreLineBreaks(FromMemoText(ui->Memo3->toPlainText())));
    EntryTable(Warnung1, row) = Cell(WarningText(ui->War1->text()));
    EntryTable(Warnung2, row) = Cell(WarningText(ui->War2->text()));
    EntryTable(Erreicht, row) = Cell("0");
    EntryTable(TelFaxMail, row) = Cell(StoreLineBreaks(FromMemoText(ui->Memo7->toPlainText())));
    EntryTable(Adresse, row) = Cell(StoreLineBreaks(FromMemoText(ui->Memo8->toPlainText())));
    EntryTable(Loeschen, row) = Cell(ui->CheckBox1->isChecked());
    EntryTable(Terminart, row) = Cell(ui->ComboBox1->currentText().toStdString());
}

void TEinF::bitbtn2Click() {
    if (takingOver_) return;
    // The check run waits in its results dialog, which opened the editor in
    // "Prüfen"; it expects the change and has nothing running meanwhile.
    if (EditorMode != kModeCheck && TableOperationRunning()) {
        ShowMessage(kTableBusy);
        return;
    }
    TableOperation operation;
    // Through its accelerator key the take-over can come while the date
    // field still has the focus and was never left.
    ValidateDateField();
    TakeOver();
}

void TEinF::TakeOver() {
    takingOver_ = true;
    if (EditorMode == kModeCheck) ShowMessage(kCheckModeNotice);
    if (EditorMode == kModeEdit || EditorMode == kModeCheck) {
        if (!LocateShownEntry()) {
            ShowMessage(kEntryGone);
            takingOver_ = false;
            return;
        }
    }
    if (EditorMode == kModeNew) {
        Modified = 1;
        ++EntryCount;
        EditIndex = EntryCount;
        ResizeEntryTable(EntryCount);
    }
    if (Modified == 1) {
        CopyTermNames();
        if (EditorMode != kModeDelete) WriteRow(EditIndex);
        if (EditorMode != kModeCheck) {
            SortAndFillGrid();
        }
    }
    takingOver_ = false;
    done(QDialog::Accepted);
}

void TEinF::BitBtn3Click() {
    if (EditorMode == kModeNew) {
        ShowMessage(kNoDeleteWhenNew);
        return;
    }
    if (takingOver_) return;
    if (TableOperationRunning()) {
        ShowMessage(kTableBusy);
        return;
    }
    if (Ask(kReallyDelete, MessageKind::Warning, Buttons::YesNo) != Answer::Yes) return;
    if (TableOperationRunning()) {
        ShowMessage(kTableBusy);
        return;
    }
    if (!LocateShownEntry()) {
        ShowMessage(kEntryGone);
        return;
    }
    TableOperation operation;
    DeleteEntry(EditIndex);
    EditorMode = kModeDelete;
    Modified = 1;
    TakeOver();
}

// ---------------------------------------------------------------- closing

void TEinF::BitBtn1Click() {
    done(QDialog::Rejected);
}

void TEinF::reject() {
    BitBtn1Click();
}

void TEinF::done(int result) {
    FormCloseQuery();
    QDialog::done(result);
}

void TEinF::FormCloseQuery() {
    if (MainView* main = TheViews().main) main->SetEnabled(true);
}
