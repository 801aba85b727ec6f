#include "Reports.h"

#include <QCoreApplication>

#include <cstdio>

namespace Reports {

void sendTest()
{
    Report report = makeReport(Report::Kind::feedback, QStringLiteral("pipeline test"));
    report.comment = QStringLiteral("Sent by --report-send-test to check the upload path.");
    send(report, [id = report.id](bool sent) {
        std::printf("%s %s\n", sent ? "sent" : "NOT sent", qPrintable(id));
        std::fflush(stdout);
        QCoreApplication::exit(sent ? 0 : 1);
    });
}

} // namespace Reports
