#pragma once
// The words of the server sync that the windows, the terminal command and
// the protocol share: the account, the limits of a connection, what went
// wrong, and a certificate that asks to be trusted.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace tmf::dav {

struct Account {
    // What the user typed: a host name, a server's base URL, or the full URL
    // of one collection. Without a scheme "https://" is meant.
    QString server;
    QString user;
    // The user accepted that the password goes unencrypted to a server
    // reached by http:// that is not this computer. Loopback needs no
    // acceptance.
    bool allowPlainHttp = false;
};

// The URL a typed server address stands for: "https://" added when the
// scheme is missing; an empty URL for what cannot be a server address.
QUrl ServerUrl(const QString& typed);
// True for localhost, 127.0.0.0/8 and ::1.
bool IsLoopbackHost(const QString& host);

struct ConnectionLimits {
    int timeoutMs = 30'000;                    // without a byte moving either way
    qint64 maxBodyBytes = qint64{64} << 20;    // an answer beyond this is refused while it streams
    int maxRedirects = 5;
    int maxInFlight = 4;                       // requests of one run on the wire at once
};

enum class DavErrorKind {
    None,
    InvalidAddress,     // no usable URL
    PlainHttpRefused,   // http:// to another computer, not accepted
    HostNotFound,
    ConnectionRefused,  // nothing listens (server down)
    ConnectionClosed,   // the server hung up mid-answer
    Timeout,
    TlsUntrusted,       // the certificate does not verify and its fingerprint was not accepted
    TlsPinMismatch,     // it does not verify and differs from the one accepted before
    TlsFailed,          // no secure connection for another reason
    RedirectRefused,    // to another host or scheme, or too many
    Unauthorized,       // 401
    Forbidden,          // 403
    NotFound,           // 404, 410
    ServerError,        // 5xx
    HttpStatus,         // any other status the request did not expect
    BodyTooLarge,
    BadResponse,        // not the answer the protocol asks for
    NotACollection,     // the URL names no address book (or calendar)
    PasswordMissing,    // no password to send: none given, or the source gave up
    Cancelled,
    Network,            // any other transport fault
};

// The certificate of a server that the system's certificates do not vouch
// for, shown to the user to accept or refuse.
struct UntrustedCertificate {
    QString host;
    int port = 443;
    QByteArray sha256;   // of the server's own certificate (DER)
    QString subject;
    QString issuer;
    QDateTime expires;
    QStringList problems;  // why it does not verify, as the TLS library says
};

// "AB:CD:..." for display and for typing back in.
QString FormatFingerprint(const QByteArray& sha256);
// Hex digits with or without colons or blanks; empty when it is not 32 bytes.
QByteArray ParseFingerprint(const QString& text);

struct DavError {
    DavErrorKind kind = DavErrorKind::None;
    int httpStatus = 0;
    QUrl url;          // the request's URL, without user or password
    QString message;   // German, for the user; never holds a password
    UntrustedCertificate certificate;  // for TlsUntrusted and TlsPinMismatch
    explicit operator bool() const { return kind != DavErrorKind::None; }
};

// A collection's URL with the closing slash that servers expect of it.
QUrl CollectionUrl(QUrl url);

// Faults of the account or the connection: the next collection of the run
// would meet them too, so the run ends there.
bool EndsRun(DavErrorKind kind);

}  // namespace tmf::dav
