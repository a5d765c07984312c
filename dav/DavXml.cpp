#include "DavXml.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace tmf::dav {
namespace {

QString Qualified(const QXmlStreamReader& xml) {
    return QLatin1Char('{') + xml.namespaceUri().toString() + QLatin1Char('}') + xml.name().toString();
}

bool Is(const QXmlStreamReader& xml, const char* ns, const char* local) {
    return xml.namespaceUri() == QLatin1String(ns) && xml.name() == QLatin1String(local);
}

// "HTTP/1.1 404 Not Found" → 404
int StatusCode(const QString& line) {
    const QStringList parts = line.simplified().split(QLatin1Char(' '));
    if (parts.size() < 2) return 0;
    bool ok = false;
    const int code = parts[1].toInt(&ok);
    return ok ? code : 0;
}

// Reads one property element (the reader on its start) to its end.
DavProp ReadProp(QXmlStreamReader& xml) {
    DavProp prop;
    int depth = 1;
    bool inHref = false;
    QString href;
    while (depth > 0 && !xml.atEnd()) {
        switch (xml.readNext()) {
            case QXmlStreamReader::StartElement:
                ++depth;
                prop.elements << Qualified(xml);
                if (Is(xml, kNsDav, "href")) {
                    inHref = true;
                    href.clear();
                }
                if (Is(xml, kNsCalDav, "comp")) prop.components << xml.attributes().value(QLatin1String("name")).toString();
                break;
            case QXmlStreamReader::EndElement:
                --depth;
                if (inHref && Is(xml, kNsDav, "href")) {
                    prop.hrefs << href.trimmed();
                    inHref = false;
                }
                break;
            case QXmlStreamReader::Characters:
                prop.text += xml.text();
                if (inHref) href += xml.text();
                break;
            default:
                break;
        }
    }
    return prop;
}

void ReadPropstat(QXmlStreamReader& xml, DavResponse& response) {
    QHash<QString, DavProp> props;
    int status = 200;
    while (xml.readNextStartElement()) {
        if (Is(xml, kNsDav, "prop")) {
            while (xml.readNextStartElement()) {
                const QString name = Qualified(xml);
                props.insert(name, ReadProp(xml));
            }
        } else if (Is(xml, kNsDav, "status")) {
            status = StatusCode(xml.readElementText(QXmlStreamReader::IncludeChildElements));
        } else {
            xml.skipCurrentElement();
        }
    }
    if (status >= 200 && status < 300) response.props.insert(props);
}

DavResponse ReadResponse(QXmlStreamReader& xml) {
    DavResponse response;
    while (xml.readNextStartElement()) {
        if (Is(xml, kNsDav, "href")) response.href = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        else if (Is(xml, kNsDav, "status")) response.status = StatusCode(xml.readElementText(QXmlStreamReader::IncludeChildElements));
        else if (Is(xml, kNsDav, "propstat")) ReadPropstat(xml, response);
        else xml.skipCurrentElement();
    }
    return response;
}

void WriteProps(QXmlStreamWriter& w, const std::vector<PropName>& props) {
    w.writeStartElement(QLatin1String(kNsDav), QStringLiteral("prop"));
    for (const auto& [ns, local] : props) w.writeEmptyElement(QLatin1String(ns), QLatin1String(local));
    w.writeEndElement();
}

// Every prefix on the root element, declared once.
void Start(QXmlStreamWriter& w) {
    w.writeStartDocument();
    w.writeNamespace(QLatin1String(kNsDav), QStringLiteral("d"));
    w.writeNamespace(QLatin1String(kNsCardDav), QStringLiteral("card"));
    w.writeNamespace(QLatin1String(kNsCalDav), QStringLiteral("cal"));
    w.writeNamespace(QLatin1String(kNsCalendarServer), QStringLiteral("cs"));
    w.writeNamespace(QLatin1String(kNsAppleIcal), QStringLiteral("ical"));
}

}  // namespace

QString QualifiedName(const char* ns, const char* local) {
    return QLatin1Char('{') + QLatin1String(ns) + QLatin1Char('}') + QLatin1String(local);
}

MultiStatus ParseMultiStatus(const QByteArray& body) {
    MultiStatus result;
    QXmlStreamReader xml(body);
    if (!xml.readNextStartElement() || !Is(xml, kNsDav, "multistatus")) return result;
    while (xml.readNextStartElement()) {
        if (Is(xml, kNsDav, "response")) result.responses << ReadResponse(xml);
        else if (Is(xml, kNsDav, "sync-token")) result.syncToken = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        else xml.skipCurrentElement();
    }
    result.ok = !xml.hasError();
    return result;
}

QStringList ErrorConditions(const QByteArray& body) {
    QStringList found;
    QXmlStreamReader xml(body);
    if (!xml.readNextStartElement() || !Is(xml, kNsDav, "error")) return found;
    while (xml.readNextStartElement()) {
        found << Qualified(xml);
        xml.skipCurrentElement();
    }
    return found;
}

QByteArray PropfindBody(const std::vector<PropName>& props) {
    QByteArray out;
    QXmlStreamWriter w(&out);
    Start(w);
    w.writeStartElement(QLatin1String(kNsDav), QStringLiteral("propfind"));
    WriteProps(w, props);
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

QByteArray SyncCollectionBody(const QString& syncToken, const std::vector<PropName>& props) {
    QByteArray out;
    QXmlStreamWriter w(&out);
    Start(w);
    w.writeStartElement(QLatin1String(kNsDav), QStringLiteral("sync-collection"));
    w.writeTextElement(QLatin1String(kNsDav), QStringLiteral("sync-token"), syncToken);
    w.writeTextElement(QLatin1String(kNsDav), QStringLiteral("sync-level"), QStringLiteral("1"));
    WriteProps(w, props);
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

QByteArray AddressbookMultigetBody(const QStringList& hrefs, const std::vector<PropName>& props) {
    QByteArray out;
    QXmlStreamWriter w(&out);
    Start(w);
    w.writeStartElement(QLatin1String(kNsCardDav), QStringLiteral("addressbook-multiget"));
    WriteProps(w, props);
    for (const QString& href : hrefs) w.writeTextElement(QLatin1String(kNsDav), QStringLiteral("href"), href);
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

QByteArray CalendarQueryBody(const std::vector<PropName>& props) {
    QByteArray out;
    QXmlStreamWriter w(&out);
    Start(w);
    w.writeStartElement(QLatin1String(kNsCalDav), QStringLiteral("calendar-query"));
    WriteProps(w, props);
    w.writeStartElement(QLatin1String(kNsCalDav), QStringLiteral("filter"));
    w.writeEmptyElement(QLatin1String(kNsCalDav), QStringLiteral("comp-filter"));
    w.writeAttribute(QStringLiteral("name"), QStringLiteral("VCALENDAR"));
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

QString HrefPath(const QString& href, const QUrl& base) {
    const QUrl resolved = base.resolved(QUrl(href, QUrl::TolerantMode));
    return resolved.path(QUrl::FullyDecoded);
}

bool SameCollectionPath(const QString& a, const QString& b) {
    auto trimmed = [](const QString& s) { return s.endsWith(QLatin1Char('/')) ? s.chopped(1) : s; };
    return trimmed(a) == trimmed(b);
}

}  // namespace tmf::dav
