#pragma once
#include "platform/HttpPoster.h"

#include <QList>
#include <QSslCertificate>

class QNetworkAccessManager;

// Posts through QNetworkAccessManager with a transfer time-out and no redirects. Extra
// certificates can be trusted besides the system's (tests with a server of their own).
class QtHttpPoster : public HttpPoster
{
public:
    QtHttpPoster();
    ~QtHttpPoster() override;

    void trust(const QList<QSslCertificate> &certificates) { m_trusted = certificates; }
    // Tests shorten every time-out to this many seconds (0: as asked).
    void setTimeoutCap(double seconds) { m_timeoutCap = seconds; }

    void post(const QUrl &url, const QByteArray &body, const Headers &headers,
              double timeoutSeconds, std::function<void(const Reply &)> done) override;

private:
    QNetworkAccessManager *m_network;
    QList<QSslCertificate> m_trusted;
    double m_timeoutCap = 0;
};
