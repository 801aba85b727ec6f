#include "Legal.h"

#include "LegalViewer.h"
#include "app/ActivityLog.h"

#include <QFile>
#include <QVariantMap>

static void initLegalResources()
{
    Q_INIT_RESOURCE(legal);
}

namespace Legal {

const QList<Document> &documents()
{
    static const QList<Document> list = {
        {QStringLiteral("Terms of Service"), QStringLiteral("The agreement and the software license."),
         QStringLiteral("/terms/")},
        {QStringLiteral("Privacy Policy"), QStringLiteral("What we receive, and what never leaves your computer."),
         QStringLiteral("/privacy/")},
        {QStringLiteral("Accessibility Statement"), QStringLiteral("Where we stand, and how to get help."),
         QStringLiteral("/accessibility/")},
        {QStringLiteral("Acceptable Use Policy"), QStringLiteral("What Quillet™ may not be used for."),
         QStringLiteral("/legal/acceptable-use/")},
        {QStringLiteral("Copyright Policy"), QStringLiteral("How to send a copyright notice."),
         QStringLiteral("/legal/copyright/")},
        {QStringLiteral("Cookie Policy"), QStringLiteral("The website sets none."),
         QStringLiteral("/legal/cookies/")},
        {QStringLiteral("Trademark Guidelines"), QStringLiteral("How to refer to Quillet™."),
         QStringLiteral("/legal/trademarks/")},
        {QStringLiteral("Security Policy"), QStringLiteral("How to report a vulnerability."),
         QStringLiteral("/legal/security/")},
        {QStringLiteral("Third-Party Notices"), QStringLiteral("Open-source software inside the app."),
         QStringLiteral("/legal/licenses/")},
    };
    return list;
}

QString siteRoot()
{
    return QStringLiteral(":/legal");
}

QString textFile(const QString &path)
{
    initLegalResources();
    // Only paths of the form the documents use: no way out of the folder, nothing but a page.
    if (!path.startsWith(QLatin1Char('/')) || !path.endsWith(QLatin1Char('/'))
        || path.contains(QLatin1String("..")) || path.contains(QLatin1String("//")))
        return QString();
    const QString file = siteRoot() + path + QStringLiteral("index.md");
    return QFile::exists(file) ? file : QString();
}

void open(const QString &path)
{
    if (textFile(path).isEmpty()) {
        activityLog(QStringLiteral("legal: no document at ") + path);
        return;
    }
    LegalViewer::shared().showDocument(path);
}

QVariantList forViews()
{
    QVariantList out;
    for (const Document &d : documents())
        out << QVariantMap{{QStringLiteral("title"), d.title},
                           {QStringLiteral("detail"), d.detail},
                           {QStringLiteral("path"), d.path}};
    return out;
}

} // namespace Legal
