#pragma once
#include <QString>
#include <QStringList>

#include <optional>

// What the command line asks of the launch: the release filter and the self-check option that
// runs instead of the normal start-up, if any.
struct LaunchOptions {
    enum class SelfCheck { none, autopilot, benchPages, reportCheck, reportSendTest, talkCheck, statsSendTest };

    QStringList arguments; // after the release filter, the program path first
    SelfCheck selfCheck = SelfCheck::none;
    QString selfCheckValue;   // folder, file or URL text of the self-check option
    int benchPages = 12;      // page count of "--bench-pages"
    bool demo = false;
    bool reopen = false;
    bool unseen = false;
    bool crashTest = false;
    std::optional<QString> welcome;  // "--welcome" with its page
    std::optional<QString> settings; // "--settings" with its sections

    // The seven self-check options that a build with an update feed drops.
    static const QStringList &selfCheckWords();

    // Reads the arguments; releaseBuild removes the self-check option words (their values stay).
    static LaunchOptions parse(const QStringList &arguments, bool releaseBuild);

    // The settings sections of "--settings": the value split at "+", empty pieces dropped.
    QStringList settingsSections() const;

    // What the process answers by itself, before any hand-over to a running copy and before any
    // toolkit set-up: the help, the version line, or an option it does not know (status 2).
    // None when the start goes on.
    struct Answer {
        int status = 0;
        QString out; // for standard output
        QString err; // for standard error
    };
    static std::optional<Answer> answerAlone(const QStringList &arguments, bool releaseBuild,
                                             const QString &versionLine);
    static QString helpText(bool releaseBuild);

    // The pictures named on the command line: every argument after the program path that is no
    // option ("-" first) and no option's value, and every argument after "--", as a path or a
    // file:// URL.
    static QStringList files(const QStringList &arguments);
    // The arguments with every relative picture path made absolute against folder, as a later
    // start hands them to the running instance (which has a working folder of its own).
    static QStringList withAbsolutePaths(const QStringList &arguments, const QString &folder);

    // Options are read up to the first "--"; what follows it names pictures only.
    bool has(const QString &word) const;
    // The argument right after the first one equal to word.
    std::optional<QString> valueAfter(const QString &word) const;

private:
    qsizetype optionsEnd() const;
};
