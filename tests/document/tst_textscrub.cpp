#include "document/Scrub.h"
#include "document/Text.h"

#include "TestEnv.h"

class TestTextScrub : public QObject
{
    Q_OBJECT
private slots:
    void tail_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("maxBytes");
        QTest::addColumn<QString>("expected");
        const QString t = QStringLiteral("a\nbb\nccc");
        QTest::newRow("5") << t << 5 << "ccc";
        QTest::newRow("4") << t << 4 << "ccc";
        QTest::newRow("3") << t << 3 << "ccc";
        QTest::newRow("2") << t << 2 << "cc";
        QTest::newRow("fits") << t << 8 << t;
        QTest::newRow("zero") << t << 0 << QString();
        QTest::newRow("empty text") << QString() << 0 << QString();
        QTest::newRow("no line feed") << QStringLiteral("abcdef") << 3 << "def";
        // "é" is two bytes; cutting through it leaves a replacement character.
        QTest::newRow("split character") << QString::fromUtf8("xé") << 1 << QString(QChar(0xFFFD));
    }
    void tail()
    {
        QFETCH(QString, text);
        QFETCH(int, maxBytes);
        QFETCH(QString, expected);
        QCOMPARE(Text::tail(text, maxBytes), expected);
    }

    void scrub_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("expected");
        QTest::newRow("home") << "/Users/alice/Desktop/x.png" << "/Users/alice" << "alice" << "~/Desktop/x.png";
        QTest::newRow("escaped home") << "\\/Users\\/alice\\/Desktop" << "/Users/alice" << "alice" << "~\\/Desktop";
        QTest::newRow("home elsewhere") << "/Users/alice/x" << "/private/c" << "alice" << "/Users/USER/x";
        QTest::newRow("plain prefix") << "/Users/alice" << "/x/y" << "al" << "/Users/USERice";
        QTest::newRow("linux home") << "/home/bob/a and /media/bob/stick" << "/root/h" << "bob"
                                    << "/home/USER/a and /media/USER/DISK";
        QTest::newRow("media volume") << "/media/bob/My Stick/a \\/run\\/media\\/bob\\/X\\/b" << "" << "bob"
                                      << "/media/USER/DISK/a \\/run\\/media\\/USER\\/DISK\\/b";
        QTest::newRow("volume") << "/Volumes/Backup Disk/Photos" << "" << "" << "/Volumes/DISK/Photos";
        QTest::newRow("volume to quote") << "\"/Volumes/Backup\" and /Volumes/X\nnext" << "" << ""
                                         << "\"/Volumes/DISK\" and /Volumes/DISK\nnext";
        QTest::newRow("volume at end") << "at /Volumes/" << "" << "" << "at /Volumes/DISK";
        QTest::newRow("escaped volume") << "\\/Volumes\\/Backup\\/x" << "" << "" << "\\/Volumes\\/DISK\\/x";
        QTest::newRow("tiny home, no user") << "/Users/a /" << "/" << "" << "/Users/a /";
    }
    void scrubIdentity_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("both homes") << "/home/bob/a /srv/users/bob/b" << "~/a ~/b";
        QTest::newRow("escaped passwd home") << "\\/srv\\/users\\/bob\\/b" << "~\\/b";
        QTest::newRow("host and label") << "on build-7x.lan and build-7x: ok" << "on HOST and HOST: ok";
        QTest::newRow("host inside a word") << "rebuild-7x build-7xy xbuild-7x" << "rebuild-7x build-7xy xbuild-7x";
        QTest::newRow("host as path part") << "/tmp/build-7x/x" << "/tmp/HOST/x";
        QTest::newRow("case-sensitive host") << "BUILD-7X" << "BUILD-7X";
    }
    void scrubIdentity()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const Scrub::Identity who{{QStringLiteral("/home/bob"), QStringLiteral("/srv/users/bob")}, QStringLiteral("bob"),
                                  QStringLiteral("build-7x.lan")};
        const QString once = Scrub::text(text, who);
        QCOMPARE(once, expected);
        QCOMPARE(Scrub::text(once, who), once);
        // "localhost" and one-letter names are never replaced.
        const Scrub::Identity local{{}, QString(), QStringLiteral("localhost")};
        QCOMPARE(Scrub::text(QStringLiteral("localhost:80"), local), QStringLiteral("localhost:80"));
    }

    void scrub()
    {
        QFETCH(QString, text);
        QFETCH(QString, home);
        QFETCH(QString, user);
        QFETCH(QString, expected);
        const QString once = Scrub::text(text, home, user);
        QCOMPARE(once, expected);
        QCOMPARE(Scrub::text(once, home, user), once);
    }
};

QUILLET_TEST_MAIN_CORE(TestTextScrub)
#include "tst_textscrub.moc"
