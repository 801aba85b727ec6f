#pragma once
#include "app/Updater.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The update feed: an RSS 2.0 document whose items each carry one release in an enclosure:
//
//   <rss version="2.0" xmlns:update="urn:x-quillet:update"><channel><item>
//     <title>Quillet 1.10</title>
//     <enclosure url="https://example.org/quillet-1.10.tar.gz" length="5242880"
//                type="application/gzip" update:version="1.10" update:build="57"
//                update:edSignature="(base64 of 64 bytes)"/>
//   </item></channel></rss>
struct Appcast
{
    static inline const QString namespaceUri = QStringLiteral("urn:x-quillet:update");

    QList<UpdateItem> items; // the usable items, in feed order
    QStringList skipped;     // why each unusable item was left out
    QString error;           // set when the document is not an RSS feed

    static Appcast parse(const QByteArray &xml);
    // The item with the highest version (then build); nullptr when there is none.
    const UpdateItem *newest() const;
};
