#include "AbgleichFrm.h"

#include <QCloseEvent>
#include <QFont>
#include <QListWidget>
#include <QScrollBar>
#include <QSet>

#include "AbgleichOpen.h"
#include "AppointmentFile.h"
#include "CheckRun.h"
#include "DialogPlacement.h"
#include "FileIo.h"
#include "Grid.h"
#include "KeychainPassword.h"
#include "Ports.h"
#include "QtDialogs.h"
#include "SyncSettings.h"
#include "Views.h"
#include "ui_AbgleichFrm.h"

using namespace tmf;

namespace {

QString Key(const QUrl& url) { return url.adjusted(QUrl::StripTrailingSlash | QUrl::NormalizePathSegments).toString(); }

// 32 bytes as two lines of sixteen, so that it fits the dialog and can be
// read out and compared in halves.
QString TwoLineFingerprint(const QByteArray& sha256) {
    const QString all = dav::FormatFingerprint(sha256);
    const int half = all.size() / 2;
    return all.left(half) + QLatin1Char('\n') + all.mid(half + 1);
}

QString Calendars(int n) {
    if (n == 0) return QStringLiteral("Kein Kalender für Termine gefunden.");
    if (n == 1) return QStringLiteral("1 Kalender für Termine gefunden.");
    return QStringLiteral("%1 Kalender für Termine gefunden.").arg(n);
}

QString Books(int n) {
    if (n == 0) return QStringLiteral("Kein Adreßbuch gefunden.");
    if (n == 1) return QStringLiteral("1 Adreßbuch gefunden.");
    return QStringLiteral("%1 Adreßbücher gefunden.").arg(n);
}

bool NeedsPlainHttpConsent(const QUrl& url) {
    return url.scheme() == QLatin1String("http") && !dav::IsLoopbackHost(url.host());
}

}  // namespace

TAbgleichF::TAbgleichF(QWidget* parent) : QDialog(parent), ui(new Ui::TAbgleichF) {
    ui->setupUi(this);
    setObjectName("AbgleichF");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(400, 528);
    for (QListWidget* list : {ui->ListAdressbuecher, ui->ListKalender}) {
        list->setUniformItemSizes(true);
        list->setStyleSheet("QListWidget::item { height: 15px; }");
    }
    ui->LabelFingerabdruck->setFont(QFont(QStringLiteral("Liberation Mono"), 8));
    ui->GroupZertifikat->setVisible(false);
    passwords = std::make_unique<qt::KeychainPassword>();
    pins = std::make_unique<dav::IniCertificatePins>();

    connect(ui->BtnPruefen, &QPushButton::clicked, this, &TAbgleichF::BtnPruefenClick);
    connect(ui->BtnAbgleichen, &QPushButton::clicked, this, &TAbgleichF::BtnAbgleichenClick);
    connect(ui->BtnSchliessen, &QPushButton::clicked, this, &TAbgleichF::BtnSchliessenClick);
    connect(ui->BtnDatei, &QPushButton::clicked, this, &TAbgleichF::BtnDateiClick);
    connect(ui->BtnAnnehmen, &QPushButton::clicked, this, &TAbgleichF::BtnAnnehmenClick);
    connect(ui->BtnAblehnen, &QPushButton::clicked, this, &TAbgleichF::BtnAblehnenClick);
    connect(ui->BtnNeuerKalender, &QPushButton::clicked, this, &TAbgleichF::BtnNeuerKalenderClick);
    connect(ui->BtnKalenderDatei, &QPushButton::clicked, this, &TAbgleichF::BtnKalenderDateiClick);
    connect(ui->ListKalender, &QListWidget::currentItemChanged, this, [this] { CalendarSelected(); });
    // A calendar ticked gets the file of the address books unless it has one.
    connect(ui->ListKalender, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (item->checkState() == Qt::Checked && item->data(Qt::UserRole + 1).toString().isEmpty()) {
            const QString file = ui->EditDatei->text().isEmpty() ? QString::fromStdString(CurrentFile()) : ui->EditDatei->text();
            item->setData(Qt::UserRole + 1, file);
        }
        CalendarSelected();
    });
    // The address books listed belong to the server they were found on: the
    // password typed for another one must not go to them.
    connect(ui->EditServer, &QLineEdit::textEdited, this, [this] {
        calendarHome_.clear();
        if (ui->ListAdressbuecher->count() == 0 && ui->ListKalender->count() == 0) return;
        ui->ListAdressbuecher->clear();
        ui->ListKalender->clear();
        CalendarSelected();
        ui->LabelStatus->setText(QStringLiteral("Bitte die Verbindung prüfen."));
    });
}

TAbgleichF::~TAbgleichF() {
    *alive_ = false;
    // The runs hold the client by reference: they go first.
    delete run_;
    run_ = nullptr;
    delete publish_;
    publish_ = nullptr;
    client_.reset();
    if (before_) ShowCurrentFileAgain({});
    delete ui;
}

void TAbgleichF::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TAbgleichF::FormShow() {
    if (MainView* main = TheViews().main) {
        const WindowRect r = PlaceBesideMain(width(), height(), (main->Geometry().width - width()) / 2, 46);
        tmf::ui::PlaceFrameAt(this, r.left, r.top);
    }
    if (!Busy()) RefillControls();
}

void TAbgleichF::RefillControls() {
    const dav::SyncSettings s = dav::LoadSyncSettings();
    ui->EditServer->setText(s.server);
    ui->EditBenutzer->setText(s.user);
    ui->EditPasswort->clear();
    handedPassword_.clear();
    plainHttpServer_ = s.allowPlainHttp ? s.server : QString();
    ui->EditDatei->setText(s.target.isEmpty() ? QString::fromStdString(CurrentFile()) : s.target);
    ui->ListAdressbuecher->clear();
    for (qsizetype i = 0; i < s.addressBooks.size(); ++i) {
        const QString& book = s.addressBooks[i];
        const QString name = s.addressBookNames.value(i);
        auto* item = new QListWidgetItem(name.isEmpty() ? book : name, ui->ListAdressbuecher);
        item->setData(Qt::UserRole, QUrl(book));
        item->setToolTip(book);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    ui->ListKalender->clear();
    for (const dav::CalendarChoice& c : s.calendars) AddCalendarItem(c.url, c.name, c.file, true);
    CalendarSelected();
    calendarHome_.clear();
    ui->LabelStatus->clear();
    ui->MemoProtokoll->clear();
    ui->GroupZertifikat->setVisible(false);
    ui->MemoProtokoll->setVisible(true);
    ui->ProgressBar1->setRange(0, 1);
    ui->ProgressBar1->setValue(0);
    SetBusy(Work::None);
}

QList<QUrl> TAbgleichF::CheckedBooks() const {
    QList<QUrl> books;
    for (int i = 0; i < ui->ListAdressbuecher->count(); ++i) {
        const QListWidgetItem* item = ui->ListAdressbuecher->item(i);
        if (item->checkState() == Qt::Checked) books << item->data(Qt::UserRole).toUrl();
    }
    return books;
}

void TAbgleichF::Report(const QString& text) {
    ui->MemoProtokoll->appendPlainText(text);
}

void TAbgleichF::SetBusy(Work work) {
    busy_ = work;
    const bool idle = work == Work::None;
    for (QWidget* w : {static_cast<QWidget*>(ui->EditServer), static_cast<QWidget*>(ui->EditBenutzer),
                       static_cast<QWidget*>(ui->EditPasswort), static_cast<QWidget*>(ui->BtnPruefen),
                       static_cast<QWidget*>(ui->ListAdressbuecher), static_cast<QWidget*>(ui->BtnDatei),
                       static_cast<QWidget*>(ui->BtnAbgleichen), static_cast<QWidget*>(ui->ListKalender),
                       static_cast<QWidget*>(ui->BtnKalenderDatei), static_cast<QWidget*>(ui->BtnNeuerKalender)})
        w->setEnabled(idle);
    ui->BtnSchliessen->setText(idle ? QStringLiteral("S&chließen") : QStringLiteral("Ab&brechen"));
    if (!idle) {
        ui->GroupZertifikat->setVisible(false);
        ui->MemoProtokoll->setVisible(true);
        ui->ProgressBar1->setRange(0, 0);
    }
}

std::optional<dav::Account> TAbgleichF::TypedAccount() {
    const QString server = ui->EditServer->text().trimmed();
    if (server.isEmpty()) {
        ui->LabelStatus->setText(QStringLiteral("Bitte die Adresse des Servers eingeben."));
        ui->EditServer->setFocus();
        return std::nullopt;
    }
    const QUrl url = dav::ServerUrl(server);
    if (url.isEmpty() || !url.isValid()) {
        ui->LabelStatus->setText(QStringLiteral("Das ist keine Adresse eines Servers."));
        ui->EditServer->setFocus();
        return std::nullopt;
    }
    dav::Account account{server, ui->EditBenutzer->text().trimmed(), false};
    if (NeedsPlainHttpConsent(url)) {
        if (plainHttpServer_ != server) {
            const Answer a = Ask("Die Verbindung zu " + url.host().toStdString() +
                                     " ist nicht verschlüsselt (http://).\r\n"
                                     "Das Passwort geht lesbar über das Netz.\r\n\r\nTrotzdem verbinden ?",
                                 MessageKind::Warning, Buttons::YesNo);
            if (a != Answer::Yes) {
                ui->LabelStatus->setText(QStringLiteral("Keine unverschlüsselte Verbindung."));
                return std::nullopt;
            }
            plainHttpServer_ = server;
        }
        account.allowPlainHttp = true;
    }
    // Handed over once: after the server refused it and a better one was
    // given in the question, the field's old text must not come back.
    const QString typed = ui->EditPasswort->text();
    const QString handed = qt::KeychainPassword::StoreKey(account) + QLatin1Char('\n') + typed;
    if (handed != handedPassword_) {
        if (auto* keychain = dynamic_cast<qt::KeychainPassword*>(passwords.get())) keychain->SetTyped(account, typed);
        handedPassword_ = handed;
    }
    return account;
}

void TAbgleichF::NewClient(const dav::Account& account) {
    client_ = std::make_unique<dav::DavClient>(account, *passwords, *pins, limits);
}

void TAbgleichF::SaveAccount(bool withBooks) {
    dav::SyncSettings s = dav::LoadSyncSettings();
    s.server = ui->EditServer->text().trimmed();
    s.user = ui->EditBenutzer->text().trimmed();
    s.allowPlainHttp = !plainHttpServer_.isEmpty() && plainHttpServer_ == s.server &&
                       NeedsPlainHttpConsent(dav::ServerUrl(s.server));
    if (withBooks) {
        s.addressBooks.clear();
        s.addressBookNames.clear();
        for (int i = 0; i < ui->ListAdressbuecher->count(); ++i) {
            const QListWidgetItem* item = ui->ListAdressbuecher->item(i);
            if (item->checkState() != Qt::Checked) continue;
            s.addressBooks << item->data(Qt::UserRole).toUrl().toString();
            s.addressBookNames << item->text();
        }
        s.target = ui->EditDatei->text();
        s.calendars.clear();
        for (const dav::CalendarTarget& c : CheckedCalendars())
            s.calendars << dav::CalendarChoice{c.calendar.toString(), c.name, c.file};
    }
    dav::SaveSyncSettings(s);
}

// ---------------------------------------------------------------- discovery

void TAbgleichF::BtnPruefenClick() {
    if (Busy()) return;
    const auto account = TypedAccount();
    if (!account) return;
    NewClient(*account);
    SetBusy(Work::Discovering);
    ui->LabelStatus->setText(QStringLiteral("Verbindung wird geprüft ..."));
    dav::Discover(*client_, [this, alive = alive_](const dav::DiscoveryResult& result) {
        if (*alive) DiscoveryDone(result);
    });
}

void TAbgleichF::DiscoveryDone(const dav::DiscoveryResult& result) {
    SetBusy(Work::None);
    ui->ProgressBar1->setRange(0, 1);
    ui->ProgressBar1->setValue(0);
    if (result.error.kind == dav::DavErrorKind::NotACollection) {
        // The server answered; it just has nothing to offer at that address.
        ShowBooks({});
        ui->LabelStatus->setText(Books(0));
        ShowFailure(result.error);
        return;
    }
    if (result.error) {
        ui->LabelStatus->setText(QStringLiteral("Keine Verbindung."));
        ShowFailure(result.error, Work::Discovering);
        return;
    }
    ShowBooks(result.addressBooks);
    ShowCalendars(result.calendars);
    calendarHome_ = result.calendarHomes.value(0);
    if (calendarHome_.isEmpty() && !result.calendars.isEmpty())
        calendarHome_ = result.calendars.front().url.resolved(QUrl(QStringLiteral("..")));
    ui->LabelStatus->setText(Books(static_cast<int>(result.addressBooks.size())));
    Report(Calendars(ui->ListKalender->count()));
    SaveAccount(false);
}

void TAbgleichF::ShowBooks(const QList<dav::DavCollection>& books) {
    QSet<QString> checked;
    for (const QUrl& url : CheckedBooks()) checked.insert(Key(url));
    ui->ListAdressbuecher->clear();
    for (const dav::DavCollection& book : books) {
        auto* item = new QListWidgetItem(book.displayName, ui->ListAdressbuecher);
        item->setData(Qt::UserRole, book.url);
        item->setToolTip(book.url.toString());
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(checked.contains(Key(book.url)) ? Qt::Checked : Qt::Unchecked);
    }
}

// ---------------------------------------------------------------- failures and certificates

void TAbgleichF::ShowFailure(const dav::DavError& error, Work retry) {
    const bool untrusted = error.kind == dav::DavErrorKind::TlsUntrusted;
    const bool changed = error.kind == dav::DavErrorKind::TlsPinMismatch && !error.certificate.sha256.isEmpty();
    const QString message =
        error.message.isEmpty() ? dav::ErrorMessage(error.kind, error.url, error.httpStatus) : error.message;
    if (!untrusted) Report(message);
    if (!untrusted && !changed) return;
    if (changed) {
        // Refused; the message says so in full. Taking the new certificate
        // is left to an explicit second decision, below.
        ShowMessage(message.toStdString(), MessageKind::Error);
    }
    certificate_ = error.certificate;
    retry_ = retry;
    const QString where = QStringLiteral("%1:%2").arg(certificate_.host).arg(certificate_.port);
    ui->GroupZertifikat->setTitle(changed ? QStringLiteral("Zertifikat geändert !")
                                          : QStringLiteral("Zertifikat nicht bestätigt"));
    ui->LabelZertifikat->setText(
        changed ? QStringLiteral("%1 zeigt ein anderes Zertifikat als das angenommene. Nur annehmen, wenn der "
                                 "Wechsel gewollt ist; neuer SHA-256-Fingerabdruck:")
                      .arg(where)
                : QStringLiteral("Das Zertifikat von %1 ist von keiner bekannten Stelle bestätigt. "
                                 "Nur annehmen, wenn der Server diesen SHA-256-Fingerabdruck hat:")
                      .arg(where));
    ui->LabelFingerabdruck->setText(TwoLineFingerprint(certificate_.sha256));
    ui->MemoProtokoll->setVisible(false);
    ui->GroupZertifikat->setVisible(true);
    ui->BtnAblehnen->setFocus();
}

void TAbgleichF::BtnAnnehmenClick() {
    if (Busy() || certificate_.sha256.isEmpty()) return;
    pins->pin(certificate_.host, certificate_.port, certificate_.sha256);
    ui->GroupZertifikat->setVisible(false);
    ui->MemoProtokoll->setVisible(true);
    Report(QStringLiteral("Zertifikat von %1:%2 angenommen.").arg(certificate_.host).arg(certificate_.port));
    certificate_ = {};
    const Work retry = std::exchange(retry_, Work::None);
    if (retry == Work::Discovering) BtnPruefenClick();
    else if (retry == Work::Syncing) BtnAbgleichenClick();
}

void TAbgleichF::BtnAblehnenClick() {
    ui->GroupZertifikat->setVisible(false);
    ui->MemoProtokoll->setVisible(true);
    Report(QStringLiteral("Zertifikat von %1:%2 abgelehnt; keine Verbindung.").arg(certificate_.host).arg(certificate_.port));
    certificate_ = {};
    retry_ = Work::None;
}

// ---------------------------------------------------------------- the run

void TAbgleichF::BtnDateiClick() {
    if (Busy()) return;
    const std::string shown = ui->EditDatei->text().toStdString();
    Dialogs::FileRequest request{"Termindatei für den Abgleich",
                                 ExtractFileDir(shown.empty() ? CurrentFile() : shown), "*.tmf", false};
    const auto chosen = ThePlatform().dialogs->OpenFileName(request);
    if (chosen && !chosen->empty()) ui->EditDatei->setText(QString::fromStdString(*chosen));
}

void TAbgleichF::BtnAbgleichenClick() {
    if (Busy()) return;
    // The run loads its file into the entry table, which a check run or
    // another table operation holds now.
    if (TableOperationRunning() || CheckRunning()) {
        ThePlatform().sound->Beep();
        ui->LabelStatus->setText(QStringLiteral("Die Prüfung läuft noch; danach abgleichen."));
        return;
    }
    const QList<QUrl> books = CheckedBooks();
    publishTargets_ = CheckedCalendars();
    if (books.isEmpty() && publishTargets_.isEmpty()) {
        ui->LabelStatus->setText(QStringLiteral("Bitte ein Adreßbuch oder einen Kalender ankreuzen."));
        return;
    }
    std::string target = ui->EditDatei->text().toStdString();
    if (target.empty()) {
        target = CurrentFile();
        ui->EditDatei->setText(QString::fromStdString(target));
    }
    std::vector<std::string> files;
    if (!books.isEmpty()) files.push_back(target);
    for (const dav::CalendarTarget& c : publishTargets_) files.push_back(c.file.toStdString());
    for (const std::string& file : files)
        if (!FileExists(file)) {
            ui->LabelStatus->clear();
            Report(QString::fromStdString("Die Datei " + file + " gibt es nicht."));
            return;
        }
    const auto account = TypedAccount();
    if (!account) return;
    SaveAccount(true);

    tableBusy_.emplace();
    // The run replaces the table: a changed current file is offered for
    // saving first, as before a manual check.
    if (!OfferSaveBeforeReplacing()) {
        tableBusy_.reset();
        return;
    }
    before_ = TableBefore{EntryTable, EntryTableContent, EntryCount, Modified};
    runTarget_ = target;
    NewClient(*account);
    contactResult_.reset();
    cancelRequested_ = false;
    runOk_ = true;
    if (books.isEmpty()) return StartPublish();
    run_ = new dav::ContactSyncRun(*client_, {QString::fromStdString(target), books, QString::fromStdString(DataDir)},
                                   this);
    connect(run_, &dav::ContactSyncRun::progress, this, &TAbgleichF::RunProgress);
    connect(run_, &dav::ContactSyncRun::finished, this, &TAbgleichF::RunDone);
    SetBusy(Work::Syncing);
    ui->LabelStatus->setText(QStringLiteral("Abgleich läuft ..."));
    Report(QString::fromStdString("Abgleich in " + ExtractFileName(target) + " ..."));
    run_->start();
}

QString TAbgleichF::BookName(const QString& url) const {
    const QString key = Key(QUrl(url));
    for (int i = 0; i < ui->ListAdressbuecher->count(); ++i) {
        const QListWidgetItem* item = ui->ListAdressbuecher->item(i);
        if (Key(item->data(Qt::UserRole).toUrl()) == key) return item->text();
    }
    return url;
}

void TAbgleichF::RunProgress(const dav::SyncProgress& p) {
    const QString book = BookName(p.book);
    switch (p.step) {
        case dav::SyncProgress::Step::Reading:
            ui->LabelStatus->setText(QStringLiteral("Lese %1 ...").arg(book));
            ui->ProgressBar1->setRange(0, 0);
            break;
        case dav::SyncProgress::Step::Fetching:
            ui->LabelStatus->setText(
                p.total > 0 ? QStringLiteral("%1: %2 von %3 Kontakten").arg(book).arg(p.done).arg(p.total)
                            : QStringLiteral("%1: %2 Kontakte").arg(book).arg(p.done));
            ui->ProgressBar1->setRange(0, std::max(p.total, 0));
            if (p.total > 0) ui->ProgressBar1->setValue(std::min(p.done, p.total));
            break;
        case dav::SyncProgress::Step::Writing:
            ui->LabelStatus->setText(QString::fromStdString("Schreibe " + ExtractFileName(runTarget_) + " ..."));
            ui->ProgressBar1->setRange(0, 0);
            break;
    }
}

void TAbgleichF::RunDone(const dav::ContactSyncResult& result) {
    if (run_) run_->deleteLater();
    run_ = nullptr;
    contactResult_ = result;
    runOk_ = result.ok;
    if (!result.summary.isEmpty()) {
        // The counts come first and matter most; the lists below them may be long.
        const int first = ui->MemoProtokoll->blockCount();
        Report(qt::ToDisplayText(result.summary.toStdString()));
        ui->MemoProtokoll->verticalScrollBar()->setValue(first);
    }
    const dav::DavError* untrusted = nullptr;
    for (const dav::BookFailure& failure : result.failures) {
        if (!failure.error) continue;  // not reached
        if (failure.error.kind == dav::DavErrorKind::TlsUntrusted) untrusted = &failure.error;
        else if (!result.summary.contains(failure.error.message)) ShowFailure(failure.error, Work::None);
    }
    if (!result.fileFailure.isEmpty() && !result.summary.contains(result.fileFailure))
        Report(qt::ToDisplayText(result.fileFailure.toStdString()));
    if (untrusted) ShowFailure(*untrusted, Work::Syncing);
    if (!publishTargets_.isEmpty() && !cancelRequested_ && !untrusted) return StartPublish();
    RunsOver();
}

void TAbgleichF::RunsOver() {
    const dav::ContactSyncResult contact = contactResult_.value_or(dav::ContactSyncResult{});
    ShowCurrentFileAgain(contact, !publishTargets_.isEmpty());
    tableBusy_.reset();
    SetBusy(Work::None);
    ui->ProgressBar1->setRange(0, 1);
    ui->ProgressBar1->setValue(runOk_ ? 1 : 0);
    ui->LabelStatus->setText(runOk_ ? QStringLiteral("Abgleich beendet.") : QStringLiteral("Abgleich mit Fehlern beendet."));
    if (contactResult_) emit runFinished(*contactResult_);
}

void TAbgleichF::ShowCurrentFileAgain(const dav::ContactSyncResult& result, bool published) {
    if (!before_) return;
    if (published && result.outcome == CommitOutcome::Saved && SameFile(runTarget_, CurrentFile())) {
        // Saved by the reading, then other files loaded by the publishing:
        // the current file as it was saved.
        before_.reset();
        LoadAppointmentFile(CurrentFile(), "Alles");
        Modified = 0;
        SortAndFillGrid();
        return;
    }
    // A run into the current file that saved leaves that file loaded as it
    // now is; any other run leaves the table holding what the run loaded,
    // which is not what the main window shows: it gets the entries back that
    // it had, unsaved changes the user kept included.
    if (!(result.outcome == CommitOutcome::Saved && SameFile(runTarget_, CurrentFile()))) {
        EntryTable = std::move(before_->table);
        EntryTableContent = before_->content;
        EntryCount = before_->count;
        Modified = before_->modified;
        before_.reset();
        if (*alive_) FillGrid();
        return;
    }
    before_.reset();
    Modified = 0;
    SortAndFillGrid();
}

// ---------------------------------------------------------------- closing

void TAbgleichF::BtnSchliessenClick() {
    if (busy_ == Work::Discovering || busy_ == Work::MakingCalendar) {
        ui->LabelStatus->setText(QStringLiteral("Wird abgebrochen ..."));
        client_->cancelAll();
        return;
    }
    if (busy_ == Work::Syncing) {
        ui->LabelStatus->setText(QStringLiteral("Wird abgebrochen ..."));
        cancelRequested_ = true;
        if (run_) run_->cancel();
        if (publish_) publish_->cancel();
        return;
    }
    hide();
}

void TAbgleichF::reject() { BtnSchliessenClick(); }

void TAbgleichF::closeEvent(QCloseEvent* event) {
    // A run under way ends first (it may be writing the file); the window
    // stays to show how it ended.
    if (Busy()) {
        event->ignore();
        BtnSchliessenClick();
        return;
    }
    QDialog::closeEvent(event);
}

namespace tmf::ui {

void OpenAbgleichF(QWidget* mainWindow) {
    auto* dialog = mainWindow->findChild<TAbgleichF*>(QStringLiteral("AbgleichF"), Qt::FindDirectChildrenOnly);
    if (!dialog) dialog = new TAbgleichF(mainWindow);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

}  // namespace tmf::ui
