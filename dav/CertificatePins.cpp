#include "CertificatePins.h"

#include "SyncSettings.h"

namespace tmf::dav {
namespace {

QString Key(const QString& host, int port) {
    return QStringLiteral("Zertifikate/") + host.toLower() + QLatin1Char(':') + QString::number(port);
}

}  // namespace

std::optional<QByteArray> IniCertificatePins::pinned(const QString& host, int port) const {
    const QString value = ProgramIni().value(Key(host, port)).toString();
    const QByteArray fingerprint = ParseFingerprint(value);
    if (fingerprint.isEmpty()) return std::nullopt;
    return fingerprint;
}

void IniCertificatePins::pin(const QString& host, int port, const QByteArray& sha256) {
    QSettings settings = ProgramIni();
    settings.setValue(Key(host, port), FormatFingerprint(sha256));
    settings.sync();
}

void IniCertificatePins::unpin(const QString& host, int port) {
    QSettings settings = ProgramIni();
    settings.remove(Key(host, port));
    settings.sync();
}

std::optional<QByteArray> MemoryCertificatePins::pinned(const QString& host, int port) const {
    const auto it = pins_.constFind(Key(host, port));
    if (it == pins_.constEnd()) return std::nullopt;
    return *it;
}

void MemoryCertificatePins::pin(const QString& host, int port, const QByteArray& sha256) {
    pins_.insert(Key(host, port), sha256);
}

void MemoryCertificatePins::unpin(const QString& host, int port) { pins_.remove(Key(host, port)); }

}  // namespace tmf::dav
