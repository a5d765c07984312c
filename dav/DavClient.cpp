#include "DavClient.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QLocale>
#include <QTimer>
#include <deque>
#include <optional>

#include "State.h"

namespace tmf::dav {
namespace {

QString Where(const QUrl& url) { return url.toDisplayString(QUrl::RemoveUserInfo); }

int DefaultPort(const QUrl& url) { return url.port(url.scheme() == QLatin1String("http") ? 80 : 443); }

}  // namespace

QString ErrorMessage(DavErrorKind kind, const QUrl& url, int status) {
    const QString host = url.host();
    const QString where = Where(url);
    switch (kind) {
        case DavErrorKind::None: return {};
        case DavErrorKind::InvalidAddress:
            return QStringLiteral("„%1“ ist keine gültige Server-Adresse (https://server/pfad).").arg(where);
        case DavErrorKind::PlainHttpRefused:
            return QStringLiteral("Über http:// ginge das Passwort unverschlüsselt an %1. Verwenden Sie https:// "
                                  "oder erlauben Sie die unverschlüsselte Verbindung ausdrücklich.").arg(host);
        case DavErrorKind::HostNotFound:
            return QStringLiteral("Der Server %1 wurde nicht gefunden (Name unbekannt).").arg(host);
        case DavErrorKind::ConnectionRefused:
            return QStringLiteral("Der Server %1 ist nicht erreichbar (Verbindung an Port %2 abgelehnt).")
                .arg(host).arg(DefaultPort(url));
        case DavErrorKind::ConnectionClosed:
            return QStringLiteral("Der Server %1 hat die Verbindung mitten in der Antwort beendet.").arg(host);
        case DavErrorKind::Timeout:
            return QStringLiteral("Der Server %1 hat zu lange nicht geantwortet; abgebrochen.").arg(host);
        case DavErrorKind::TlsUntrusted:
            return QStringLiteral("Das Zertifikat von %1 ist nicht von einer bekannten Stelle bestätigt.").arg(host);
        case DavErrorKind::TlsPinMismatch:
            return QStringLiteral("Das Zertifikat von %1 hat sich geändert! Die Verbindung wird abgelehnt.").arg(host);
        case DavErrorKind::TlsFailed:
            return QStringLiteral("Mit %1 ist keine sichere Verbindung zustande gekommen.").arg(host);
        case DavErrorKind::RedirectRefused:
            return QStringLiteral("%1 leitet an eine andere Adresse weiter; gefolgt wird nur zum selben Server "
                                  "und Schema, höchstens fünfmal.").arg(where);
        case DavErrorKind::Unauthorized:
            return QStringLiteral("Der Server %1 hat Benutzername oder Passwort abgelehnt (401).").arg(host);
        case DavErrorKind::Forbidden:
            return QStringLiteral("Der Server verweigert den Zugriff auf %1 (403).").arg(where);
        case DavErrorKind::NotFound:
            return QStringLiteral("%1 gibt es auf dem Server nicht (mehr) (%2).").arg(where).arg(status ? status : 404);
        case DavErrorKind::ServerError:
            return QStringLiteral("Der Server meldet einen Fehler (%1) bei %2.").arg(status).arg(where);
        case DavErrorKind::HttpStatus:
            return QStringLiteral("Unerwartete Antwort %1 von %2.").arg(status).arg(where);
        case DavErrorKind::BodyTooLarge:
            return QStringLiteral("Die Antwort von %1 ist zu groß und wird abgelehnt.").arg(where);
        case DavErrorKind::BadResponse:
            return QStringLiteral("Die Antwort von %1 ist nicht lesbar (kein gültiges WebDAV-XML).").arg(where);
        case DavErrorKind::NotACollection:
            return QStringLiteral("%1 ist kein Adreßbuch.").arg(where);
        case DavErrorKind::PasswordMissing:
            return QStringLiteral("Für %1 liegt kein Passwort vor.").arg(host);
        case DavErrorKind::Cancelled: return QStringLiteral("Abgebrochen.");
        case DavErrorKind::Network: return QStringLiteral("Netzwerkfehler bei %1.").arg(where);
    }
    return {};
}

struct DavClient::Impl {
    struct Pending {
        DavRequest request;
        std::function<void(const DavReply&)> done;
        QUrl url;  // where it goes now (after redirects)
        int redirects = 0;
        int passwordRound = -1;  // the password it was last sent with
    };

    DavClient* q;
    Account account;
    PasswordSource& passwords;
    CertificatePins& pins;
    ConnectionLimits limits;
    QNetworkAccessManager nam;
    CertificateQuestion question;
    QList<QByteArray> accepted;
    QHash<QByteArray, bool> decided;  // answers of this run, so that parallel connections ask once

    enum class Password { Unknown, Asking, Known, Refused };
    Password passwordState = Password::Unknown;
    QString password;
    QString passwordWhy;  // why there is none
    bool rejected = false;  // the last one given was refused by the server
    int passwordRound = 0;
    bool passwordConfirmed = false;

    std::deque<std::shared_ptr<Pending>> waiting;
    QHash<QNetworkReply*, std::shared_ptr<Pending>> running;
    int sent = 0;
    qint64 received = 0;

    Impl(DavClient* owner, Account a, PasswordSource& p, CertificatePins& c, ConnectionLimits l)
        : q(owner), account(std::move(a)), passwords(p), pins(c), limits(l) {
        nam.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
        nam.setCookieJar(nullptr);
    }

    bool needsPassword() const { return !account.user.isEmpty(); }

    void finish(const std::shared_ptr<Pending>& p, DavReply reply) {
        if (reply.error && reply.error.message.isEmpty())
            reply.error.message = ErrorMessage(reply.error.kind, reply.error.url, reply.error.httpStatus);
        // Later, from the event loop: a caller's done may send the next
        // request or destroy the client.
        QPointer<DavClient> alive(q);
        QTimer::singleShot(0, q, [p, reply, alive] {
            if (alive) p->done(reply);
        });
    }

    static DavReply Failure(DavErrorKind kind, const QUrl& url, int status = 0) {
        DavReply r;
        r.status = status;
        r.url = url;
        r.error.kind = kind;
        r.error.httpStatus = status;
        r.error.url = url;
        return r;
    }

    void pump() {
        if (needsPassword() && passwordState != Password::Known) {
            if (passwordState == Password::Refused) {
                const DavErrorKind kind = rejected ? DavErrorKind::Unauthorized : DavErrorKind::PasswordMissing;
                while (!waiting.empty()) {
                    auto p = waiting.front();
                    waiting.pop_front();
                    DavReply r = Failure(kind, p->url, rejected ? 401 : 0);
                    if (!passwordWhy.isEmpty()) r.error.message = ErrorMessage(kind, p->url, r.status) + QLatin1Char('\n') + passwordWhy;
                    finish(p, r);
                }
                return;
            }
            if (passwordState == Password::Unknown && !waiting.empty()) askPassword(PasswordSource::Reason::First);
            return;
        }
        while (!waiting.empty() && running.size() < limits.maxInFlight) {
            auto p = waiting.front();
            waiting.pop_front();
            start(p);
        }
    }

    void askPassword(PasswordSource::Reason reason) {
        passwordState = Password::Asking;
        QPointer<DavClient> alive(q);
        passwords.password(account, reason, [this, alive](std::optional<QString> given, QString why) {
            if (!alive) return;
            // The source may answer at once or later; either way the queue
            // moves on from the event loop.
            QTimer::singleShot(0, q, [this, given, why] {
                if (given) {
                    password = *given;
                    passwordState = Password::Known;
                    ++passwordRound;
                } else {
                    passwordState = Password::Refused;
                    passwordWhy = why;
                }
                pump();
            });
        });
    }

    void start(const std::shared_ptr<Pending>& p) {
        const QUrl& url = p->url;
        if (!url.isValid() || url.host().isEmpty() ||
            (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http"))) {
            finish(p, Failure(DavErrorKind::InvalidAddress, url));
            return;
        }
        if (url.scheme() == QLatin1String("http") && !IsLoopbackHost(url.host()) && !account.allowPlainHttp) {
            finish(p, Failure(DavErrorKind::PlainHttpRefused, url));
            return;
        }
        QNetworkRequest request(url);
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
        request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        request.setHeader(QNetworkRequest::UserAgentHeader, QByteArray("Termifolio98/") + kVersionText);
        if (!p->request.body.isEmpty() || p->request.method == "PUT")
            request.setHeader(QNetworkRequest::ContentTypeHeader, p->request.contentType);
        // Plain bodies: their length can be checked against what was
        // announced, and no packed answer can unfold beyond the limit.
        request.setRawHeader("Accept-Encoding", "identity");
        if (p->request.depth >= 0) request.setRawHeader("Depth", QByteArray::number(p->request.depth));
        if (!p->request.ifMatch.isEmpty()) request.setRawHeader("If-Match", p->request.ifMatch);
        if (p->request.ifNoneMatchAny) request.setRawHeader("If-None-Match", "*");
        if (needsPassword()) {
            request.setRawHeader("Authorization",
                                 "Basic " + (account.user + QLatin1Char(':') + password).toUtf8().toBase64());
            p->passwordRound = passwordRound;
        }
        ++sent;
        QNetworkReply* reply = nam.sendCustomRequest(request, p->request.method, p->request.body);
        running.insert(reply, p);

        auto body = std::make_shared<QByteArray>();
        auto failure = std::make_shared<std::optional<DavReply>>();
        auto timer = new QTimer(reply);
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        const int quietMs = p->request.quietMs > 0 ? p->request.quietMs : limits.timeoutMs;
        timer->setInterval(quietMs);
        auto stop = [reply, failure, url](DavReply why) {
            if (*failure) return;
            *failure = std::move(why);
            reply->abort();
        };
        QObject::connect(timer, &QTimer::timeout, reply, [stop, url, quietMs] {
            DavReply r = Failure(DavErrorKind::Timeout, url);
            r.error.message = QStringLiteral("Der Server %1 hat %2 Sekunden lang nicht geantwortet; abgebrochen.")
                                  .arg(url.host(), QLocale(QLocale::German).toString(quietMs / 1000.0));
            stop(r);
        });
        auto alive = [timer] { timer->start(); };
        QObject::connect(reply, &QNetworkReply::uploadProgress, timer, alive);
        QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [this, reply, stop, url, alive] {
            alive();
            const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
            if (length.isValid() && length.toLongLong() > limits.maxBodyBytes) stop(Failure(DavErrorKind::BodyTooLarge, url));
        });
        QObject::connect(reply, &QNetworkReply::readyRead, reply, [this, reply, body, stop, url, alive] {
            alive();
            const QByteArray chunk = reply->readAll();
            received += chunk.size();
            if (body->size() + chunk.size() > limits.maxBodyBytes) {
                stop(Failure(DavErrorKind::BodyTooLarge, url));
                return;
            }
            body->append(chunk);
        });
        // A refused certificate is only noted: left unignored, the handshake
        // fails by itself, and aborting from within this signal is not safe.
        QObject::connect(reply, &QNetworkReply::sslErrors, reply, [this, reply, failure](const QList<QSslError>& errors) {
            certificate(reply, errors, [failure](DavReply why) {
                if (!*failure) *failure = std::move(why);
            });
        });
        QObject::connect(reply, &QNetworkReply::finished, q, [this, reply, body, failure, url] {
            if (!*failure) {
                const QByteArray rest = reply->readAll();
                received += rest.size();
                if (body->size() + rest.size() > limits.maxBodyBytes) *failure = Failure(DavErrorKind::BodyTooLarge, url);
                else body->append(rest);
            }
            done(reply, *body, *failure);
        });
        timer->start();
    }

    template <typename Stop>
    void certificate(QNetworkReply* reply, const QList<QSslError>& errors, const Stop& stop) {
        QSslCertificate cert = reply->sslConfiguration().peerCertificate();
        if (cert.isNull())
            for (const QSslError& e : errors)
                if (!e.certificate().isNull()) cert = e.certificate();
        const QUrl url = reply->url();
        UntrustedCertificate info;
        info.host = url.host();
        info.port = DefaultPort(url);
        info.sha256 = cert.digest(QCryptographicHash::Sha256);
        info.subject = cert.subjectDisplayName();
        info.issuer = cert.issuerDisplayName();
        info.expires = cert.expiryDate();
        for (const QSslError& e : errors) info.problems << e.errorString();

        auto refuse = [&](DavErrorKind kind, const QString& message) {
            DavReply r = Failure(kind, url);
            r.error.certificate = info;
            r.error.message = message;
            stop(r);
        };
        if (cert.isNull()) {
            refuse(DavErrorKind::TlsFailed, ErrorMessage(DavErrorKind::TlsFailed, url));
            return;
        }
        if (const auto pinned = pins.pinned(info.host, info.port)) {
            if (*pinned == info.sha256) {
                reply->ignoreSslErrors(errors);
                return;
            }
            refuse(DavErrorKind::TlsPinMismatch,
                   QStringLiteral("Das Zertifikat von %1 hat sich geändert! Angenommen war der Fingerabdruck "
                                  "(SHA-256)\n%2,\njetzt zeigt der Server\n%3.\nDie Verbindung wird abgelehnt; "
                                  "ist der Wechsel gewollt, nehmen Sie den neuen Fingerabdruck ausdrücklich an.")
                       .arg(info.host, FormatFingerprint(*pinned), FormatFingerprint(info.sha256)));
            return;
        }
        bool accept = accepted.contains(info.sha256);
        if (!accept && question) {
            auto it = decided.find(info.sha256);
            if (it == decided.end()) it = decided.insert(info.sha256, question(info));
            accept = *it;
        }
        if (accept) {
            pins.pin(info.host, info.port, info.sha256);
            reply->ignoreSslErrors(errors);
            return;
        }
        refuse(DavErrorKind::TlsUntrusted,
               QStringLiteral("Das Zertifikat von %1 ist von keiner bekannten Stelle bestätigt (%2).\n"
                              "Fingerabdruck (SHA-256): %3\nEs wird nur verwendet, wenn Sie diesen Fingerabdruck "
                              "annehmen.")
                   .arg(info.host, info.problems.join(QStringLiteral("; ")), FormatFingerprint(info.sha256)));
    }

    void done(QNetworkReply* reply, const QByteArray& body, const std::optional<DavReply>& failure) {
        reply->deleteLater();
        auto p = running.take(reply);
        if (!p) return;  // cancelled
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QUrl url = p->url;
        const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
        // The access manager may take a connection closed mid-body for the
        // end of the answer.
        const bool cutShort = !failure && status != 0 && announced.isValid() && body.size() < announced.toLongLong() &&
                              reply->rawHeader("Content-Encoding").isEmpty();
        if (failure) {
            finish(p, *failure);
        } else if (cutShort) {
            finish(p, Failure(DavErrorKind::ConnectionClosed, url));
        } else if (status == 0 || (reply->error() > QNetworkReply::NoError && reply->error() < QNetworkReply::ContentAccessDenied)) {
            // No answer, or one cut short: the transport failed, whatever
            // status line came before.
            DavErrorKind kind = DavErrorKind::Network;
            switch (reply->error()) {
                case QNetworkReply::HostNotFoundError: kind = DavErrorKind::HostNotFound; break;
                case QNetworkReply::ConnectionRefusedError: kind = DavErrorKind::ConnectionRefused; break;
                case QNetworkReply::RemoteHostClosedError: kind = DavErrorKind::ConnectionClosed; break;
                case QNetworkReply::TimeoutError: kind = DavErrorKind::Timeout; break;
                case QNetworkReply::SslHandshakeFailedError: kind = DavErrorKind::TlsFailed; break;
                case QNetworkReply::OperationCanceledError: kind = DavErrorKind::Cancelled; break;
                default: break;
            }
            DavReply r = Failure(kind, url);
            if (kind == DavErrorKind::Network)
                r.error.message = ErrorMessage(kind, url) + QLatin1Char(' ') + reply->errorString();
            finish(p, r);
        } else if (status >= 300 && status < 400 && status != 304 && reply->hasRawHeader("Location")) {
            redirect(p, reply);
        } else if (status == 401 && needsPassword()) {
            unauthorized(p);
        } else {
            DavReply r;
            r.status = status;
            r.body = body;
            r.etag = reply->rawHeader("ETag");
            r.url = url;
            if (status == 401) r.error = Failure(DavErrorKind::Unauthorized, url, status).error;
            else if (status == 403) r.error = Failure(DavErrorKind::Forbidden, url, status).error;
            else if (status == 404 || status == 410) r.error = Failure(DavErrorKind::NotFound, url, status).error;
            else if (status >= 500) r.error = Failure(DavErrorKind::ServerError, url, status).error;
            if (status >= 200 && status < 300 && needsPassword() && !passwordConfirmed) {
                passwordConfirmed = true;
                passwords.accepted(account, password);
            }
            finish(p, r);
        }
        pump();
    }

    void redirect(const std::shared_ptr<Pending>& p, QNetworkReply* reply) {
        const QUrl target = p->url.resolved(QUrl::fromEncoded(reply->rawHeader("Location")));
        if (++p->redirects > limits.maxRedirects || target.scheme() != p->url.scheme() ||
            target.host().compare(p->url.host(), Qt::CaseInsensitive) != 0) {
            DavReply r = Failure(DavErrorKind::RedirectRefused, p->url);
            r.error.message = ErrorMessage(DavErrorKind::RedirectRefused, p->url) + QStringLiteral(" (nach %1)").arg(Where(target));
            finish(p, r);
            return;
        }
        p->url = target;
        waiting.push_front(p);
    }

    void unauthorized(const std::shared_ptr<Pending>& p) {
        waiting.push_front(p);
        // Sent before the password changed: it tries the new one first.
        if (p->passwordRound != passwordRound || passwordState == Password::Asking) return;
        rejected = true;
        passwordConfirmed = false;
        askPassword(PasswordSource::Reason::Rejected);
    }
};

DavClient::DavClient(Account account, PasswordSource& passwords, CertificatePins& pins, ConnectionLimits limits,
                     QObject* parent)
    : QObject(parent), d(std::make_unique<Impl>(this, std::move(account), passwords, pins, limits)) {}

DavClient::~DavClient() {
    // The replies go with the access manager; their callbacks must not run.
    for (auto it = d->running.begin(); it != d->running.end(); ++it) it.key()->disconnect();
    d->running.clear();
}

const Account& DavClient::account() const { return d->account; }
const ConnectionLimits& DavClient::limits() const { return d->limits; }
void DavClient::setCertificateQuestion(CertificateQuestion question) { d->question = std::move(question); }
void DavClient::setAcceptedFingerprints(QList<QByteArray> sha256) { d->accepted = std::move(sha256); }
int DavClient::requestsSent() const { return d->sent; }
qint64 DavClient::bytesReceived() const { return d->received; }

void DavClient::send(const DavRequest& request, std::function<void(const DavReply&)> done) {
    auto p = std::make_shared<Impl::Pending>();
    p->request = request;
    p->done = std::move(done);
    p->url = request.url;
    d->waiting.push_back(p);
    QTimer::singleShot(0, this, [this] { d->pump(); });
}

void DavClient::cancelAll() {
    auto running = std::move(d->running);
    d->running.clear();
    for (auto it = running.begin(); it != running.end(); ++it) {
        it.key()->disconnect();
        it.key()->abort();
        it.key()->deleteLater();
        d->finish(it.value(), Impl::Failure(DavErrorKind::Cancelled, it.value()->url));
    }
    while (!d->waiting.empty()) {
        auto p = d->waiting.front();
        d->waiting.pop_front();
        d->finish(p, Impl::Failure(DavErrorKind::Cancelled, p->url));
    }
}

}  // namespace tmf::dav
