#include "DavServers.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslCertificate>
#include <map>
#include <memory>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

namespace tmf::test {
namespace {

QNetworkAccessManager& Manager() {
    static QNetworkAccessManager* nam = new QNetworkAccessManager;
    return *nam;
}

QNetworkReply* Send(const QByteArray& method, const QUrl& url, const QByteArray& body,
                    const QList<std::pair<QByteArray, QByteArray>>& headers, const QString& user,
                    const QString& password) {
    QNetworkRequest request(url);
    for (const auto& [name, value] : headers) request.setRawHeader(name, value);
    if (!user.isEmpty())
        request.setRawHeader("Authorization", "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64());
    QNetworkReply* reply = Manager().sendCustomRequest(request, method, body);
    QObject::connect(reply, &QNetworkReply::sslErrors, reply, [reply] { reply->ignoreSslErrors(); });
    return reply;
}

const QByteArray kAddressBookBody =
    "<?xml version=\"1.0\"?><mkcol xmlns=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><set><prop>"
    "<resourcetype><collection/><C:addressbook/></resourcetype><displayname>%1</displayname></prop></set></mkcol>";

}  // namespace

int FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

HttpAnswer Http(const QByteArray& method, const QUrl& url, const QByteArray& body,
                const QList<std::pair<QByteArray, QByteArray>>& headers, const QString& user,
                const QString& password) {
    QNetworkReply* reply = Send(method, url, body, headers, user, password);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30'000, &loop, &QEventLoop::quit);
    loop.exec();
    HttpAnswer answer{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll(),
                      reply->rawHeader("ETag")};
    reply->deleteLater();
    return answer;
}

DavServer::~DavServer() { stop(); }

bool DavServer::running() const { return process_ && process_->state() == QProcess::Running; }

void DavServer::stop() {
    if (!process_) return;
    if (process_->state() != QProcess::NotRunning) {
        process_->terminate();
        if (!process_->waitForFinished(5000)) {
            process_->kill();
            process_->waitForFinished(2000);
        }
    }
    process_.reset();
}

bool DavServer::launch(const QString& program, const QStringList& arguments, QString* why) {
    process_ = std::make_unique<QProcess>();
    process_->setProcessChannelMode(QProcess::MergedChannels);
    process_->setStandardOutputFile(QString::fromStdString(dir_.file("server.log")), QIODevice::Append);
    process_->start(program, arguments);
    if (!process_->waitForStarted(5000)) {
        *why = program + QStringLiteral(" startet nicht: ") + process_->errorString();
        return false;
    }
    // Up once it takes connections.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 20'000) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(base_.port()));
        if (probe.waitForConnected(200)) return true;
        if (process_->state() != QProcess::Running) break;
        QThread::msleep(50);
    }
    *why = program + QStringLiteral(" kam nicht hoch: ") + QString::fromStdString(dir_.read("server.log"));
    return false;
}

QUrl DavServer::makeAddressBook(const QString& name, const QString& displayName) {
    QUrl url = base_.resolved(QUrl(homePath() + name + QLatin1Char('/')));
    const HttpAnswer a = Http("MKCOL", url, QString::fromLatin1(kAddressBookBody).arg(displayName).toUtf8(),
                              {{"Content-Type", "application/xml"}}, user_, password_);
    if (a.status != 201) qWarning("MKCOL %s: %d %s", qPrintable(url.toString()), a.status, a.body.constData());
    return url;
}

QUrl DavServer::makeCalendar(const QString& name, const QString& displayName) {
    QUrl url = base_.resolved(QUrl(calendarHomePath() + name + QLatin1Char('/')));
    const QByteArray body =
        "<?xml version=\"1.0\"?><C:mkcalendar xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\"><D:set><D:prop>"
        "<D:displayname>" + displayName.toUtf8() + "</D:displayname><C:supported-calendar-component-set>"
        "<C:comp name=\"VEVENT\"/></C:supported-calendar-component-set></D:prop></D:set></C:mkcalendar>";
    const HttpAnswer a = Http("MKCALENDAR", url, body, {{"Content-Type", "application/xml"}}, user_, password_);
    if (a.status != 201) qWarning("MKCALENDAR %s: %d %s", qPrintable(url.toString()), a.status, a.body.constData());
    return url;
}

int DavServer::put(const QUrl& book, const QString& file, const QByteArray& vcard) {
    return Http("PUT", book.resolved(QUrl(file)), vcard, {{"Content-Type", "text/vcard; charset=utf-8"}}, user_, password_)
        .status;
}

bool DavServer::putMany(const QUrl& book, const QList<std::pair<QString, QByteArray>>& cards) {
    int open = 0;
    bool ok = true;
    QEventLoop loop;
    for (const auto& [file, vcard] : cards) {
        QNetworkReply* reply = Send("PUT", book.resolved(QUrl(file)), vcard, {{"Content-Type", "text/vcard; charset=utf-8"}},
                                    user_, password_);
        ++open;
        QObject::connect(reply, &QNetworkReply::finished, &loop, [&, reply] {
            const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            if (status != 201 && status != 204) {
                ok = false;
                qWarning("PUT %s: %d", qPrintable(reply->url().toString()), status);
            }
            reply->deleteLater();
            if (--open == 0) loop.quit();
        });
    }
    if (open > 0) loop.exec();
    return ok;
}

int DavServer::remove(const QUrl& book, const QString& file) {
    return Http("DELETE", book.resolved(QUrl(file)), {}, {}, user_, password_).status;
}

bool Radicale::start(QString* why) {
    if (port_ == 0) port_ = FreePort();
    base_ = QUrl(QStringLiteral("%1://127.0.0.1:%2/").arg(tls_ ? "https" : "http").arg(port_));
    const QString folder = QString::fromStdString(dir_.path());
    dir_.write("users", "anna:geheim\nbert:anders\n");
    if (!storage_) {
        const QString shm = QStringLiteral("/dev/shm");
        storage_ = std::make_unique<QTemporaryDir>(
            (QFileInfo(shm).isWritable() ? shm : QDir::tempPath()) + QStringLiteral("/tmf-radicale-XXXXXX"));
    }
    QString config = QStringLiteral(
                         "[server]\nhosts = 127.0.0.1:%1\n"
                         "[auth]\ntype = htpasswd\nhtpasswd_filename = %2users\nhtpasswd_encryption = plain\n"
                         "[storage]\nfilesystem_folder = %3/collections\n"
                         "[rights]\ntype = owner_only\n"
                         "[logging]\nlevel = warning\n")
                         .arg(port_)
                         .arg(folder, storage_->path());
    if (tls_) {
        if (!QFile::exists(folder + QStringLiteral("cert.pem"))) {
            QProcess openssl;
            openssl.start(QStringLiteral("openssl"),
                          {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                           "-keyout", folder + "key.pem", "-out", folder + "cert.pem", "-days", "2", "-subj",
                           "/CN=Radicale der Tests", "-addext", "subjectAltName=IP:127.0.0.1"});
            if (!openssl.waitForFinished(20'000) || openssl.exitCode() != 0) {
                *why = QStringLiteral("openssl: ") + openssl.readAllStandardError();
                return false;
            }
        }
        const auto certs = QSslCertificate::fromPath(folder + QStringLiteral("cert.pem"));
        if (certs.isEmpty()) {
            *why = QStringLiteral("Kein Zertifikat");
            return false;
        }
        fingerprint_ = certs.front().digest(QCryptographicHash::Sha256);
        config.replace(QStringLiteral("[auth]"), QStringLiteral("ssl = True\ncertificate = %1cert.pem\nkey = %1key.pem\n[auth]")
                                                       .arg(folder));
    }
    dir_.write("config", config.toStdString());
    return launch(QStringLiteral("radicale"), {QStringLiteral("--config"), folder + QStringLiteral("config")}, why);
}

bool Radicale::seed(const QUrl& book, const QList<std::pair<QString, QByteArray>>& cards) {
    const QString folder = storage_->path() + QStringLiteral("/collections/collection-root") + book.path();
    for (const auto& [file, vcard] : cards) {
        QFile out(folder + file);
        if (!out.open(QIODevice::WriteOnly) || out.write(vcard) != vcard.size()) return false;
    }
    return true;
}

bool Xandikos::start(QString* why) {
    const int port = FreePort();
    base_ = QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port));
    const QString folder = QString::fromStdString(dir_.path()) + QStringLiteral("daten");
    return launch(QStringLiteral("xandikos"),
                  {"--defaults", "-d", folder, "-l", "127.0.0.1", "-p", QString::number(port)}, why);
}

DavServer* SharedServer(const std::string& which, QString* why) {
    static std::map<std::string, std::unique_ptr<DavServer>> servers;
    auto& s = servers[which];
    if (!s) {
        if (which == "Radicale") s = std::make_unique<Radicale>();
        else s = std::make_unique<Xandikos>();
        if (!s->start(why)) {
            s.reset();
            return nullptr;
        }
    }
    return s.get();
}

}  // namespace tmf::test
