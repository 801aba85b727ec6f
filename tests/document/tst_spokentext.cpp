#include "document/SpokenText.h"
#include "document/TalkTranscript.h"

#include <QtTest>

class SpokenTextTest : public QObject {
    Q_OBJECT
private slots:
    void append_data()
    {
        QTest::addColumn<QString>("existing");
        QTest::addColumn<QString>("words");
        QTest::addColumn<QString>("result");
        QTest::newRow("empty") << "" << "The save button" << "The save button";
        QTest::newRow("continues") << "Broken" << "It crashes" << " it crashes";
        QTest::newRow("after a full stop") << "Broken." << "It crashes" << " It crashes";
        QTest::newRow("colon and blank") << "Broken: " << "It crashes" << "It crashes";
        QTest::newRow("blank") << "Broken " << "It crashes" << "it crashes";
        QTest::newRow("pronoun I") << "Yes" << "I think so" << " I think so";
        QTest::newRow("I'm") << "Yes" << "I'm sure" << " I'm sure";
        QTest::newRow("I\u2019ve") << "Yes" << "I\u2019ve seen it" << " I\u2019ve seen it";
        QTest::newRow("article A") << "See" << "A dog" << " A dog";
        QTest::newRow("acronym") << "See" << "NASA site" << " NASA site";
        QTest::newRow("McDonald") << "At" << "McDonald" << " McDonald";
        QTest::newRow("proper name lowered") << "we went to" << "Paris" << " paris";
        QTest::newRow("comma after word") << "Well" << "Hello, you" << " hello, you";
        QTest::newRow("parenthesis") << "(" << "Maybe" << "maybe";
        QTest::newRow("word opening with parenthesis") << "See" << "(Maybe" << " (Maybe";
        QTest::newRow("line feed") << "Done\n" << "Next" << "Next";
        QTest::newRow("runs and line feeds") << "Broken" << "  two\nlines  " << " two lines";
        QTest::newRow("only blanks") << "Broken" << "   " << "";
        QTest::newRow("only breaks") << "" << " \n\r " << "";
        QTest::newRow("three blanks inside") << "" << "a   b" << "a b";
        QTest::newRow("tab stays") << "" << "a\tb" << "a\tb";
        QTest::newRow("CR LF splits once") << "" << "two\r\nlines" << "two lines";
        QTest::newRow("blank existing") << "   " << "It works" << "It works";
        QTest::newRow("surrogate pair") << "See" << "\U00010400bc" << " \U00010428bc";
        QTest::newRow("length-changing lower") << "See" << "\u0130stanbul" << QString(" ") + QString("\u0130").toLower() + "stanbul";
        QTest::newRow("ellipsis") << "Wait\u2026" << "Then" << " Then";
        QTest::newRow("quote opens") << "\u201C" << "Yes" << "yes";
    }

    void append()
    {
        QFETCH(QString, existing);
        QFETCH(QString, words);
        QFETCH(QString, result);
        QCOMPARE(SpokenText::append(words, existing), result);
    }

    void tidy_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");
        QTest::newRow("one sentence") << "Fix the header." << "Fix the header";
        QTest::newRow("two sentences") << "Fix this. And that." << "Fix this. And that.";
        QTest::newRow("ellipsis") << "Wait..." << "Wait...";
        QTest::newRow("question") << "Really?" << "Really?";
        QTest::newRow("abbreviation inside") << "e.g. this." << "e.g. this.";
        QTest::newRow("short") << "Hmm." << "Hmm";
        QTest::newRow("lone stop") << "." << "";
        QTest::newRow("no stop, cleaned") << "  two\nlines  " << "two lines";
    }

    void tidy()
    {
        QFETCH(QString, text);
        QFETCH(QString, result);
        QCOMPARE(SpokenText::tidy(text), result);
    }

    void transcript()
    {
        TalkTranscript t;
        t.add(QStringLiteral("hel"), false);
        t.add(QStringLiteral("hello wor"), false);
        QCOMPARE(t.text(), QStringLiteral("hello wor"));
        t.add(QStringLiteral("hello world"), true);
        QCOMPARE(t, (TalkTranscript{QStringLiteral("hello world"), QString()}));
        t.add(QStringLiteral(" again"), false);
        QCOMPARE(t.text(), QStringLiteral("hello world again"));
    }
};

QTEST_GUILESS_MAIN(SpokenTextTest)
#include "tst_spokentext.moc"
