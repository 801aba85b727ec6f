#include "Reports.h"

#include "platform/BuildInfo.h"

#include "reports/ReportWindowController.h"

#include "app/ActivityLog.h"
#include "platform/Paths.h"

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QPushButton>

#include <cstdio>

namespace Reports {
namespace {
class Printer
{
public:
    void check(const QString &sentence, bool passed, const QString &detail = QString())
    {
        if (passed) {
            std::printf("ok   %s\n", qPrintable(sentence));
        } else {
            ++failures;
            std::printf("FAIL %s  %s\n", qPrintable(sentence), qPrintable(detail));
        }
        std::fflush(stdout);
    }
    int finish() const
    {
        if (failures == 0)
            std::printf("all checks passed\n");
        else
            std::printf("%d checks FAILED\n", failures);
        std::fflush(stdout);
        return failures == 0 ? 0 : 1;
    }
    int failures = 0;
};

void writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(data);
}

void checkWindow(Printer &out, const QString &folder, ReportWindowController::Mode mode, const Report &report,
                 const QString &file)
{
    ReportWindowController controller(mode, {report}, QString(), {});
    QDialog *window = controller.window();
    if (!window || !window->layout()) {
        out.check(QStringLiteral("the ") + file + QStringLiteral(" window builds"), false);
        return;
    }
    window->layout()->activate();
    window->adjustSize();
    QPushButton *send = controller.sendButton();
    out.check(file + QStringLiteral(": Send is the default button"),
              send && send->isDefault()
                  && send->text() == (BuildInfo::sendsReports() ? QLatin1String("Send Report") : QLatin1String("Save Report")));
    QStringList cut;
    for (QLabel *label : controller.labelsForTest) {
        const int width = label->width();
        if (label->height() < label->heightForWidth(width) - 1 || width < label->minimumSizeHint().width() - 1)
            cut << label->text();
    }
    out.check(file + QStringLiteral(": no text is cut off"), cut.isEmpty(), cut.join(QStringLiteral(" | ")));
    const bool inTree = controller.always->parent() != nullptr;
    out.check(file + QStringLiteral(": the automatic switch shows only after a crash"),
              inTree == (mode == ReportWindowController::Mode::crash));
    window->grab().save(QDir(folder).filePath(file), "PNG");
}
} // namespace

int selfCheck(const QString &folderPath)
{
    const QString folder = QDir(folderPath).absolutePath();
    QDir().mkpath(folder);
    folderOverride = QDir(folder).filePath(QStringLiteral("reports-state"));
    const QString home = QDir::homePath();
    activityLog(QStringLiteral("report self-check, home is ") + home);

    const QString errorName = QStringLiteral("std::out_of_range");
    recordException(errorName, QStringLiteral("self-check in ") + home + QStringLiteral("/Desktop"), {}, false);

    Report report = makeReport(Report::Kind::crash,
                               QStringLiteral("EXC_BREAKPOINT (SIGTRAP) in Reports::deliberateCrashForTesting()"));
    report.crash = QStringLiteral("{\"app_name\":\"Quillet\"}\n{\"threads\":[]}");
    report.comment = QStringLiteral("I pressed Return on a canvas with two shots.");
    const QByteArray compact = report.json(false).value_or(QByteArray());
    const QByteArray pretty = report.json(true).value_or(QByteArray());
    writeFile(QDir(folder).filePath(QStringLiteral("report.json")), pretty);

    Printer out;
    out.check(QStringLiteral("the report is JSON the reader can decode"), Report::fromJson(compact).has_value());
    out.check(QStringLiteral("it carries the caught error"), report.exception && report.exception->contains(errorName));
    out.check(QStringLiteral("it carries the end of the activity log"), report.log.contains(QLatin1String("report self-check")));
    const QString account = Paths::identity().user;
    out.check(QStringLiteral("the account name is nowhere in it"),
              account.size() <= 2 || !QString::fromUtf8(pretty).contains(account), account);
    out.check(QStringLiteral("it fits what the server takes"), !compact.isEmpty() && compact.size() <= Report::maxBytes,
              QStringLiteral("%1 bytes").arg(compact.size()));
    Report oversized = report;
    oversized.log = QStringLiteral("a line of the activity log\n").repeated(80000);
    const std::optional<QByteArray> cut = oversized.json(false);
    out.check(QStringLiteral("an oversized report is cut to fit"), cut && cut->size() <= Report::maxBytes);

    checkWindow(out, folder, ReportWindowController::Mode::crash, report, QStringLiteral("report-crash.png"));
    checkWindow(out, folder, ReportWindowController::Mode::feedback, report, QStringLiteral("report-problem.png"));
    return out.finish();
}

} // namespace Reports
