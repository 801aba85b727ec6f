#include "app/MeltIcon.h"
#include "platform/Preferences.h"

#include "TestEnv.h"

#include <QIcon>
#include <QTemporaryDir>

#include <cstring>

class TestMeltIcon : public QObject
{
    Q_OBJECT

    static void setCaptures(qint64 n) { Preferences::shared().setValue(QStringLiteral("melt.captures"), n); }
    static qint64 iconKey() { return QGuiApplication::windowIcon().cacheKey(); }
    static QImage iconImage()
    {
        return QGuiApplication::windowIcon().pixmap(QSize(256, 256)).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }

    // Pixel for pixel (the icon's copy may carry another colour-space tag than the file's).
    static bool samePixels(const QImage &a, const QImage &b)
    {
        if (a.size() != b.size())
            return false;
        for (int y = 0; y < a.height(); ++y) {
            if (std::memcmp(a.constScanLine(y), b.constScanLine(y), size_t(a.width()) * 4) != 0)
                return false;
        }
        return true;
    }

private slots:
    void initTestCase() { refreshMeltIcon(); }
    void init() { MeltIcon::resetForTesting(); }

    void everyStagePictureIsThere()
    {
        for (int stage = 0; stage < 10; ++stage) {
            setCaptures(stage * 10);
            refreshMeltIcon();
            QCOMPARE(MeltIcon::shownStage(), std::optional<int>(stage));
        }
    }

    void sameStageSetsNoIconUnlessForced()
    {
        setCaptures(11);
        refreshMeltIcon();
        QCOMPARE(MeltIcon::shownStage(), std::optional<int>(1));
        const qint64 before = iconKey();
        setCaptures(12);
        refreshMeltIcon();
        QCOMPARE(iconKey(), before);
        refreshMeltIcon(true);
        QVERIFY(iconKey() != before);
        QCOMPARE(MeltIcon::shownStage(), std::optional<int>(1));
    }

    void nextStageLoadsItsPicture()
    {
        setCaptures(19);
        refreshMeltIcon();
        const QImage stage1 = iconImage();
        setCaptures(20);
        refreshMeltIcon();
        QCOMPARE(MeltIcon::shownStage(), std::optional<int>(2));
        const QImage expected = QImage(MeltIcon::folder() + "/melt-2.png").convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QVERIFY(samePixels(iconImage(), expected));
        QVERIFY(!samePixels(iconImage(), stage1));
    }

    void missingPictureKeepsThePreviousIcon()
    {
        QTemporaryDir dir;
        QVERIFY(QFile::copy(":/MeltIcons/melt-1.png", dir.filePath("melt-1.png")));
        MeltIcon::setFolderForTesting(dir.path());
        setCaptures(15);
        refreshMeltIcon();
        QCOMPARE(MeltIcon::shownStage(), std::optional<int>(1));
        const qint64 before = iconKey();
        setCaptures(30);
        refreshMeltIcon();
        QCOMPARE(iconKey(), before);
        QCOMPARE(MeltIcon::shownStage(), std::optional<int>(1));
        refreshMeltIcon(true);
        QCOMPARE(iconKey(), before);
    }

    void countBelowOneIsStageZero()
    {
        setCaptures(-4);
        refreshMeltIcon();
        QCOMPARE(MeltIcon::shownStage(), std::optional<int>(0));
        Preferences::shared().setValue(QStringLiteral("melt.captures"), QStringLiteral("lots"));
        MeltIcon::resetForTesting();
        refreshMeltIcon();
        QCOMPARE(MeltIcon::shownStage(), std::optional<int>(0));
    }
};

QUILLET_TEST_MAIN(TestMeltIcon)
#include "tst_melticon.moc"
