// Whether the window manager takes Alt+drag: GNOME's managers say so in their settings, other
// managers are taken to use Alt, and without a manager nothing takes it.
#include "platform/AltDrag.h"

#include <QtTest>

class TestAltDrag : public QObject
{
    Q_OBJECT

private slots:
    void rule_data()
    {
        QTest::addColumn<QString>("manager");
        QTest::addColumn<QString>("modifier"); // "-": the setting could not be read
        QTest::addColumn<bool>("taken");
        QTest::newRow("no manager") << "" << "-" << false;
        QTest::newRow("openbox") << "Openbox" << "-" << true;
        QTest::newRow("xfwm") << "Xfwm4" << "-" << true;
        QTest::newRow("openbox ignores GNOME's setting") << "Openbox" << "<Super>" << true;
        QTest::newRow("GNOME Shell, Super") << "GNOME Shell" << "<Super>" << false;
        QTest::newRow("GNOME Shell, Alt") << "GNOME Shell" << "<Alt>" << true;
        QTest::newRow("Mutter, no modifier") << "Mutter (X11)" << "" << false;
        QTest::newRow("Metacity, unreadable") << "Metacity" << "-" << true;
    }
    void rule()
    {
        QFETCH(QString, manager);
        QFETCH(QString, modifier);
        QFETCH(bool, taken);
        const std::optional<QString> setting =
            modifier == QLatin1String("-") ? std::nullopt : std::optional<QString>(modifier);
        QCOMPARE(AltDrag::takenBy(manager, setting), taken);
    }
};

QTEST_GUILESS_MAIN(TestAltDrag)
#include "tst_altdrag.moc"
