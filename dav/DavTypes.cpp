#include "DavTypes.h"

#include <QHostAddress>

namespace tmf::dav {

QUrl ServerUrl(const QString& typed) {
    QString text = typed.trimmed();
    if (text.isEmpty()) return {};
    if (!text.contains(QLatin1String("://"))) text.prepend(QLatin1String("https://"));
    QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) return {};
    if (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http")) return {};
    // A user name typed into the address goes through Account::user only.
    url.setUserInfo({});
    url.setFragment({});
    if (url.path().isEmpty()) url.setPath(QStringLiteral("/"));
    return url;
}

bool IsLoopbackHost(const QString& host) {
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) return true;
    QHostAddress address;
    return address.setAddress(host) && address.isLoopback();
}

QString FormatFingerprint(const QByteArray& sha256) {
    return QString::fromLatin1(sha256.toHex(':').toUpper());
}

QByteArray ParseFingerprint(const QString& text) {
    QByteArray hex;
    for (QChar c : text) {
        if (c == QLatin1Char(':') || c.isSpace()) continue;
        if (!isxdigit(c.toLatin1())) return {};
        hex += c.toLatin1();
    }
    const QByteArray bytes = QByteArray::fromHex(hex);
    return hex.size() == 64 && bytes.size() == 32 ? bytes : QByteArray();
}

QUrl CollectionUrl(QUrl url) {
    if (!url.path().endsWith(QLatin1Char('/'))) url.setPath(url.path() + QLatin1Char('/'));
    return url;
}

bool EndsRun(DavErrorKind kind) {
    switch (kind) {
        case DavErrorKind::Unauthorized:
        case DavErrorKind::PasswordMissing:
        case DavErrorKind::TlsUntrusted:
        case DavErrorKind::TlsPinMismatch:
        case DavErrorKind::TlsFailed:
        case DavErrorKind::HostNotFound:
        case DavErrorKind::ConnectionRefused:
        case DavErrorKind::PlainHttpRefused:
        case DavErrorKind::Cancelled:
            return true;
        default:
            return false;
    }
}

}  // namespace tmf::dav
