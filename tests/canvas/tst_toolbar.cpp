// The canvas toolbar offscreen: its controls and what they ask, the change-only update and its
// size cache, the tips' timing and placement, and the font pull-down.
#include "app/PreferenceReaders.h"
#include "canvas/FontPanel.h"
#include "canvas/HoverTips.h"
#include "canvas/SwatchButton.h"
#include "canvas/TipBubble.h"
#include "canvas/Toolbar.h"
#include "export/SendButton.h"
#include "platform/AltDrag.h"
#include "platform/Preferences.h"
#include "platform/fake/FakeScheduler.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {
// A shown host with a toolbar at the bottom middle; tips run on a fake clock.
struct Bar
{
    FakeScheduler clock;
    std::unique_ptr<QWidget> host;
    Toolbar *toolbar = nullptr;
    QList<ToolbarAction> actions;

    explicit Bar(int hostWidth = 1200)
    {
        HoverTips::scheduler() = &clock;
        host = std::make_unique<QWidget>();
        host->resize(hostWidth, 600);
        toolbar = new Toolbar(host.get());
        toolbar->onAction = [this](const ToolbarAction &a) { actions.append(a); };
        toolbar->update(0, 2, QStringLiteral("Menlo-Bold"), std::nullopt, false, false, 1.0);
        toolbar->move((hostWidth - toolbar->width()) / 2, 520);
        host->show();
        QVERIFY(QTest::qWaitForWindowExposed(host.get()));
    }
    ~Bar() { HoverTips::scheduler() = &Scheduler::system(); }
    QWidget *control(int i) const { return toolbar->controls().at(i); }
    // The pointer at the middle of control i.
    void hover(int i) const
    {
        QWidget *c = control(i);
        toolbar->updateTip(QRectF(QRectF(c->rect()).translated(c->mapTo(toolbar, QPoint()))).center());
    }
    QString tip() const
    {
        const auto shown = toolbar->shownTip();
        return shown ? shown->first : QString();
    }
};

QColor iconColour(const QAbstractButton *button)
{
    const QImage image = button->icon().pixmap(QSize(18, 18), 1.0).toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) == 255)
                return image.pixelColor(x, y);
    return {};
}
} // namespace

class TestToolbar : public QObject
{
    Q_OBJECT
private slots:
    void controlsAndTheirActions_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("payload");
        QTest::newRow("arrow") << 0 << int(ToolbarAction::tool) << int(Tool::arrow);
        QTest::newRow("redaction") << 3 << int(ToolbarAction::tool) << int(Tool::redaction);
        QTest::newRow("add shot") << 4 << int(ToolbarAction::addShot) << 0;
        QTest::newRow("yellow") << 6 << int(ToolbarAction::color) << 1;
        QTest::newRow("white") << 10 << int(ToolbarAction::color) << 5;
        QTest::newRow("smaller") << 11 << int(ToolbarAction::smaller) << 0;
        QTest::newRow("larger") << 13 << int(ToolbarAction::larger) << 0;
        QTest::newRow("undo") << 15 << int(ToolbarAction::undo) << 0;
        QTest::newRow("redo") << 16 << int(ToolbarAction::redo) << 0;
        QTest::newRow("zoom") << 17 << int(ToolbarAction::fit) << 0;
        QTest::newRow("copy") << 18 << int(ToolbarAction::copy) << 0;
        QTest::newRow("save") << 19 << int(ToolbarAction::save) << 0;
    }
    void controlsAndTheirActions()
    {
        QFETCH(int, index);
        QFETCH(int, kind);
        QFETCH(int, payload);
        Bar bar;
        QCOMPARE(bar.toolbar->controls().size(), 22);
        bar.toolbar->update(0, 2, QStringLiteral("Menlo-Bold"), std::nullopt, true, true, 1.0);
        QTest::mouseClick(bar.control(index), Qt::LeftButton);
        QCOMPARE(bar.actions.size(), 1);
        const ToolbarAction a = bar.actions.first();
        QCOMPARE(int(a.kind), kind);
        if (a.kind == ToolbarAction::tool)
            QCOMPARE(int(a.toolValue), payload);
        if (a.kind == ToolbarAction::color)
            QCOMPARE(a.colorIndex, payload);
    }

    void tipsAsRendered_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("altDragTaken"); // the window manager moves windows with Alt+drag
        QTest::newRow("box") << 2 << "Box: Ctrl+drag, or press R" << false;
        QTest::newRow("redact") << 3 << "Redact (pixelate): Alt+drag, or press B" << false;
        QTest::newRow("redact, Alt+drag taken") << 3 << "Redact (pixelate): press B" << true;
        QTest::newRow("add shot") << 4 << "Take another shot, on a page of its own  (Ctrl+N, or your capture shortcut)"
                                  << false;
        QTest::newRow("blue") << 8 << "Blue  (4)" << false;
        QTest::newRow("size") << 12 << "Size of arrows and text: Large  ([ and ] change it)" << false;
        QTest::newRow("redo") << 16 << "Redo  (Ctrl+Shift+Z)" << false;
        QTest::newRow("zoom") << 17 << "Zoom. Click to fit everything  (Ctrl+0). 100%: Ctrl+1" << false;
        QTest::newRow("drag out") << 20 << "Drag from here to drop the picture into another app" << false;
    }
    void tipsAsRendered()
    {
        QFETCH(int, index);
        QFETCH(QString, text);
        QFETCH(bool, altDragTaken);
        AltDrag::setOverride(altDragTaken);
        Bar bar;
        AltDrag::setOverride(std::nullopt);
        bar.toolbar->hoverNow(bar.control(index));
        QCOMPARE(bar.tip(), text);
    }

    void sendTipIsReadAtHoverTime()
    {
        Bar bar;
        bar.toolbar->hoverNow(bar.control(21));
        QCOMPARE(bar.tip(), bar.toolbar->send()->tip());
        QVERIFY(bar.tip().startsWith(QStringLiteral("Ctrl+Return: copy only")));
    }

    void zoomText_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<QString>("text");
        QTest::newRow("eighth") << 0.125 << "13%";
        QTest::newRow("quarter-ish") << 0.254 << "25%";
        QTest::newRow("one") << 1.0 << "100%";
        QTest::newRow("two") << 2.0 << "200%";
    }
    void zoomText()
    {
        QFETCH(double, zoom);
        QFETCH(QString, text);
        QCOMPARE(Toolbar::zoomText(zoom), text);
        Bar bar;
        bar.toolbar->update(0, 2, QStringLiteral("Menlo-Bold"), std::nullopt, false, false, zoom);
        QCOMPARE(qobject_cast<QToolButton *>(bar.control(17))->text(), text);
    }

    void updateShowsTheState()
    {
        Bar bar;
        bar.toolbar->update(3, 0, QStringLiteral("Menlo-Bold"), Tool::box, true, false, 1.0);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(static_cast<SwatchButton *>(bar.control(5 + i))->isChosen, i == 3);
        QCOMPARE(qobject_cast<QLabel *>(bar.control(12))->text(), QStringLiteral("S"));
        QVERIFY(bar.control(15)->isEnabled());
        QVERIFY(!bar.control(16)->isEnabled());
        // Only the armed tool takes the accent colour; with none armed all have the label colour.
        const QColor label = bar.toolbar->palette().color(QPalette::WindowText);
        QCOMPARE(iconColour(qobject_cast<QAbstractButton *>(bar.control(2))).rgb(), Prefs::accentColor().rgb());
        QCOMPARE(iconColour(qobject_cast<QAbstractButton *>(bar.control(1))).rgb(), label.rgb());
        bar.toolbar->update(3, 0, QStringLiteral("Menlo-Bold"), std::nullopt, true, false, 1.0);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(iconColour(qobject_cast<QAbstractButton *>(bar.control(i))).rgb(), label.rgb());
        // The pull-down shows the family the name loads as; an unknown name shows itself.
        QCOMPARE(qobject_cast<QToolButton *>(bar.control(14))->text(), QFontInfo(*Prefs::loadFont("Menlo-Bold", 12)).family());
        bar.toolbar->update(3, 0, QStringLiteral("NoSuchFont-Bold"), std::nullopt, true, false, 1.0);
        QCOMPARE(qobject_cast<QToolButton *>(bar.control(14))->text(), QStringLiteral("NoSuchFont-Bold"));
    }

    void sameStateTouchesNothingAndSendWidthRecentres()
    {
        Bar bar;
        const int applied = bar.toolbar->appliedUpdates;
        bar.toolbar->update(0, 2, QStringLiteral("Menlo-Bold"), std::nullopt, false, false, 1.0);
        QCOMPARE(bar.toolbar->appliedUpdates, applied);

        const double centre = bar.toolbar->geometry().center().x();
        const int width = bar.toolbar->width();
        bar.toolbar->send()->setText(QStringLiteral("Ctrl+Return to a long application name"));
        bar.toolbar->update(0, 2, QStringLiteral("Menlo-Bold"), std::nullopt, false, false, 1.0);
        QCOMPARE(bar.toolbar->appliedUpdates, applied + 1);
        QVERIFY(bar.toolbar->width() > width);
        QVERIFY(qAbs(bar.toolbar->geometry().center().x() - centre) <= 1);
        QCOMPARE(bar.toolbar->y(), 520);
    }

    void fittingCacheIsEmptiedPast200()
    {
        Bar bar;
        int n = int(bar.toolbar->fittingsForTest().size());
        for (int z = 1; n < 201; ++z) {
            bar.toolbar->update(0, 2, QStringLiteral("Menlo-Bold"), std::nullopt, false, false, 1.0 + z / 100.0);
            n = int(bar.toolbar->fittingsForTest().size());
        }
        QCOMPARE(n, 201);
        // A key already cached empties it too.
        bar.toolbar->update(0, 2, QStringLiteral("Menlo-Bold"), std::nullopt, false, false, 1.01);
        QCOMPARE(bar.toolbar->fittingsForTest().size(), 1);
        QVERIFY(bar.toolbar->fittingsForTest().contains(
            {QStringLiteral("101%"), QFontInfo(*Prefs::loadFont("Menlo-Bold", 12)).family(), QStringLiteral("L"),
             QString::number(bar.toolbar->send()->sizeHint().width())}));
    }

    void tipTiming()
    {
        Bar bar;
        // The first hover waits.
        bar.hover(0);
        bar.clock.advance(0.44);
        QVERIFY(bar.tip().isEmpty());
        bar.clock.advance(0.02);
        QCOMPARE(bar.tip(), QStringLiteral("Arrow: drag on the canvas"));
        // The next control while one shows: at once.
        bar.hover(1);
        QCOMPARE(bar.tip(), QStringLiteral("Text: click where it goes, or press T"));
        // Left and back within 0.7 s: at once; after 0.7 s: the delay again.
        bar.toolbar->updateTip(std::nullopt);
        QVERIFY(bar.tip().isEmpty());
        bar.clock.advance(0.6);
        bar.hover(2);
        QVERIFY(!bar.tip().isEmpty());
        bar.toolbar->updateTip(std::nullopt);
        bar.clock.advance(0.8);
        bar.hover(3);
        QVERIFY(bar.tip().isEmpty());
        bar.clock.advance(0.45);
        QVERIFY(!bar.tip().isEmpty());
        // A click hides it, and the next tip waits the full delay even right away.
        QTest::mouseClick(bar.host.get(), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(bar.tip().isEmpty());
        bar.hover(4);
        QVERIFY(bar.tip().isEmpty());
        bar.clock.advance(0.45);
        QVERIFY(!bar.tip().isEmpty());
        // Leaving before the delay shows nothing.
        bar.toolbar->updateTip(std::nullopt);
        bar.clock.advance(1);
        bar.hover(5);
        bar.toolbar->updateTip(std::nullopt);
        bar.clock.advance(1);
        QVERIFY(bar.tip().isEmpty());
    }

    void zonesAndHiddenControls()
    {
        Bar bar;
        HoverTips *tips = bar.toolbar->tips();
        // Neighbouring buttons 2 pt apart: their grown zones touch, the earlier one wins.
        QWidget *first = bar.control(0);
        const QPoint firstLeft = first->mapTo(bar.toolbar, QPoint());
        const QPointF between(firstLeft.x() + first->width() + 1, firstLeft.y() + 2);
        QCOMPARE(bar.control(1)->x() - (first->x() + first->width()), 2);
        QCOMPARE(tips->controlAt(between), first);
        QCOMPARE(tips->controlAt(between + QPointF(0.5, 0)), bar.control(1));
        // 6 pt above a control still counts; 7 does not.
        QCOMPARE(tips->controlAt(QPointF(firstLeft.x() + 5, firstLeft.y() - 6)), first);
        QCOMPARE(tips->controlAt(QPointF(firstLeft.x() + 5, firstLeft.y() - 7)), nullptr);
        // A hidden control never tips.
        bar.control(1)->hide();
        bar.hover(0);
        bar.clock.advance(1);
        QCOMPARE(tips->controlAt(QRectF(bar.control(1)->geometry()).center()), nullptr);
    }

    void bubbleWrapsAndPlaces_data()
    {
        QTest::addColumn<int>("hostWidth");
        QTest::addColumn<int>("limit");
        QTest::newRow("200") << 200 << 164;
        QTest::newRow("1000") << 1000 << 320;
        QTest::newRow("90") << 90 << 80;
    }
    void bubbleWrapsAndPlaces()
    {
        QFETCH(int, hostWidth);
        QFETCH(int, limit);
        QWidget host;
        host.resize(hostWidth, 300);
        TipBubble bubble;
        const QString text = QStringLiteral("words ").repeated(60).trimmed();
        bubble.show(text, &host, QRectF(hostWidth / 2.0 - 10, 250, 20, 40));
        // Wrapped at the limit: its lines fill nearly all of it, none goes beyond.
        const int textWidth = bubble.width() - 20;
        QVERIFY2(textWidth <= limit && textWidth > limit - 50, qPrintable(QString::number(textWidth)));
        QCOMPARE(bubble.label()->geometry(), QRect(10, 5, bubble.width() - 20, bubble.height() - 10));
        QCOMPARE(bubble.y() + bubble.height(), 250 - 8);
        if (bubble.width() + 16 > hostWidth)
            QCOMPARE(bubble.x(), 8);
    }

    void bubbleStaysInsideAndIsAddedOnce()
    {
        QWidget host;
        host.resize(600, 300);
        TipBubble bubble;
        bubble.show(QStringLiteral("Save to file"), &host, QRectF(0, 250, 30, 40));
        QCOMPARE(bubble.x(), 8);
        bubble.show(QStringLiteral("Save to file"), &host, QRectF(590, 250, 10, 40));
        QCOMPARE(bubble.geometry().right() + 1, 600 - 8);
        QCOMPARE(host.findChildren<TipBubble *>().size(), 1);
        QVERIFY(bubble.testAttribute(Qt::WA_TransparentForMouseEvents));
    }

    void tipSitsAboveTheToolbarOverTheControl()
    {
        Bar bar;
        bar.toolbar->hoverNow(bar.control(17));
        const auto shown = bar.toolbar->shownTip();
        QVERIFY(shown);
        QCOMPARE(shown->second.bottom() + 1, bar.toolbar->y() - 8);
        const int controlMid = bar.control(17)->mapTo(bar.host.get(), QPoint()).x() + bar.control(17)->width() / 2;
        QVERIFY(qAbs(shown->second.center().x() - controlMid) <= 1);
        bar.toolbar->hoverNow(nullptr);
        QVERIFY(!bar.toolbar->shownTip());
    }

    void fontMenuWithoutPreference()
    {
        Preferences::shared().remove(QStringLiteral("style.recentFonts"));
        Bar bar;
        bar.toolbar->rebuildFontMenu();
        QStringList recent, more, seen;
        QStringList *section = nullptr;
        for (QAction *a : bar.toolbar->fontMenu()->actions()) {
            if (a->text() == QLatin1String("Recent"))
                section = &recent;
            else if (a->text() == QLatin1String("More"))
                section = &more;
            else if (section && a->data().isValid())
                section->append(a->data().toString());
            if (a->data().isValid())
                seen.append(a->data().toString());
        }
        QCOMPARE(recent, QStringList{QStringLiteral("Menlo-Bold")});
        QVERIFY(!more.contains(QStringLiteral("Menlo-Bold")));
        for (const QString &name : more)
            QVERIFY2(Prefs::loadFont(name, 12), qPrintable(name));
        QCOMPARE(QSet<QString>(seen.begin(), seen.end()).size(), seen.size());
        QVERIFY(more.contains(QStringLiteral("DejaVuSerif-Bold")));
        QCOMPARE(bar.toolbar->fontMenu()->actions().last()->text(), QStringLiteral("Other Fonts…"));
        // A font item sends its name.
        bar.toolbar->fontMenu()->actions().at(1)->trigger();
        QCOMPARE(bar.actions.last(), ToolbarAction::pickFont(QStringLiteral("Menlo-Bold")));
        bar.toolbar->fontMenu()->actions().last()->trigger();
        QCOMPARE(bar.actions.last().kind, ToolbarAction::otherFont);
    }

    void pickedFaceRoundTrips()
    {
        QFont serif(QStringLiteral("DejaVu Serif"));
        serif.setBold(true);
        const QString name = FontPanel::nameOf(serif);
        QCOMPARE(name, QStringLiteral("DejaVuSerif-Bold"));
        const std::optional<QFont> back = Prefs::loadFont(name, 22);
        QVERIFY(back);
        QCOMPARE(QFontInfo(*back).family(), QStringLiteral("DejaVu Serif"));
        QVERIFY(QFontInfo(*back).bold());
    }
};

QTEST_MAIN(TestToolbar)
#include "tst_toolbar.moc"
