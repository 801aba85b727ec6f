#include "Reports.h"

#include "app/ActivityLog.h"
#include "platform/BuildInfo.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>

namespace Reports {

int uploadTimeoutMs = 30000;

namespace {
constexpr qint64 outboxDays = 30;

QHash<QString, QStringList> &collected()
{
    static QHash<QString, QStringList> map;
    return map;
}

QSet<QString> &inFlight()
{
    static QSet<QString> ids;
    return ids;
}

QString outboxPath(const QString &id)
{
    return outboxFolder() + QLatin1Char('/') + id + QStringLiteral(".json");
}

// An outbox file that is one of our reports: "<lower-case uuid>.json", decoding as a report of
// that id within the size limit.
bool isReportFile(const QFileInfo &entry, QByteArray *body)
{
    static const QRegularExpression name(
        QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}\\.json$"));
    if (!entry.isFile() || !name.match(entry.fileName()).hasMatch() || entry.size() > Report::maxBytes)
        return false;
    QFile file(entry.filePath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *body = file.readAll();
    const std::optional<Report> report = Report::fromJson(*body);
    return report && report->id == entry.completeBaseName();
}
} // namespace

QNetworkAccessManager &network()
{
    static QNetworkAccessManager *manager = new QNetworkAccessManager();
    return *manager;
}

QUrl endpoint()
{
    return BuildInfo::httpsAddress(BuildInfo::reportUrl());
}

QString hex(const QByteArray &digest)
{
    return QString::fromLatin1(digest.toHex());
}

void noteCollected(const QString &reportId, const QStringList &paths)
{
    collected().insert(reportId, paths);
}

void upload(const QByteArray &body, const QString &id, std::function<void(bool)> completion)
{
    const QUrl base = endpoint();
    if (base.isEmpty()) {
        completion(false);
        return;
    }
    QUrl url = base;
    url.setPath(base.path().endsWith(QLatin1Char('/')) ? base.path() + id : base.path() + QLatin1Char('/') + id);
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setRawHeader("X-Quillet-Report", "1");
    request.setRawHeader("x-amz-content-sha256", hex(QCryptographicHash::hash(body, QCryptographicHash::Sha256)).toLatin1());
    request.setTransferTimeout(uploadTimeoutMs);
    // A redirect is not followed: the report goes to the endpoint or not at all.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply *reply = network().put(request, body);
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, completion] {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const bool sent = reply->error() == QNetworkReply::NoError && status >= 200 && status <= 299;
        reply->deleteLater();
        completion(sent);
    });
}

void send(const Report &report, std::function<void(bool)> completion)
{
    const std::optional<QByteArray> body = report.json(false);
    const QStringList carried = collected().take(report.id);
    if (!body) {
        if (completion)
            completion(false);
        return;
    }
    QDir().mkpath(outboxFolder());
    const QString path = outboxPath(report.id);
    QSaveFile file(path);
    bool stored = false;
    if (file.open(QIODevice::WriteOnly)) {
        file.write(*body);
        stored = file.commit();
    }
    // Only what this report carries, and only once it is safely in the outbox.
    if (stored)
        for (const QString &carriedPath : carried)
            QFile::remove(carriedPath);
    inFlight().insert(report.id);
    const QString id = report.id;
    const QString kind = Report::kindName(report.kind);
    upload(*body, id, [path, id, kind, completion](bool sent) {
        inFlight().remove(id);
        if (sent)
            QFile::remove(path);
        activityLog(QStringLiteral("report %1 %2 %3").arg(kind, id.left(8), sent ? QStringLiteral("sent") : QStringLiteral("kept for later")));
        if (completion)
            completion(sent);
    });
}

void flushOutbox()
{
    const QDateTime now = wallClock();
    const QFileInfoList entries = QDir(outboxFolder()).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        const QDateTime modified = entry.lastModified();
        const QDateTime date = modified.isValid() ? modified : now;
        const QString id = entry.completeBaseName();
        if (inFlight().contains(id))
            continue;
        if (date.secsTo(now) >= outboxDays * 24 * 3600) {
            QFile::remove(entry.filePath());
            continue;
        }
        // Anything else (a half-written temporary file, a stray) stays until it is that old.
        QByteArray body;
        if (!isReportFile(entry, &body))
            continue;
        inFlight().insert(id);
        const QString path = entry.filePath();
        upload(body, id, [path, id](bool sent) {
            inFlight().remove(id);
            if (sent)
                QFile::remove(path);
        });
    }
}

} // namespace Reports
