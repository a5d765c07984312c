// The calendar half of "Server-Abgleich ...": the calendars found, "Neuer
// Kalender", the file each one gets, publishing after the address books were
// read, and the question about an event someone changed elsewhere.
#include <QListWidget>
#include <QScrollBar>

#include "AbgleichFrm.h"
#include "CalendarCreate.h"
#include "FileIo.h"
#include "Ports.h"
#include "QtDialogs.h"
#include "ui_AbgleichFrm.h"

using namespace tmf;

namespace {

constexpr int kUrlRole = Qt::UserRole;
constexpr int kFileRole = Qt::UserRole + 1;

QString CalendarKey(const QUrl& url) { return url.adjusted(QUrl::StripTrailingSlash | QUrl::NormalizePathSegments).toString(); }

}  // namespace

void TAbgleichF::AddCalendarItem(const QString& url, const QString& name, const QString& file, bool checked) {
    auto* item = new QListWidgetItem(name.isEmpty() ? url : name, ui->ListKalender);
    item->setData(kUrlRole, QUrl(url));
    item->setData(kFileRole, file);
    item->setToolTip(url);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

QList<dav::CalendarTarget> TAbgleichF::CheckedCalendars() const {
    QList<dav::CalendarTarget> out;
    for (int i = 0; i < ui->ListKalender->count(); ++i) {
        const QListWidgetItem* item = ui->ListKalender->item(i);
        if (item->checkState() == Qt::Checked)
            out << dav::CalendarTarget{item->data(kUrlRole).toUrl(), item->data(kFileRole).toString(), item->text()};
    }
    return out;
}

void TAbgleichF::ShowCalendars(const QList<dav::DavCollection>& calendars) {
    // Ticks and files stay with their calendars.
    QHash<QString, QString> files;
    QSet<QString> checked;
    for (int i = 0; i < ui->ListKalender->count(); ++i) {
        const QListWidgetItem* item = ui->ListKalender->item(i);
        const QString key = CalendarKey(item->data(kUrlRole).toUrl());
        files.insert(key, item->data(kFileRole).toString());
        if (item->checkState() == Qt::Checked) checked.insert(key);
    }
    const QSignalBlocker quiet(ui->ListKalender);
    ui->ListKalender->clear();
    for (const dav::DavCollection& c : calendars) {
        if (!c.takesEvents) continue;
        const QString key = CalendarKey(c.url);
        AddCalendarItem(c.url.toString(), c.displayName, files.value(key), checked.contains(key));
    }
    CalendarSelected();
}

void TAbgleichF::CalendarSelected() {
    const QListWidgetItem* item = ui->ListKalender->currentItem();
    ui->EditKalenderDatei->setText(item ? item->data(kFileRole).toString() : QString());
    ui->EditKalenderDatei->setToolTip(ui->EditKalenderDatei->text());
}

void TAbgleichF::BtnKalenderDateiClick() {
    if (Busy()) return;
    QListWidgetItem* item = ui->ListKalender->currentItem();
    if (!item) {
        ui->LabelStatus->setText(QStringLiteral("Bitte erst einen Kalender wählen."));
        return;
    }
    const std::string shown = item->data(kFileRole).toString().toStdString();
    Dialogs::FileRequest request{"Termindatei für den Kalender " + item->text().toStdString(),
                                 ExtractFileDir(shown.empty() ? CurrentFile() : shown), "*.tmf", false};
    const auto chosen = ThePlatform().dialogs->OpenFileName(request);
    if (!chosen || chosen->empty()) return;
    item->setData(kFileRole, QString::fromStdString(*chosen));
    item->setCheckState(Qt::Checked);
    CalendarSelected();
}

void TAbgleichF::BtnNeuerKalenderClick() {
    if (Busy()) return;
    if (calendarHome_.isEmpty()) {
        ui->LabelStatus->setText(QStringLiteral("Bitte erst die Verbindung prüfen."));
        return;
    }
    const auto account = TypedAccount();
    if (!account) return;
    NewClient(*account);
    SetBusy(Work::MakingCalendar);
    ui->LabelStatus->setText(QStringLiteral("Kalender wird angelegt ..."));
    dav::MakeCalendar(*client_, calendarHome_, QStringLiteral("Termifolio98"),
                      [this, alive = alive_](const dav::DavCollection& c, const dav::DavError& e) {
                          if (*alive) CalendarMade(c, e);
                      });
}

void TAbgleichF::CalendarMade(const dav::DavCollection& calendar, const dav::DavError& error) {
    SetBusy(Work::None);
    ui->ProgressBar1->setRange(0, 1);
    ui->ProgressBar1->setValue(0);
    if (error) {
        ui->LabelStatus->setText(QStringLiteral("Kein Kalender angelegt."));
        ShowFailure(error, Work::None);
        return;
    }
    const QString file = ui->EditDatei->text().isEmpty() ? QString::fromStdString(CurrentFile()) : ui->EditDatei->text();
    AddCalendarItem(calendar.url.toString(), calendar.displayName, file, true);
    ui->ListKalender->setCurrentRow(ui->ListKalender->count() - 1);
    ui->LabelStatus->setText(QStringLiteral("Kalender „%1“ angelegt.").arg(calendar.displayName));
    Report(QStringLiteral("Kalender „%1“ angelegt: %2").arg(calendar.displayName, calendar.url.toString()));
}

void TAbgleichF::StartPublish() {
    publish_ = new dav::CalendarPublishRun(*client_, {publishTargets_, QString::fromStdString(DataDir)}, this);
    publish_->setConflictDecision([this](const dav::PublishConflict& c) { return AskConflict(c); });
    connect(publish_, &dav::CalendarPublishRun::progress, this, &TAbgleichF::PublishProgress);
    connect(publish_, &dav::CalendarPublishRun::finished, this, &TAbgleichF::PublishDone);
    SetBusy(Work::Syncing);
    ui->LabelStatus->setText(QStringLiteral("Termine werden gesendet ..."));
    publish_->start();
}

void TAbgleichF::PublishProgress(const dav::PublishProgress& p) {
    ui->LabelStatus->setText(p.total > 0 ? QStringLiteral("%1: %2 von %3 Terminen").arg(p.calendar).arg(p.done).arg(p.total)
                                         : QStringLiteral("Lese %1 ...").arg(p.calendar));
    ui->ProgressBar1->setRange(0, std::max(p.total, 0));
    if (p.total > 0) ui->ProgressBar1->setValue(std::min(p.done, p.total));
}

void TAbgleichF::PublishDone(const dav::PublishResult& result) {
    if (publish_) publish_->deleteLater();
    publish_ = nullptr;
    runOk_ = runOk_ && result.ok;
    if (!result.summary.isEmpty()) {
        const int first = ui->MemoProtokoll->blockCount();
        Report(qt::ToDisplayText(result.summary.toStdString()));
        ui->MemoProtokoll->verticalScrollBar()->setValue(first);
    }
    const dav::DavError* untrusted = nullptr;
    for (const dav::CalendarFailure& f : result.failures)
        if (f.error.kind == dav::DavErrorKind::TlsUntrusted) untrusted = &f.error;
    RunsOver();
    if (untrusted) ShowFailure(*untrusted, Work::Syncing);
    emit publishFinished(result);
}

std::optional<dav::ConflictChoice> TAbgleichF::AskConflict(const dav::PublishConflict& c) {
    std::string text = "Der Termin \xE2\x80\x9E" + c.summary.toStdString() + "\xE2\x80\x9C im Kalender \xE2\x80\x9E" +
                       c.calendarName.toStdString() + "\xE2\x80\x9C wurde anderswo ";
    if (c.wouldDelete)
        text += "geändert; in der Datei ist der Eintrag gelöscht.\r\n\r\nTrotzdem im Kalender löschen ?\r\n"
                "(Nein: der Termin bleibt im Kalender, wie er ist.)";
    else if (c.deletedOnServer)
        text += "gelöscht.\r\n\r\nWieder anlegen ?\r\n(Nein: er bleibt gelöscht, bis sich der Eintrag ändert.)";
    else
        text += "geändert.\r\n\r\nMit dem Stand aus der Datei überschreiben ?\r\n(Nein: der Termin bleibt, wie er auf "
                "dem Server ist.)";
    return Ask(text, MessageKind::Confirmation, Buttons::YesNo) == Answer::Yes ? dav::ConflictChoice::Overwrite
                                                                           : dav::ConflictChoice::KeepServers;
}
