// The real application for end-to-end tests against a local HTTPS server: it trusts the
// certificate named by QUILLET_TEST_CA and sends reports and counts to QUILLET_TEST_REPORT_URL
// and QUILLET_TEST_STATS_URL. Everything else is the application as shipped.
#include "launch/QuillApplication.h"

#include "platform/BuildInfo.h"

#include <QCoreApplication>
#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>

namespace {
void trustTestServer()
{
    QFile file(qEnvironmentVariable("QUILLET_TEST_CA"));
    if (file.open(QIODevice::ReadOnly)) {
        QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
        conf.addCaCertificate(QSslCertificate(file.readAll()));
        QSslConfiguration::setDefaultConfiguration(conf);
    }
}
Q_COREAPP_STARTUP_FUNCTION(trustTestServer)
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsSet("QUILLET_TEST_REPORT_URL"))
        BuildInfo::overrideValue(QStringLiteral("QLReportURL"), qEnvironmentVariable("QUILLET_TEST_REPORT_URL"));
    if (qEnvironmentVariableIsSet("QUILLET_TEST_STATS_URL"))
        BuildInfo::overrideValue(QStringLiteral("QLStatsURL"), qEnvironmentVariable("QUILLET_TEST_STATS_URL"));
    return QuillApplication::runMain(argc, argv);
}
