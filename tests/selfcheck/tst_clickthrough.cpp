// A scripted pointer gesture delivered as the window would deliver it: the hit test picks the
// widget, which gets the press, the drags and the release in its own coordinates.
#include "selfcheck/ClickThrough.h"

#include "TestEnv.h"

#include <QMouseEvent>

using namespace Autopilot;

namespace {
using Seen = QList<std::pair<QEvent::Type, QPointF>>;

class Recorder : public QWidget
{
public:
    using QWidget::QWidget;
    Seen seen;

protected:
    void mousePressEvent(QMouseEvent *e) override { seen.append({e->type(), e->position()}); }
    void mouseMoveEvent(QMouseEvent *e) override { seen.append({e->type(), e->position()}); }
    void mouseReleaseEvent(QMouseEvent *e) override { seen.append({e->type(), e->position()}); }
};

// A window of 300 × 200 with a panel at (100, 50) holding a button-like child at (10, 10), and a
// pane of glass over the panel that lets the mouse through.
struct Fixture
{
    Recorder host;
    Recorder *panel = new Recorder(&host);
    Recorder *inner = new Recorder(panel);

    Fixture()
    {
        host.resize(300, 200);
        panel->setGeometry(100, 50, 150, 100);
        inner->setGeometry(10, 10, 40, 40);
        auto *glass = new QWidget(panel);
        glass->setGeometry(0, 0, 150, 100);
        glass->setAttribute(Qt::WA_TransparentForMouseEvents);
        host.show();
    }
    bool nothingSent() const { return host.seen.isEmpty() && panel->seen.isEmpty() && inner->seen.isEmpty(); }
};
} // namespace

class TestClickThrough : public QObject
{
    Q_OBJECT

private slots:
    void aClickPressesAndReleasesWhereItBegan()
    {
        Fixture f;
        // The end point of a click is ignored.
        QCOMPARE(clickThrough(&f.host, QPointF(120, 70), QPointF(280, 190), true), f.inner);
        QCOMPARE(f.inner->seen, (Seen{{QEvent::MouseButtonPress, QPointF(10, 10)},
                                      {QEvent::MouseButtonRelease, QPointF(10, 10)}}));
        QVERIFY(f.panel->seen.isEmpty() && f.host.seen.isEmpty());
    }

    // Six drags evenly along the way, the last on the end point, all to the widget pressed even
    // when the pointer has left it; the release at the end.
    void aDragStaysWithTheWidgetPressed()
    {
        Fixture f;
        QCOMPARE(clickThrough(&f.host, QPointF(200, 60), QPointF(260, 180), false), f.panel);
        Seen expected{{QEvent::MouseButtonPress, QPointF(100, 10)}};
        for (int i = 1; i <= 6; ++i)
            expected.append({QEvent::MouseMove, QPointF(100 + 10 * i, 10 + 20 * i)});
        expected.append({QEvent::MouseButtonRelease, QPointF(160, 130)});
        QCOMPARE(f.panel->seen, expected);
        QVERIFY(f.inner->seen.isEmpty() && f.host.seen.isEmpty());
    }

    void whereNoChildIsTheViewItselfIsHit()
    {
        Fixture f;
        QCOMPARE(clickThrough(&f.host, QPointF(5, 5), QPointF(5, 5), true), &f.host);
        QCOMPARE(f.host.seen.size(), 2);
    }

    void nothingHitSendsNothing_data()
    {
        QTest::addColumn<QPointF>("start");
        QTest::newRow("left of the view") << QPointF(-1, 20);
        QTest::newRow("on its right edge") << QPointF(300, 20);
        QTest::newRow("below it") << QPointF(20, 200.5);
    }
    void nothingHitSendsNothing()
    {
        QFETCH(QPointF, start);
        Fixture f;
        QCOMPARE(clickThrough(&f.host, start, QPointF(20, 20), false), nullptr);
        QVERIFY(f.nothingSent());
    }

    void aWidgetInNoWindowGetsNothing()
    {
        Recorder loose;
        loose.resize(100, 100);
        auto *child = new Recorder(&loose);
        child->setGeometry(0, 0, 50, 50);
        QCOMPARE(clickThrough(&loose, QPointF(10, 10), QPointF(60, 60), false), nullptr);
        QVERIFY(loose.seen.isEmpty() && child->seen.isEmpty());
    }

    void aWidgetIsToldByItsClassNameAndFrame()
    {
        Fixture f;
        f.inner->setObjectName(QStringLiteral("copy"));
        QCOMPARE(describe(f.panel), QStringLiteral("QWidget (100, 50, 150, 100)"));
        QCOMPARE(describe(f.inner), QStringLiteral("QWidget \"copy\" (10, 10, 40, 40)"));
        QCOMPARE(describe(nullptr), QStringLiteral("none"));
    }
};

QUILLET_TEST_MAIN(TestClickThrough)
#include "tst_clickthrough.moc"
