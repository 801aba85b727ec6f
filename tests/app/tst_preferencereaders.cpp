#include "app/PreferenceReaders.h"
#include "platform/Preferences.h"

#include "TestEnv.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
void storeRaw(const QByteArray &json)
{
    const QString path = Preferences::shared().filePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(json);
    f.close();
    Preferences::shared().reload();
}

void store(const QJsonObject &o)
{
    storeRaw(QJsonDocument(o).toJson());
}
} // namespace

class TestPreferenceReaders : public QObject
{
    Q_OBJECT
private slots:
    void init() { store({}); }

    void sizeIndex_data()
    {
        QTest::addColumn<QJsonValue>("stored");
        QTest::addColumn<int>("expected");
        QTest::newRow("missing") << QJsonValue(QJsonValue::Undefined) << 2;
        QTest::newRow("9 clamps") << QJsonValue(9) << 3;
        QTest::newRow("-1 clamps") << QJsonValue(-1) << 0;
        QTest::newRow("1.5 not integral") << QJsonValue(1.5) << 2;
        QTest::newRow("text") << QJsonValue(QStringLiteral("1")) << 2;
        QTest::newRow("1") << QJsonValue(1) << 1;
    }
    void sizeIndex()
    {
        QFETCH(QJsonValue, stored);
        QFETCH(int, expected);
        QJsonObject o;
        if (!stored.isUndefined())
            o.insert(QStringLiteral("style.size"), stored);
        store(o);
        QCOMPARE(Prefs::styleSizeIndex(), expected);
    }

    void railWidth_data()
    {
        QTest::addColumn<QJsonObject>("stored");
        QTest::addColumn<double>("expected");
        QTest::newRow("missing") << QJsonObject{} << 184.0;
        QTest::newRow("columns 0") << QJsonObject{{"canvas.railColumns", 0}} << 184.0;
        QTest::newRow("columns 1") << QJsonObject{{"canvas.railColumns", 1}} << 184.0;
        QTest::newRow("columns text") << QJsonObject{{"canvas.railColumns", "3"}} << 184.0;
        QTest::newRow("columns 2") << QJsonObject{{"canvas.railColumns", 2}} << 334.0;
        QTest::newRow("columns 4") << QJsonObject{{"canvas.railColumns", 4}} << 634.0;
        QTest::newRow("width wins") << QJsonObject{{"canvas.railColumns", 3}, {"canvas.railWidth", 250}}
                                    << 250.0;
    }
    void railWidth()
    {
        QFETCH(QJsonObject, stored);
        QFETCH(double, expected);
        store(stored);
        QCOMPARE(Prefs::railWidth(), expected);
    }

    void railThumb_data()
    {
        QTest::addColumn<QJsonValue>("stored");
        QTest::addColumn<double>("expected");
        QTest::newRow("missing") << QJsonValue(QJsonValue::Undefined) << 132.0;
        QTest::newRow("50") << QJsonValue(50) << 96.0;
        QTest::newRow("500") << QJsonValue(500) << 360.0;
        QTest::newRow("200.5") << QJsonValue(200.5) << 200.5;
    }
    void railThumb()
    {
        QFETCH(QJsonValue, stored);
        QFETCH(double, expected);
        QJsonObject o;
        if (!stored.isUndefined())
            o.insert(QStringLiteral("canvas.railThumb"), stored);
        store(o);
        QCOMPARE(Prefs::railThumb(), expected);
    }

    void flagsTalkKeyAndTakenShortcuts()
    {
        store({{"canvas.exportBox", false}, {"style.remember", "no"}, {"talk.key", "rightcommand"},
               {"shortcuts.takenFromSystem", QJsonArray{28, "x"}}});
        QCOMPARE(Prefs::showsExportBox(), false);
        QCOMPARE(Prefs::remembersStyle(), true); // a text is not a boolean
        QCOMPARE(Prefs::talkEnabled(), true);
        QCOMPARE(Prefs::autoDirection(), true);
        QCOMPARE(Prefs::talkKey(), TalkKey::rightCommand); // compared exactly; the default
        QCOMPARE(Prefs::takenFromSystem(), QList<qint64>());

        store({{"talk.key", "rightOption"}, {"shortcuts.takenFromSystem", QJsonArray{28, 30}}});
        QCOMPARE(Prefs::talkKey(), TalkKey::rightOption);
        QCOMPARE(Prefs::takenFromSystem(), (QList<qint64>{28, 30}));
        store({{"talk.key", "control"}});
        QCOMPARE(Prefs::talkKey(), TalkKey::control);
    }

    void shareStats_data()
    {
        QTest::addColumn<QJsonObject>("stored");
        QTest::addColumn<QString>("region");
        QTest::addColumn<bool>("expected");
        QTest::newRow("DE") << QJsonObject{} << "DE" << false;
        QTest::newRow("de lower") << QJsonObject{} << "de" << false;
        QTest::newRow("US") << QJsonObject{} << "US" << true;
        QTest::newRow("no region") << QJsonObject{} << QString() << true;
        QTest::newRow("stored wins") << QJsonObject{{"stats.share", true}} << "DE" << true;
    }
    void shareStats()
    {
        QFETCH(QJsonObject, stored);
        QFETCH(QString, region);
        QFETCH(bool, expected);
        store(stored);
        QCOMPARE(Prefs::shareStatsFor(region.isNull() ? std::nullopt : std::optional<QString>(region)),
                 expected);
    }

    void exportFolder()
    {
        QVERIFY(!Prefs::exportFolder().isEmpty());
        store({{"export.folder", "/nowhere/at/all"}});
        QCOMPARE(Prefs::exportFolder(), QStringLiteral("/nowhere/at/all"));
    }

    void recentFonts()
    {
        QCOMPARE(Prefs::recentFonts(), QStringList{"Menlo-Bold"});
        store({{"style.recentFonts", QJsonArray{}}});
        QCOMPARE(Prefs::recentFonts(), QStringList());
        store({{"style.recentFonts", QJsonArray{"NoSuchFont-Bold", "Menlo-Bold"}}});
        QCOMPARE(Prefs::recentFonts(), QStringList{"Menlo-Bold"});
    }

    void rememberFontPutsItFirst()
    {
        const QStringList names{"DejaVuSans", "DejaVuSans-Bold", "DejaVuSansMono", "DejaVuSerif",
                                "DejaVuSansMono-Bold", "Menlo-Bold"};
        for (const QString &n : names)
            if (!Prefs::loadFont(n, 12))
                QSKIP(qPrintable(QStringLiteral("font %1 is not installed").arg(n)));
        // [A, B, N, C, D, E] with N = DejaVuSansMono
        store({{"style.recentFonts", QJsonArray::fromStringList(names)}});
        Prefs::rememberFont(QStringLiteral("DejaVuSansMono"));
        QCOMPARE(Preferences::shared().stringValue("style.font"), std::optional<QString>("DejaVuSansMono"));
        QCOMPARE(Preferences::shared().stringList("style.recentFonts"),
                 std::optional<QStringList>({"DejaVuSansMono", "DejaVuSans", "DejaVuSans-Bold",
                                             "DejaVuSerif", "DejaVuSansMono-Bold"}));
    }

    void textFontFallsBackToMonospaceBold()
    {
        const QFont f = Prefs::textFont(QStringLiteral("NoSuchFont"), 1.0);
        QVERIFY(f.bold());
        QCOMPARE(f.pixelSize(), 22);
        QCOMPARE(QFontInfo(f).fixedPitch(), true);
    }

    void brokenFileIsKeptAsideAndDefaultsApply()
    {
        storeRaw("{ this is not json");
        QCOMPARE(Prefs::styleSizeIndex(), 2);
        const QString path = Preferences::shared().filePath();
        QVERIFY(QFile::exists(path + QStringLiteral(".bad")));
        QFile bad(path + QStringLiteral(".bad"));
        QVERIFY(bad.open(QIODevice::ReadOnly));
        QCOMPARE(bad.readAll(), QByteArray("{ this is not json"));
        // Writing afterwards makes a fresh file and leaves the bad one alone.
        QVERIFY(Preferences::shared().setValue(QStringLiteral("style.size"), 1));
        QCOMPARE(Prefs::styleSizeIndex(), 1);
        QVERIFY(QFile::exists(path + QStringLiteral(".bad")));
    }
};

QUILLET_TEST_MAIN(TestPreferenceReaders)
#include "tst_preferencereaders.moc"
