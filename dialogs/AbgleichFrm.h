#pragma once
// "Server-Abgleich ...": the account of the server sync (server, user,
// password), the address books found on the server and the appointment file
// they go into, the calendars that take events and the file each one gets
// ("Neuer Kalender" makes one), and the run itself: reading the address
// books first, then publishing, with its progress and summary.
//
// The dialog is not modal and the network part runs from the event loop, so
// the program stays usable meanwhile; only while a run may write into the
// entry table do the commands that touch the table wait, as they wait for a
// check run.
#include <QDialog>
#include <QList>
#include <QUrl>
#include <memory>
#include <optional>

#include "CalendarPublishRun.h"
#include "CertificatePins.h"
#include "ContactSyncRun.h"
#include "Credentials.h"
#include "DavClient.h"
#include "Discovery.h"
#include "EntryTable.h"
#include "State.h"

namespace Ui {
class TAbgleichF;
}

class TAbgleichF : public QDialog {
    Q_OBJECT
public:
    explicit TAbgleichF(QWidget* parent = nullptr);
    ~TAbgleichF() override;

    Ui::TAbgleichF* ui;

    // What the dialog talks to the server with; the program's own unless a
    // test puts others here before the first use.
    std::unique_ptr<tmf::dav::PasswordSource> passwords;
    std::unique_ptr<tmf::dav::CertificatePins> pins;
    tmf::dav::ConnectionLimits limits;

    enum class Work { None, Discovering, Syncing, MakingCalendar };
    // True while a check of the connection or a run is under way.
    bool Busy() const { return busy_ != Work::None; }
    // The address books ticked in the list.
    QList<QUrl> CheckedBooks() const;
    // The address books found, ticked where they were ticked before.
    void ShowBooks(const QList<tmf::dav::DavCollection>& books);
    // The calendars ticked, each with the file that goes into it.
    QList<tmf::dav::CalendarTarget> CheckedCalendars() const;
    // The calendars found that take events, ticked and with their files
    // where they were before.
    void ShowCalendars(const QList<tmf::dav::DavCollection>& calendars);
    // The question about an event changed or deleted elsewhere.
    std::optional<tmf::dav::ConflictChoice> AskConflict(const tmf::dav::PublishConflict& conflict);
    // An error in the log, or a certificate to accept in its place; an
    // accepted certificate repeats the work given.
    void ShowFailure(const tmf::dav::DavError& error, Work retry = Work::None);

public slots:
    void FormShow();
    void BtnPruefenClick();
    void BtnAbgleichenClick();
    void BtnSchliessenClick();
    void BtnDateiClick();
    void BtnAnnehmenClick();
    void BtnAblehnenClick();
    void BtnNeuerKalenderClick();
    void BtnKalenderDateiClick();

signals:
    // After a run has ended and the main window shows the current file again.
    void runFinished(const tmf::dav::ContactSyncResult& result);
    void publishFinished(const tmf::dav::PublishResult& result);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:

    void RefillControls();
    // The account as typed, after the question about plain http where it
    // is needed; nothing when it cannot be used.
    std::optional<tmf::dav::Account> TypedAccount();
    void NewClient(const tmf::dav::Account& account);
    void SaveAccount(bool withBooks);
    void SetBusy(Work work);
    void Report(const QString& text);
    void DiscoveryDone(const tmf::dav::DiscoveryResult& result);
    // The name the list shows for an address book's URL.
    QString BookName(const QString& url) const;
    void RunProgress(const tmf::dav::SyncProgress& progress);
    void RunDone(const tmf::dav::ContactSyncResult& result);
    void AddCalendarItem(const QString& url, const QString& name, const QString& file, bool checked);
    void CalendarSelected();
    void StartPublish();
    void PublishProgress(const tmf::dav::PublishProgress& progress);
    void PublishDone(const tmf::dav::PublishResult& result);
    void CalendarMade(const tmf::dav::DavCollection& calendar, const tmf::dav::DavError& error);
    // The end of a run, whatever it did: the current file shown again.
    void RunsOver();
    // The entry table as it was before a run, for a run that did not leave
    // the current file in it.
    struct TableBefore {
        tmf::EntryTableType table;
        tmf::TableContent content;
        std::int32_t count;
        std::int32_t modified;
    };
    // published: a publish run loaded files into the table since.
    void ShowCurrentFileAgain(const tmf::dav::ContactSyncResult& result, bool published = false);

    Work busy_ = Work::None;
    std::unique_ptr<tmf::dav::DavClient> client_;
    tmf::dav::ContactSyncRun* run_ = nullptr;
    tmf::dav::CalendarPublishRun* publish_ = nullptr;
    QList<tmf::dav::CalendarTarget> publishTargets_;
    std::optional<tmf::dav::ContactSyncResult> contactResult_;
    // Where "Neuer Kalender" makes its calendar: the home the server named.
    QUrl calendarHome_;
    bool cancelRequested_ = false;
    bool runOk_ = true;  // every part of the run so far
    std::optional<tmf::TableOperation> tableBusy_;
    std::optional<TableBefore> before_;
    std::string runTarget_;
    // The plain-http acceptance belongs to one server address only.
    QString plainHttpServer_;
    QString handedPassword_;
    tmf::dav::UntrustedCertificate certificate_;
    Work retry_ = Work::None;
    // Answers that arrive after the dialog has begun to go away are dropped.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
