#include "TestEnv.h"

#include "app/Updates.h"
#include "app/VersionLine.h"
#include "document/VersionOrder.h"
#include "platform/BuildInfo.h"

class TestVersionLine : public QObject
{
    Q_OBJECT
private slots:
    void versionOrder_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("expected");
        QTest::newRow("digit runs are numbers") << "1.10" << "1.9" << 1;
        QTest::newRow("and the other way") << "1.9" << "1.10" << -1;
        QTest::newRow("equal") << "1.4" << "1.4" << 0;
        QTest::newRow("leading zeros") << "2.05" << "2.5" << 0;
        QTest::newRow("longer is later") << "1.4.1" << "1.4" << 1;
        QTest::newRow("letters by character") << "1.4b" << "1.4a" << 1;
        QTest::newRow("runs beyond 64 bits") << "1.123456789012345678901234567890"
                                             << "1.123456789012345678901234567891" << -1;
        QTest::newRow("empty before anything") << "" << "0" << -1;
    }
    void versionOrder()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, expected);
        QCOMPARE(VersionOrder::compare(a, b), expected);
        QCOMPARE(VersionOrder::compare(b, a), -expected);
    }

    void text_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("date"); // "-" for none
        QTest::addColumn<bool>("release");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("expected");
        QTest::newRow("release") << "1.4" << "2026-03-03" << true << "en_US"
                                 << "Version 1.4 · March 3, 2026";
        QTest::newRow("development") << "1.4" << "2026-03-03" << false << "en_US"
                                     << "Development build (after 1.4) · built March 3, 2026";
        QTest::newRow("other locale") << "1.4" << "2026-03-03" << true << "de_DE"
                                      << "Version 1.4 · 3. März 2026";
        QTest::newRow("month 13") << "1.4" << "2026-13-03" << true << "en_US" << "Version 1.4";
        QTest::newRow("not a date") << "1.4" << "yesterday" << false << "en_US"
                                    << "Development build (after 1.4)";
        QTest::newRow("no date") << "1.10" << "-" << true << "en_US" << "Version 1.10";
    }
    void text()
    {
        QFETCH(QString, version);
        QFETCH(QString, date);
        QFETCH(bool, release);
        QFETCH(QString, locale);
        QFETCH(QString, expected);
        const std::optional<QString> day = date == QLatin1String("-") ? std::nullopt
                                                                      : std::optional(date);
        QCOMPARE(VersionLine::text(version, day, release, QLocale(locale)), expected);
    }

    void linesFromTheBuild()
    {
        BuildInfo::overrideValue(QStringLiteral("CFBundleShortVersionString"), QStringLiteral("1.4"));
        BuildInfo::overrideValue(QStringLiteral("QLBuildDate"), QStringLiteral("2026-03-03"));
        BuildInfo::overrideValue(QStringLiteral("CFBundleVersion"), QStringLiteral("57"));
        BuildInfo::overrideValue(QStringLiteral("QLCommit"), QStringLiteral("0123abcd"));
        BuildInfo::overrideValue(QStringLiteral("SUFeedURL"), QString());
        const QLocale us(QStringLiteral("en_US"));
        QCOMPARE(Updates::versionLine(us), QStringLiteral("Development build (after 1.4) · built March 3, 2026"));
        QCOMPARE(Updates::buildLine(), QStringLiteral("Build 57 (0123abcd)"));
        QVERIFY(!Updates::feedURL());
        QVERIFY(Updates::releaseNotesURL().isEmpty());

        BuildInfo::overrideValue(QStringLiteral("SUFeedURL"),
                                 QStringLiteral("https://example.org/feed/appcast.xml?x=1"));
        QCOMPARE(Updates::versionLine(us), QStringLiteral("Version 1.4 · March 3, 2026"));
        QCOMPARE(Updates::releaseNotesURL(), QUrl(QStringLiteral("https://example.org/releases/")));
    }
};

QUILLET_TEST_MAIN_CORE(TestVersionLine)
#include "tst_versionline.moc"
