#include "QtHttpPoster.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>

namespace {
std::shared_ptr<HttpPoster> &instance()
{
    static std::shared_ptr<HttpPoster> shared;
    return shared;
}
} // namespace

HttpPoster &HttpPoster::shared()
{
    if (!instance())
        instance() = std::make_shared<QtHttpPoster>();
    return *instance();
}

void HttpPoster::setShared(std::shared_ptr<HttpPoster> replacement)
{
    instance() = std::move(replacement);
}

QtHttpPoster::QtHttpPoster() : m_network(new QNetworkAccessManager) {}

QtHttpPoster::~QtHttpPoster()
{
    delete m_network;
}

void QtHttpPoster::post(const QUrl &url, const QByteArray &body, const Headers &headers,
                        double timeoutSeconds, std::function<void(const Reply &)> done)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    double timeout = timeoutSeconds;
    if (m_timeoutCap > 0 && (timeout <= 0 || timeout > m_timeoutCap))
        timeout = m_timeoutCap;
    if (timeout > 0)
        request.setTransferTimeout(int(timeout * 1000));
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    if (!m_trusted.isEmpty()) {
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        ssl.addCaCertificates(m_trusted);
        request.setSslConfiguration(ssl);
    }
    QNetworkReply *reply = m_network->post(request, body);
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, done = std::move(done)] {
        Reply out;
        out.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->error() != QNetworkReply::NoError
            && !(out.status != 0 && reply->error() >= QNetworkReply::ContentAccessDenied)) {
            out.error = int(reply->error());
            out.errorText = reply->errorString();
        }
        reply->deleteLater();
        if (done)
            done(out);
    });
}
