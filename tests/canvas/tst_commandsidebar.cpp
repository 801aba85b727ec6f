// The command sidebar offscreen: its rows' words, sizes and caps, the send row following the
// destination, clicks that stop in the panel, and the copy row's flash.
#include "canvas/CommandSidebar.h"
#include "platform/Preferences.h"
#include "platform/fake/FakeScheduler.h"

#include <QtTest>

#include <memory>

namespace {
// A host counting the presses that reach it, with a sidebar at its right.
class Host : public QWidget
{
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent *) override { ++presses; }
};

struct Panel
{
    FakeScheduler clock;
    std::unique_ptr<Host> host = std::make_unique<Host>();
    CommandSidebar *sidebar = nullptr;
    std::optional<RunningApp> before;
    int copies = 0, sends = 0;

    explicit Panel(std::optional<RunningApp> previous = std::nullopt) : before(std::move(previous))
    {
        CommandRow::scheduler() = &clock;
        host->resize(1000, 700);
        sidebar = new CommandSidebar(QRect(772, 0, 228, 700), host.get());
        sidebar->previous = [this] { return before; };
        sidebar->onCopy = [this] { ++copies; };
        sidebar->onSend = [this] { ++sends; };
        sidebar->refreshSendRow();
        host->show();
        QVERIFY(QTest::qWaitForWindowExposed(host.get()));
    }
    ~Panel() { CommandRow::scheduler() = &Scheduler::system(); }
};

RunningApp app(const QString &name)
{
    return {42, 4242, name, QStringLiteral("org.example.NotInstalledHere")};
}
} // namespace

class TestCommandSidebar : public QObject
{
    Q_OBJECT
private slots:
    void init() { Preferences::shared().remove(QStringLiteral("send.to")); }

    void rowsStackWithRoomForTheirWords()
    {
        Panel panel;
        CommandRow *copy = panel.sidebar->copyRow();
        CommandRow *send = panel.sidebar->sendRow();
        // Each row is as high as its words (or the flash's, whichever is higher) need, at least
        // one icon's height, plus 58: 80 when neither wraps.
        const double t = 228 - 20 - 24 - 54;
        const int height = int(std::max({CommandRow::textHeight(copy->title, t),
                                         CommandRow::textHeight(QStringLiteral("Copied to clipboard"), t), 22.0}))
                           + 58;
        if (CommandRow::textHeight(QStringLiteral("Copied to clipboard"), t) <= 22)
            QCOMPARE(height, 80);
        QCOMPARE(copy->geometry(), QRect(12, 12, 228 - 20 - 24, height));
        QCOMPARE(send->geometry(), QRect(12, 12 + height + 10, 228 - 20 - 24, height));
        panel.host->grab().save("/tmp/sidebar_look.png");
        QCOMPARE(copy->title, QStringLiteral("Copy to clipboard"));
        QCOMPARE(copy->symbol, QStringLiteral("copy"));
        // No application in front before: copy only.
        QCOMPARE(send->title, QStringLiteral("Copy to clipboard"));
        QCOMPARE(send->symbol, QStringLiteral("clipboard"));
        QVERIFY(send->iconIsSymbol);
    }

    void keyCaps()
    {
        Panel panel;
        CommandRow *send = panel.sidebar->sendRow();
        QCOMPARE(send->keys, (QStringList{QStringLiteral("Ctrl"), QStringLiteral("Return")}));
        QCOMPARE(panel.sidebar->copyRow()->keys, QStringList{QStringLiteral("Return")});
        const QList<QRectF> caps = send->capRects(16);
        QCOMPARE(caps.size(), 2);
        QCOMPARE(caps[0].left(), 42.0);
        QCOMPARE(caps[0].top(), 22.0 + 22.0);
        QVERIFY(caps[0].width() >= 28);
        QCOMPARE(caps[1].left(), caps[0].right() + 5);
        QCOMPARE(caps[1].height(), 24.0);
    }

    void sendRowFollowsTheDestination()
    {
        Panel panel(app(QStringLiteral("Notes")));
        QCOMPARE(panel.sidebar->sendRow()->title, QStringLiteral("Paste into Notes"));
        QVERIFY(!panel.sidebar->sendRow()->iconIsSymbol);
        Preferences::shared().setValue(QStringLiteral("send.to"), QStringLiteral("clipboard"));
        panel.sidebar->refreshSendRow();
        QCOMPARE(panel.sidebar->sendRow()->title, QStringLiteral("Copy to clipboard"));
        // An application that is not installed: the same as the clipboard.
        Preferences::shared().setValue(QStringLiteral("send.to"), QStringLiteral("org.example.Missing"));
        panel.sidebar->refreshSendRow();
        QCOMPARE(panel.sidebar->sendRow()->title, QStringLiteral("Copy to clipboard"));
        QVERIFY(panel.sidebar->sendRow()->iconIsSymbol);
    }

    void longNameGrowsOnlyTheSendRow()
    {
        Panel panel(app(QStringLiteral("A Rather Long Application Name For Pasting")));
        QCOMPARE(panel.sidebar->copyRow()->height(), Panel().sidebar->copyRow()->height());
        QVERIFY(panel.sidebar->sendRow()->height() > panel.sidebar->copyRow()->height());
        QCOMPARE(panel.sidebar->sendRow()->y(), 12 + panel.sidebar->copyRow()->height() + 10);
    }

    void narrowPanelPlacesNothing()
    {
        Panel panel;
        const QRect before = panel.sidebar->copyRow()->geometry();
        panel.sidebar->resize(84, 700); // content 64 wide
        QCOMPARE(panel.sidebar->copyRow()->geometry(), before);
    }

    void clicks()
    {
        Panel panel;
        CommandRow *copy = panel.sidebar->copyRow();
        QTest::mouseClick(copy, Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(panel.copies, 1);
        QTest::mouseClick(panel.sidebar->sendRow(), Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(panel.sends, 1);
        // Pressed, dragged out and released outside: nothing, and unpressed once outside.
        QTest::mousePress(copy, Qt::LeftButton, {}, QPoint(20, 20));
        QVERIFY(copy->pressed);
        QMouseEvent out(QEvent::MouseMove, QPointF(20, 300), copy->mapToGlobal(QPointF(20, 300)), Qt::NoButton,
                        Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(copy, &out);
        QVERIFY(!copy->pressed);
        QTest::mouseRelease(copy, Qt::LeftButton, {}, QPoint(20, 300));
        QCOMPARE(panel.copies, 1);
        // Between the rows: swallowed, the host never sees it.
        QTest::mouseClick(panel.sidebar, Qt::LeftButton, {}, QPoint(100, 600));
        QCOMPARE(panel.host->presses, 0);
        QCOMPARE(panel.copies + panel.sends, 2);
    }

    void flashesEndAfterTheLast()
    {
        Panel panel;
        CommandRow *copy = panel.sidebar->copyRow();
        copy->flash(QStringLiteral("Copied to clipboard"));
        panel.clock.advance(1);
        copy->flash(QStringLiteral("Copied again"));
        QCOMPARE(*copy->flashed, QStringLiteral("Copied again"));
        panel.clock.advance(1.5);
        QVERIFY(copy->isFlashing());
        panel.clock.advance(0.1);
        QVERIFY(!copy->isFlashing());
        const int before = copy->height();
        copy->flash(QStringLiteral("Copied to clipboard"));
        QCOMPARE(copy->height(), before); // measured with the flash text: no jump
    }
};

QTEST_MAIN(TestCommandSidebar)
#include "tst_commandsidebar.moc"
