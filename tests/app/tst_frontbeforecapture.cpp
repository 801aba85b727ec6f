#include "TestEnv.h"

#include "app/FrontBeforeCapture.h"
#include "platform/fake/FakeFrontApplication.h"

#include <QWidget>
#include <QWindow>

// The application a capture records for sending: the one in front, or, while Quillet itself is
// in front, the last other one that was.
class TestFrontBeforeCapture : public QObject
{
    Q_OBJECT
    std::shared_ptr<FakeFrontApplication> front;
    const RunningApp editor{11, 500, "Editor", "org.example.Editor"};
    const RunningApp chat{12, 501, "Chat", "org.example.Chat"};

    RunningApp ownApp(quint32 window = 99) const
    {
        return RunningApp{window, QCoreApplication::applicationPid(), "Quillet", "quillet"};
    }

private slots:
    void init()
    {
        FrontBeforeCapture::resetForTesting();
        front = std::make_shared<FakeFrontApplication>();
        FrontApplication::setShared(front);
    }

    void anotherAppInFrontIsRecorded()
    {
        front->front = editor;
        QCOMPARE(FrontBeforeCapture::now(), std::optional(editor));
        QVERIFY(front->watching);
    }

    void quilletInFrontGivesTheLastOtherApp()
    {
        front->front = editor;
        FrontBeforeCapture::startWatching();
        front->bringToFront(chat);
        front->bringToFront(ownApp()); // e.g. the settings window
        QCOMPARE(FrontBeforeCapture::now(), std::optional(chat));
    }

    void quilletInFrontWithNoOtherAppBeforeGivesNone()
    {
        front->front = ownApp();
        QCOMPARE(FrontBeforeCapture::now(), std::nullopt);
    }

    // A window of ours is ours even when the window system reports no process for it.
    void ownWindowWithoutAProcessId()
    {
        QWidget window;
        window.show();
        QVERIFY(window.windowHandle());
        RunningApp seen{quint32(window.winId()), 0, "?", "?"};
        QVERIFY(FrontBeforeCapture::isOwn(seen));
        QVERIFY(!FrontBeforeCapture::isOwn(editor));
        front->front = editor;
        FrontBeforeCapture::startWatching();
        front->bringToFront(seen);
        QCOMPARE(FrontBeforeCapture::now(), std::optional(editor));
    }

    // A fake put in place later is followed from then on.
    void followsTheFrontApplicationInPlaceNow()
    {
        front->front = editor;
        FrontBeforeCapture::startWatching();
        auto later = std::make_shared<FakeFrontApplication>();
        FrontApplication::setShared(later);
        later->front = ownApp();
        QCOMPARE(FrontBeforeCapture::now(), std::optional(editor));
        later->bringToFront(chat);
        later->bringToFront(ownApp());
        QCOMPARE(FrontBeforeCapture::now(), std::optional(chat));
    }
};

QUILLET_TEST_MAIN(TestFrontBeforeCapture)
#include "tst_frontbeforecapture.moc"
