#pragma once
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

// Sends a request body by HTTP POST and hands back how it went. Redirects are never followed:
// a 3xx answer is reported as it came. The answer arrives on the main thread.
class HttpPoster
{
public:
    struct Reply {
        int status = 0;    // the HTTP status; 0 when no answer came
        int error = 0;     // the network error number; 0 when there was none
        QString errorText; // the network error in words
        bool succeeded() const { return error == 0 && status >= 200 && status <= 299; }
    };
    using Headers = QList<QPair<QByteArray, QByteArray>>;

    virtual ~HttpPoster() = default;

    // The process-wide instance (Qt's network access).
    static HttpPoster &shared();
    // Tests put their own in place; nullptr brings back the default.
    static void setShared(std::shared_ptr<HttpPoster> instance);

    virtual void post(const QUrl &url, const QByteArray &body, const Headers &headers,
                      double timeoutSeconds, std::function<void(const Reply &)> done) = 0;
};
