#include "onboarding/Legal.h"
#include "onboarding/LegalViewer.h"
#include "platform/UrlOpener.h"

#include "TestEnv.h"

class TestLegal : public QObject
{
    Q_OBJECT
private slots:
    void nineDocumentsInOrder()
    {
        const QList<Legal::Document> &docs = Legal::documents();
        QCOMPARE(docs.size(), 9);
        QCOMPARE(docs.first().title, QStringLiteral("Terms of Service"));
        QCOMPARE(docs.first().path, QStringLiteral("/terms/"));
        QCOMPARE(docs.at(3).detail, QStringLiteral("What Quillet™ may not be used for."));
        QCOMPARE(docs.at(6).detail, QStringLiteral("How to refer to Quillet™."));
        QCOMPARE(docs.last().path, QStringLiteral("/legal/licenses/"));
        QSet<QString> paths;
        for (const Legal::Document &d : docs) {
            paths << d.path;
            // Each names a text of its own, whose heading is the document's title.
            const QString file = Legal::textFile(d.path);
            QCOMPARE(file, Legal::siteRoot() + d.path + QStringLiteral("index.md"));
            QFile text(file);
            QVERIFY(text.open(QIODevice::ReadOnly));
            QVERIFY2(text.readLine().trimmed() == "# " + d.title.toUtf8(), qPrintable(d.path));
        }
        QCOMPARE(paths.size(), 9);
        QCOMPARE(Legal::forViews().size(), 9);
    }

    void pathsThatNameNoDocument_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("unknown") << "/legal/refunds/";
        QTest::newRow("no trailing slash") << "/terms";
        QTest::newRow("no leading slash") << "terms/";
        QTest::newRow("out of the folder") << "/legal/../terms/";
        QTest::newRow("empty") << "";
    }
    void pathsThatNameNoDocument()
    {
        QFETCH(QString, path);
        QVERIFY(Legal::textFile(path).isEmpty());
        const QString before = LegalViewer::shared().shownPath();
        Legal::open(path);
        QCOMPARE(LegalViewer::shared().shownPath(), before);
    }

    void openShowsTheTextInOneViewer()
    {
        Legal::open(QStringLiteral("/legal/cookies/"));
        LegalViewer &viewer = LegalViewer::shared();
        QVERIFY(viewer.isVisible());
        QCOMPARE(viewer.windowTitle(), QStringLiteral("Cookie Policy — Quillet™"));
        QVERIFY(viewer.toPlainText().startsWith(QStringLiteral("Cookie Policy")));
        QVERIFY(viewer.isReadOnly());
        Legal::open(QStringLiteral("/privacy/"));
        QCOMPARE(&LegalViewer::shared(), &viewer);
        QCOMPARE(viewer.shownPath(), QStringLiteral("/privacy/"));

        // Links: another document shows in the viewer, a web page opens in the browser.
        QList<QUrl> opened;
        UrlOpener::open = [&opened](const QUrl &url) { opened << url; return true; };
        emit viewer.anchorClicked(QUrl(QStringLiteral("/legal/licenses/")));
        QCOMPARE(viewer.shownPath(), QStringLiteral("/legal/licenses/"));
        QVERIFY(opened.isEmpty());
        emit viewer.anchorClicked(QUrl(QStringLiteral("https://www.qt.io/licensing/")));
        QCOMPARE(opened, QList<QUrl>({QUrl(QStringLiteral("https://www.qt.io/licensing/"))}));
        QCOMPARE(viewer.shownPath(), QStringLiteral("/legal/licenses/"));
    }
};

QUILLET_TEST_MAIN(TestLegal)
#include "tst_legal.moc"
