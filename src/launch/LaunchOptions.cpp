#include "LaunchOptions.h"

#include <QDir>
#include <QUrl>

namespace {
// Options followed by a value of their own.
bool takesValue(const QString &word)
{
    static const QStringList words = {
        QStringLiteral("--autopilot"), QStringLiteral("--bench-pages"), QStringLiteral("--report-check"),
        QStringLiteral("--talk-check"), QStringLiteral("--stats-send-test"), QStringLiteral("--welcome"),
        QStringLiteral("--settings"),
    };
    return words.contains(word);
}

// Indexes of the arguments that name pictures.
QList<qsizetype> fileIndexes(const QStringList &args)
{
    QList<qsizetype> found;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a.startsWith(QLatin1Char('-'))) {
            if (takesValue(a))
                ++i;
            continue;
        }
        if (!a.isEmpty())
            found.append(i);
    }
    return found;
}
} // namespace

QStringList LaunchOptions::files(const QStringList &args)
{
    QStringList out;
    for (qsizetype i : fileIndexes(args))
        out.append(args.at(i));
    return out;
}

QStringList LaunchOptions::withAbsolutePaths(const QStringList &args, const QString &folder)
{
    QStringList out = args;
    const QDir base(folder);
    for (qsizetype i : fileIndexes(args)) {
        const QString &a = args.at(i);
        if (a.contains(QStringLiteral("://")))
            continue;
        out[i] = QDir::cleanPath(base.absoluteFilePath(a));
    }
    return out;
}

const QStringList &LaunchOptions::selfCheckWords()
{
    static const QStringList words = {
        QStringLiteral("--autopilot"),   QStringLiteral("--bench-pages"),
        QStringLiteral("--report-check"), QStringLiteral("--report-send-test"),
        QStringLiteral("--talk-check"),   QStringLiteral("--stats-send-test"),
        QStringLiteral("--crash-test"),
    };
    return words;
}

std::optional<QString> LaunchOptions::valueAfter(const QString &word) const
{
    const qsizetype at = arguments.indexOf(word);
    if (at < 0 || at + 1 >= arguments.size())
        return std::nullopt;
    return arguments.at(at + 1);
}

QStringList LaunchOptions::settingsSections() const
{
    if (!settings)
        return {};
    return settings->split(QLatin1Char('+'), Qt::SkipEmptyParts);
}

LaunchOptions LaunchOptions::parse(const QStringList &args, bool releaseBuild)
{
    LaunchOptions o;
    o.arguments = args;
    if (releaseBuild) {
        QStringList kept;
        for (const QString &a : args)
            if (!selfCheckWords().contains(a))
                kept.append(a);
        o.arguments = kept;
    }

    // Self-check options in their order; the first that applies wins.
    if (const auto v = o.valueAfter(QStringLiteral("--autopilot"))) {
        o.selfCheck = SelfCheck::autopilot;
        o.selfCheckValue = *v;
    } else if (o.has(QStringLiteral("--bench-pages"))) {
        o.selfCheck = SelfCheck::benchPages;
        bool ok = false;
        const int n = o.valueAfter(QStringLiteral("--bench-pages")).value_or(QString()).toInt(&ok, 10);
        o.benchPages = ok ? n : 12;
    } else if (const auto v = o.valueAfter(QStringLiteral("--report-check"))) {
        o.selfCheck = SelfCheck::reportCheck;
        o.selfCheckValue = *v;
    } else if (o.has(QStringLiteral("--report-send-test"))) {
        o.selfCheck = SelfCheck::reportSendTest;
    } else if (const auto v = o.valueAfter(QStringLiteral("--talk-check"))) {
        o.selfCheck = SelfCheck::talkCheck;
        o.selfCheckValue = *v;
    } else if (o.has(QStringLiteral("--stats-send-test"))) {
        o.selfCheck = SelfCheck::statsSendTest;
        o.selfCheckValue = o.valueAfter(QStringLiteral("--stats-send-test")).value_or(QString());
    }

    o.demo = o.has(QStringLiteral("--demo"));
    o.reopen = o.has(QStringLiteral("--reopen"));
    o.unseen = o.has(QStringLiteral("--unseen"));
    o.crashTest = o.has(QStringLiteral("--crash-test"));
    o.welcome = o.valueAfter(QStringLiteral("--welcome"));
    o.settings = o.valueAfter(QStringLiteral("--settings"));
    return o;
}
