#pragma once
// Fingerprints of server certificates the user accepted although the
// system's certificates do not vouch for them (a home server's own). One per
// host and port; a certificate that does not verify is taken only when its
// SHA-256 fingerprint is the one pinned here.
#include <QByteArray>
#include <QMap>
#include <QString>
#include <functional>
#include <optional>

#include "DavTypes.h"

namespace tmf::dav {

class CertificatePins {
public:
    virtual ~CertificatePins() = default;
    virtual std::optional<QByteArray> pinned(const QString& host, int port) const = 0;
    virtual void pin(const QString& host, int port, const QByteArray& sha256) = 0;
    virtual void unpin(const QString& host, int port) = 0;
};

// The program's INI (QSettings, section [Zertifikate], "host:port" = hex).
class IniCertificatePins : public CertificatePins {
public:
    std::optional<QByteArray> pinned(const QString& host, int port) const override;
    void pin(const QString& host, int port, const QByteArray& sha256) override;
    void unpin(const QString& host, int port) override;
};

// Held in memory only (tests, a run that must not remember).
class MemoryCertificatePins : public CertificatePins {
public:
    std::optional<QByteArray> pinned(const QString& host, int port) const override;
    void pin(const QString& host, int port, const QByteArray& sha256) override;
    void unpin(const QString& host, int port) override;

private:
    QMap<QString, QByteArray> pins_;
};

// Asked, from the event loop and while the connection waits, when a
// certificate does not verify and nothing is pinned for its host: true
// accepts it (it is pinned then), false refuses it. Without a question the
// certificate is refused and the error carries it, so that a window can show
// the fingerprint, pin it on the user's word and try again, and a terminal
// can name the option that accepts it.
using CertificateQuestion = std::function<bool(const UntrustedCertificate&)>;

}  // namespace tmf::dav
