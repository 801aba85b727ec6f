#include "Appcast.h"

#include "document/VersionOrder.h"

#include <QXmlStreamReader>

namespace {
// Reads one <item>; leaves the reader on its end element. Returns the reason it is unusable.
QString readItem(QXmlStreamReader &xml, UpdateItem &item)
{
    bool sawEnclosure = false;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("enclosure") && xml.namespaceUri().isEmpty()
            && !sawEnclosure) {
            sawEnclosure = true;
            const QXmlStreamAttributes a = xml.attributes();
            item.downloadUrl = QUrl(a.value(QLatin1String("url")).toString(), QUrl::StrictMode);
            item.displayVersion = a.value(Appcast::namespaceUri, QLatin1String("version")).toString();
            item.buildVersion = a.value(Appcast::namespaceUri, QLatin1String("build")).toString();
            bool ok = false;
            item.length = a.value(QLatin1String("length")).toLongLong(&ok);
            if (!ok)
                item.length = 0;
            item.signature = QByteArray::fromBase64(
                a.value(Appcast::namespaceUri, QLatin1String("edSignature")).toLatin1(),
                QByteArray::AbortOnBase64DecodingErrors);
        }
        xml.skipCurrentElement();
    }
    if (!sawEnclosure)
        return QStringLiteral("no enclosure");
    if (item.displayVersion.trimmed().isEmpty())
        return QStringLiteral("no version");
    if (!item.downloadUrl.isValid() || item.downloadUrl.isRelative())
        return QStringLiteral("no valid download address");
    if (item.length <= 0)
        return QStringLiteral("no download length");
    if (item.signature.size() != 64)
        return QStringLiteral("no valid signature");
    return {};
}
} // namespace

Appcast Appcast::parse(const QByteArray &data)
{
    Appcast feed;
    QXmlStreamReader xml(data);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("rss")) {
        feed.error = xml.hasError() ? QStringLiteral("not XML (%1)").arg(xml.errorString())
                                    : QStringLiteral("not an RSS feed");
        return feed;
    }
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("channel")) {
            xml.skipCurrentElement();
            continue;
        }
        while (xml.readNextStartElement()) {
            if (xml.name() != QLatin1String("item")) {
                xml.skipCurrentElement();
                continue;
            }
            UpdateItem item;
            const QString problem = readItem(xml, item);
            if (problem.isEmpty())
                feed.items.append(item);
            else
                feed.skipped.append(item.displayVersion.isEmpty()
                                        ? problem
                                        : item.displayVersion + QStringLiteral(": ") + problem);
        }
    }
    if (xml.hasError()) {
        feed.items.clear();
        feed.error = QStringLiteral("not XML (%1)").arg(xml.errorString());
    }
    return feed;
}

const UpdateItem *Appcast::newest() const
{
    const UpdateItem *best = nullptr;
    for (const UpdateItem &item : items) {
        if (!best)
            best = &item;
        else if (const int c = VersionOrder::compare(item.displayVersion, best->displayVersion);
                 c > 0 || (c == 0 && VersionOrder::isNewer(item.buildVersion, best->buildVersion)))
            best = &item;
    }
    return best;
}
