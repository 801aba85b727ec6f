// The open canvas follows a change of where Ctrl+Return sends: an application chosen with "Other
// App…", then "Clipboard only", is named at once by the sidebar's send row and the send button.
#include "CanvasFixture.h"
#include "TestEnv.h"

#include "canvas/CommandSidebar.h"
#include "canvas/Toolbar.h"
#include "export/Destinations.h"
#include "export/SendButton.h"
#include "platform/fake/FakeAppRegistry.h"

class TestCanvasDestination : public QObject
{
    Q_OBJECT

private slots:
    void namesTheNewTargetAtOnce()
    {
        auto apps = std::make_shared<FakeAppRegistry>();
        apps->add(QStringLiteral("org.example.ReceiverTwo"), QStringLiteral("Receiver Two"));
        AppRegistry::setShared(apps);
        CanvasFixture f(QSize(1440, 700));
        CanvasController *c = f.open(QRectF(100, 100, 300, 200));
        QVERIFY(c);
        QVERIFY(c->commands->isVisible());
        SendButton *button = c->toolbar->send();
        QCOMPARE(c->commands->sendRow()->title, QStringLiteral("Copy to clipboard"));

        button->otherAppChosen(QStringLiteral("org.example.ReceiverTwo"));
        QCOMPARE(c->commands->sendRow()->title, QStringLiteral("Paste into Receiver Two"));
        QCOMPARE(button->tip(), QStringLiteral("Ctrl+Return: paste into Receiver Two. Click to choose where it goes"));

        Destinations::choose(Destination::clipboard());
        QCOMPARE(c->commands->sendRow()->title, QStringLiteral("Copy to clipboard"));
        QCOMPARE(button->tip(), QStringLiteral("Ctrl+Return: copy only. Click to choose where it goes"));
    }
};

QUILLET_TEST_MAIN(TestCanvasDestination)
#include "tst_canvasdestination.moc"
