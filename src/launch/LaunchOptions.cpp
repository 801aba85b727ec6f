#include "LaunchOptions.h"

#include <QDir>
#include <QUrl>

namespace {
const QString endOfOptions = QStringLiteral("--");

// Options followed by a value of their own.
bool takesValue(const QString &word)
{
    static const QStringList words = {
        QStringLiteral("--autopilot"), QStringLiteral("--bench-pages"), QStringLiteral("--columns"),
        QStringLiteral("--report-check"), QStringLiteral("--talk-check"), QStringLiteral("--stats-send-test"),
        QStringLiteral("--welcome"), QStringLiteral("--settings"),
    };
    return words.contains(word);
}

// Options that stand alone.
bool isFlag(const QString &word)
{
    static const QStringList words = {
        QStringLiteral("--demo"), QStringLiteral("--reopen"), QStringLiteral("--unseen"),
        QStringLiteral("--report-send-test"), QStringLiteral("--crash-test"),
        QStringLiteral("--help"), QStringLiteral("--version"),
    };
    return words.contains(word);
}

// One reading of the command line: where the options end, which arguments name pictures and the
// first option the application does not know.
struct Reading {
    qsizetype optionsEnd = 0; // index of the first "--", or the argument count
    QList<qsizetype> files;
    std::optional<QString> unknown;
};

Reading read(const QStringList &args)
{
    Reading r;
    r.optionsEnd = args.size();
    qsizetype i = 1;
    for (; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == endOfOptions) {
            r.optionsEnd = i;
            break;
        }
        if (a.startsWith(QLatin1Char('-'))) {
            if (takesValue(a))
                ++i;
            else if (!isFlag(a) && !r.unknown)
                r.unknown = a;
            continue;
        }
        if (!a.isEmpty())
            r.files.append(i);
    }
    for (++i; i < args.size(); ++i)
        if (!args.at(i).isEmpty())
            r.files.append(i);
    return r;
}

// Indexes of the arguments that name pictures.
QList<qsizetype> fileIndexes(const QStringList &args)
{
    return read(args).files;
}
} // namespace

std::optional<LaunchOptions::Answer> LaunchOptions::answerAlone(const QStringList &args, bool releaseBuild,
                                                                const QString &versionLine)
{
    // The self-check words a release build drops are no unknown options there either.
    const QStringList kept = parse(args, releaseBuild).arguments;
    const Reading r = read(kept);
    const QStringList options = kept.mid(0, r.optionsEnd);
    if (r.unknown) {
        const QString program = args.isEmpty() ? QStringLiteral("quillet") : args.first().section(QLatin1Char('/'), -1);
        return Answer{2, QString(),
                      QStringLiteral("%1: unknown option %2 (see %1 --help)\n").arg(program, *r.unknown)};
    }
    // "--help" and "--version" count as options only where they are no other option's value.
    const auto given = [&](const QString &word) {
        for (qsizetype i = 1; i < options.size(); ++i) {
            if (options.at(i) == word)
                return true;
            if (takesValue(options.at(i)))
                ++i;
        }
        return false;
    };
    if (given(QStringLiteral("--help")))
        return Answer{0, helpText(releaseBuild), QString()};
    if (given(QStringLiteral("--version")))
        return Answer{0, versionLine + QLatin1Char('\n'), QString()};
    return std::nullopt;
}

QString LaunchOptions::helpText(bool releaseBuild)
{
    QString text = QStringLiteral(
        "Usage: quillet [OPTION]... [--] [PICTURE]...\n"
        "Quillet\u2122 waits in the tray for its capture shortcuts. A start while it runs hands the\n"
        "arguments to the running copy. Each PICTURE (a path or a file:// URL) opens on a canvas;\n"
        "name pictures after -- when a name starts with \"-\".\n"
        "\n"
        "Options:\n"
        "  --demo                   capture a made-up sample screen instead of the displays\n"
        "  --reopen                 reopen the newest capture of the history on a canvas\n"
        "  --welcome STAGE          open the welcome window staged at fresh, access, done,\n"
        "                           shortcut or recording, optionally with :0 to :9 (icon stage)\n"
        "  --settings SECTIONS      open one settings window per section, joined by \"+\" (shortcuts,\n"
        "                           canvas, general, permissions, reports, contact, legal, about),\n"
        "                           each optionally followed by \":\" and comma-separated words\n"
        "  --unseen                 with --settings: keep those windows below the desktop\n"
        "  --help                   print this help and exit\n"
        "  --version                print the version line and exit\n");
    if (!releaseBuild)
        text += QStringLiteral(
            "\n"
            "Self-check options:\n"
            "  --autopilot OUT          run the self-check, writing its pictures into the folder OUT\n"
            "  --bench-pages N          time page switches on a canvas of N pages (12 by default)\n"
            "  --columns N              with --bench-pages: a page rail N columns wide\n"
            "  --report-check FOLDER    check the problem-report pipeline, writing into FOLDER\n"
            "  --report-send-test       send one test problem report and exit\n"
            "  --talk-check FILE        recognise the spoken words of the sound FILE\n"
            "  --stats-send-test [URL]  send the usage statistics once (to URL when given)\n"
            "  --crash-test             crash 3 seconds after the start, to test crash reports\n");
    return text;
}

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

qsizetype LaunchOptions::optionsEnd() const
{
    return read(arguments).optionsEnd;
}

bool LaunchOptions::has(const QString &word) const
{
    const qsizetype at = arguments.indexOf(word);
    return at >= 0 && at < optionsEnd();
}

std::optional<QString> LaunchOptions::valueAfter(const QString &word) const
{
    const qsizetype end = optionsEnd();
    const qsizetype at = arguments.indexOf(word);
    if (at < 0 || at >= end || at + 1 >= end)
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
        const qsizetype end = read(args).optionsEnd;
        QStringList kept;
        for (qsizetype i = 0; i < args.size(); ++i)
            if (i >= end || !selfCheckWords().contains(args.at(i)))
                kept.append(args.at(i));
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
