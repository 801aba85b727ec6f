#pragma once
#include <QList>
#include <QString>
#include <QVariantList>

// The legal documents: their titles, a line on each, and their paths. The texts ship inside
// the application: the site root is the resource folder ":/legal", and root + path +
// "index.md" names a document's Markdown text.
namespace Legal {
struct Document {
    QString title;
    QString detail;
    QString path; // begins and ends with "/"
};

// The nine documents, in the order they are listed.
const QList<Document> &documents();
QString siteRoot();
// The resource file that holds the text of a path, or empty when there is none.
QString textFile(const QString &path);
// Shows the document of a path in the one legal viewer; an unknown path is only logged.
void open(const QString &path);
// The documents as the views read them: maps of "title", "detail", "path".
QVariantList forViews();
} // namespace Legal
