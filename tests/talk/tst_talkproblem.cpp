#include "talk/TalkProblem.h"

#include <QtTest>

Q_DECLARE_METATYPE(TalkProblem)

class TalkProblemTest : public QObject {
    Q_OBJECT
private slots:
    void messages_data()
    {
        QTest::addColumn<TalkProblem>("problem");
        QTest::addColumn<QStringList>("sentences"); // with Super, right Alt, right Ctrl chosen
        QTest::newRow("asked, refused")
            << TalkProblem::microphoneAsked(false)
            << QStringList(3, "Talk to annotate needs the microphone. You can turn it on in Settings > Permissions.");
        QTest::newRow("asked, allowed")
            << TalkProblem::microphoneAsked(true)
            << QStringList{"Microphone is on. Hold Super and speak.",
                           "Microphone is on. Hold right Alt and speak.",
                           "Microphone is on. Hold right Ctrl and speak."};
        QTest::newRow("language")
            << TalkProblem::language("German (Germany)")
            << QStringList(3, "Quillet\u2122 has no speech to text for German (Germany). Pick another language in Settings > Canvas.");
        QTest::newRow("getting model")
            << TalkProblem::gettingModel("English (United States)")
            << QStringList(3, "The system is getting its speech model for English (United States)\u2026");
        QTest::newRow("failed")
            << TalkProblem::failed("the microphone could not be opened")
            << QStringList(3, "Could not listen: the microphone could not be opened");
        QTest::newRow("microphone off")
            << TalkProblem::microphoneOff()
            << QStringList(3, "The microphone is off for Quillet\u2122. Turn it on in Settings > Permissions.");
        QTest::newRow("no microphone") << TalkProblem::noMicrophone()
                                       << QStringList(3, "No microphone found.");
        QTest::newRow("model ready")
            << TalkProblem::modelReady()
            << QStringList{"Ready. Hold Super and speak.", "Ready. Hold right Alt and speak.",
                           "Ready. Hold right Ctrl and speak."};
    }

    void messages()
    {
        QFETCH(TalkProblem, problem);
        QFETCH(QStringList, sentences);
        for (TalkKey key : TalkKeys::allCases)
            QCOMPARE(problem.message(key), sentences.at(int(key)));
    }

    void debugForms()
    {
        QCOMPARE(TalkProblem::microphoneAsked(true).debugDescription(),
                 QStringLiteral("microphoneAsked(granted: true)"));
        QCOMPARE(TalkProblem::failed("say \"no\"").debugDescription(),
                 QStringLiteral("failed(\"say \\\"no\\\"\")"));
        QCOMPARE(TalkProblem::noMicrophone().debugDescription(), QStringLiteral("noMicrophone"));
        QVERIFY(TalkProblem::language("A") != TalkProblem::gettingModel("A"));
        QVERIFY(TalkProblem::microphoneAsked(true) != TalkProblem::microphoneAsked(false));
    }
};

QTEST_GUILESS_MAIN(TalkProblemTest)
#include "tst_talkproblem.moc"
