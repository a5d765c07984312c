#pragma once
// The HTTP side of the server sync: one client per account and run, on
// QNetworkAccessManager (persistent connections, several requests at once),
// with the password from its source, TLS checked against the system's
// certificates or a pinned fingerprint, http:// only where allowed,
// redirects only to the same host and scheme, a limit on an answer's size
// and on silence. Every request and answer goes through here; nothing here
// writes a password anywhere but into the Authorization header.
//
// Asynchronous: callbacks run from the event loop of the thread that owns
// the client. A terminal runs a QEventLoop until its work is done.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QUrl>
#include <functional>
#include <memory>

#include "CertificatePins.h"
#include "Credentials.h"
#include "DavTypes.h"

namespace tmf::dav {

struct DavRequest {
    QByteArray method;  // PROPFIND, REPORT, GET, PUT, DELETE, MKCOL, MKCALENDAR
    QUrl url;
    QByteArray body;
    QByteArray contentType = "application/xml; charset=utf-8";
    int depth = -1;  // the Depth header; -1 sends none
    QByteArray ifMatch;           // PUT/DELETE only when the resource still has this ETag
    bool ifNoneMatchAny = false;  // PUT only when nothing is there yet
    // How long the server may work without a byte moving; 0: the
    // connection's limit. For a request whose answer takes the server long.
    int quietMs = 0;
};

struct DavReply {
    int status = 0;
    QByteArray body;
    QByteArray etag;  // the ETag header, when the answer has one
    QUrl url;         // the URL that answered, after redirects
    // Set for transport faults, refused certificates and redirects, a body
    // over the limit, 401 after the password source gave up, and 403, 404,
    // 410, 5xx. Other statuses are left to the caller (207, 412, 409...).
    DavError error;
};

class DavClient : public QObject {
    Q_OBJECT
public:
    DavClient(Account account, PasswordSource& passwords, CertificatePins& pins, ConnectionLimits limits = {},
              QObject* parent = nullptr);
    ~DavClient() override;

    const Account& account() const;
    const ConnectionLimits& limits() const;
    // Asked when a certificate neither verifies nor is pinned (see
    // CertificatePins.h). Without one such a certificate is refused.
    void setCertificateQuestion(CertificateQuestion question);
    // Fingerprints accepted for this run without asking (the terminal's
    // option); one that is met is pinned.
    void setAcceptedFingerprints(QList<QByteArray> sha256);

    // Sends the request once the password is there; done runs exactly once,
    // never from within send. Beyond limits().maxInFlight requests wait
    // their turn. A 401 asks the password source again (Reason::Rejected)
    // and sends once more with the new password; requests meanwhile wait.
    void send(const DavRequest& request, std::function<void(const DavReply&)> done);
    // Ends every request, answered with DavErrorKind::Cancelled.
    void cancelAll();

    // Requests put on the wire so far, each redirect and resend counted.
    int requestsSent() const;
    // Bytes of answers received so far.
    qint64 bytesReceived() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The German message for an error met at url (filled into DavError::message
// by the client; exposed for the callers' own errors).
QString ErrorMessage(DavErrorKind kind, const QUrl& url, int httpStatus = 0);

}  // namespace tmf::dav
