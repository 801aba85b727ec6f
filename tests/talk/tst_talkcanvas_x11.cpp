#include "../canvas/CanvasFixture.h"
#include "SoundFixtures.h"

#include "TestEnv.h"
#include "XTestInput.h"

#include "app/ActivityLog.h"
#include "canvas/Talk.h"
#include "canvas/TextItemView.h"
#include "launch/TalkWiring.h"
#include "talk/SpeechListener.h"
#include "talk/TalkController.h"
#include "talk/TalkSettings.h"

#include <QFile>
#include <QLabel>

namespace {
constexpr quint32 ctrlR = 0xffe4;

int linesOf(const QString &line)
{
    QFile log(ActivityLog::logPath());
    if (!log.open(QIODevice::ReadOnly))
        return 0;
    return int(QString::fromUtf8(log.readAll()).count(line));
}
} // namespace

// Talking on a real canvas window: the default talk key held with XTest over the canvas, the
// real listener recognizing a spoken file with pocketsphinx, and the words landing in the
// comment as the user would see them.
class TalkCanvasTest : public QObject
{
    Q_OBJECT

    XTestInput input;
    QString file;
    QStringList toasts;

private slots:
    void initTestCase()
    {
        QVERIFY(input.isValid());
        QVERIFY(QFile::exists(SoundFixtures::speechFile("hello16k.wav")));
        installTalk();
        makeSpeechListener = [this] {
            auto listener = std::make_shared<SpeechListener>();
            listener->file = file;
            return listener;
        };
        TalkController::toastHook = [this](const QString &text, double) { toasts << text; };
    }

    void holdOverTheCanvas_data()
    {
        QTest::addColumn<QString>("sound");
        QTest::addColumn<QString>("before"); // "-": nothing edited
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("words");
        QTest::newRow("empty comment being edited") << "hello16k.wav" << "" << "Hello world" << 2;
        QTest::newRow("after a word") << "hello16k.wav" << "Broken" << "Broken hello world" << 2;
        QTest::newRow("after a sentence") << "hello16k.wav" << "Broken." << "Broken. Hello world" << 2;
        QTest::newRow("nothing edited") << "hello16k.wav" << "-" << "Hello world" << 2;
        QTest::newRow("two utterances") << "twice16k.wav" << "" << "Hello world hello world" << 4;
        QTest::newRow("48 kHz, nothing edited") << "hello48k.wav" << "-" << "Hello world" << 2;
    }
    void holdOverTheCanvas()
    {
        QFETCH(QString, sound);
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(int, words);
        file = SoundFixtures::speechFile(sound.toUtf8().constData());
        toasts.clear();

        CanvasFixture f(QSize(1200, 760));
        CanvasController *c = f.open(QRectF(100, 100, 600, 400));
        QVERIFY(c);
        f.view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.view.get()));
        QVERIFY(c->editing);
        if (before == QLatin1String("-"))
            c->endEditing();
        else
            c->editing->insertPlainText(before);
        const std::optional<QUuid> edited = c->editing ? std::optional(c->editing->itemID()) : std::nullopt;
        const int undoSteps = c->history.past.size();
        const int itemsBefore = c->markup.items.size();

        // The pointer rests over the shot, then the talk key is held and let go.
        const QPointF at = c->markup.shotRect().center() + QPointF(-150, 60);
        input.moveTo(c->scrollView->viewport()->mapToGlobal(c->scrollView->viewPoint(at).toPoint()));
        QTRY_VERIFY(c->hoverPoint);
        const QPointF pointer = *c->hoverPoint;
        const int heardBefore = linesOf(QStringLiteral("talk: heard %1 words").arg(words));
        input.keyDown(ctrlR);
        QTest::qWait(1500);
        QVERIFY(c->spoken);
        input.keyUp(ctrlR);
        QTRY_VERIFY_WITH_TIMEOUT(!c->spoken, 15000);
        QCOMPARE(toasts, QStringList());
        QCOMPARE(linesOf(QStringLiteral("talk: heard %1 words").arg(words)), heardBefore + 1);

        if (edited) {
            // Into the comment being edited, which stays open.
            QVERIFY(c->editing);
            QCOMPARE(c->editing->itemID(), *edited);
            QCOMPARE(c->editing->string(), after);
            QCOMPARE(c->markup.item(*edited)->string, after);
            QCOMPARE(c->history.past.size(), undoSteps);
        } else {
            // A new comment at the pointer, closed; one undo removes it.
            QVERIFY(!c->editing);
            QCOMPARE(c->markup.items.size(), itemsBefore + 1);
            const Item note = c->markup.items.last();
            QCOMPARE(note.string, after);
            QCOMPARE(note.anchor, pointer);
            QCOMPARE(c->history.past.size(), undoSteps + 1);
            c->undo();
            QCOMPARE(c->markup.items.size(), itemsBefore);
        }
    }

    // A drag while the talk key (right Ctrl) is held draws an arrow, not the box of a Ctrl-drag.
    void dragWhileHolding()
    {
        file = SoundFixtures::speechFile("hello16k.wav");
        CanvasFixture f(QSize(1200, 760));
        CanvasController *c = f.open(QRectF(100, 100, 600, 400));
        QVERIFY(c);
        f.view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.view.get()));
        c->endEditing();
        const auto global = [c](QPointF p) {
            return c->scrollView->viewport()->mapToGlobal(c->scrollView->viewPoint(p).toPoint());
        };
        const QPointF a = c->markup.shotRect().center(), b = a + QPointF(-160, -90);
        input.moveTo(global(a));
        input.keyDown(ctrlR);
        QTest::qWait(300);
        const bool held = c->talk->isHolding();
        input.drag(global(a), global(b));
        input.keyUp(ctrlR);
        QVERIFY(held);
        QTRY_VERIFY_WITH_TIMEOUT(!c->spoken, 15000);
        int arrows = 0, boxes = 0;
        for (const Item &item : c->markup.items) {
            arrows += item.kind == ItemKind::arrow;
            boxes += item.kind == ItemKind::box;
        }
        QCOMPARE(arrows, 1);
        QCOMPARE(boxes, 0);
    }

    // The hint line names the talk key while talking is on, and follows the settings' notice;
    // with talking off the key no longer holds.
    void hintAndSettings()
    {
        CanvasFixture f(QSize(1200, 760));
        CanvasController *c = f.open(QRectF(100, 100, 600, 400));
        QVERIFY(c && c->hint);
        f.view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.view.get()));
        QVERIFY(c->hint->text().contains(QStringLiteral("Hold right Ctrl: talk")));

        setPreference(QStringLiteral("talk.key"), QStringLiteral("control"));
        TalkSettings::notifier().post();
        QVERIFY(c->hint->text().contains(QStringLiteral("Hold Super: talk")));

        setPreference(QStringLiteral("talk.enabled"), false);
        TalkSettings::notifier().post();
        QVERIFY(!c->hint->text().contains(QStringLiteral("talk")));
        input.keyDown(0xffeb); // Super_L
        QTest::qWait(300);
        QVERIFY(!c->spoken);
        QVERIFY(!c->talk->isHolding());
        input.keyUp(0xffeb);

        Preferences::shared().remove(QStringLiteral("talk.key"));
        Preferences::shared().remove(QStringLiteral("talk.enabled"));
        TalkSettings::notifier().post();
        QVERIFY(c->hint->text().contains(QStringLiteral("Hold right Ctrl: talk")));
    }
};

QUILLET_TEST_MAIN(TalkCanvasTest)
#include "tst_talkcanvas_x11.moc"
