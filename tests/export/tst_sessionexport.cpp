#include "capture/CaptureSession.h"
#include "capture/ClipboardPicture.h"
#include "history/PageWriter.h"
#include "platform/Preferences.h"
#include "platform/SystemBeep.h"
#include "platform/fake/FakeFrontApplication.h"
#include "platform/fake/FakeScheduler.h"

#include "ExportFixture.h"
#include "TestEnv.h"

#include <QClipboard>
#include <QMimeData>
#include <QTemporaryDir>

#include <unistd.h>

using namespace ExportFixture;
using namespace SessionFixture;

// A canvas of some pages that renders a fixed picture and keeps what the session gave it.
class PagesCanvas : public FakeCanvas
{
public:
    explicit PagesCanvas(QStringList *steps) : FakeCanvas(steps), m_steps(steps) {}
    int pageCount() const override { return pages; }
    RenderedPage renderCurrentPage(bool halfSize) override
    {
        *m_steps << QStringLiteral("render half=%1").arg(halfSize);
        return rendered;
    }
    QList<SessionPage> pagesForSaving() const override { return saved; }
    void setPageHistory(int index, const std::optional<QString> &id, const std::optional<QDateTime> &) override
    {
        if (index >= 0 && index < saved.size())
            saved[index].historyId = id;
    }
    void flashCopyRow(const QString &text) override { *m_steps << QStringLiteral("flash ") + text; }

    RenderedPage rendered;
    QList<SessionPage> saved;

private:
    QStringList *m_steps;
};

// The session's copy, send, save and autosave, against a fake canvas, clock and history.
class TestSessionExport : public QObject
{
    Q_OBJECT

    QStringList steps;
    std::unique_ptr<PagesCanvas> canvas;
    std::shared_ptr<FakeFrontApplication> apps;
    FakeScheduler clock;
    int beeps = 0;
    QList<PageWriter::Request> stored;

    static RunningApp editor() { return RunningApp{77, 4242, QStringLiteral("Editor"), QStringLiteral("editor")}; }

    // A canvas session in the current-session slot whose first overlay is the canvas.
    CaptureSession *session(int pages)
    {
        auto *s = new CaptureSession({frame(QRect(0, 0, 400, 300), 1)}, editor(), OverlayViewHost::Mode::Canvas);
        CaptureSession::setCurrentSession(s);
        s->commitArea(s->views()[0], QRectF(10, 10, 100, 80));
        QPointer<OverlayView> view = s->views()[0];
        CaptureSession::canvasOf = [this, view](OverlayView *v) -> SessionCanvas * {
            return v && v == view ? canvas.get() : nullptr;
        };
        canvas->pages = pages;
        return s;
    }

    static QImage clipboardPng(int *dotsPerMeter = nullptr)
    {
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        const QImage png = data ? QImage::fromData(data->data("image/png"), "png") : QImage();
        if (dotsPerMeter)
            *dotsPerMeter = png.dotsPerMeterX();
        return png;
    }

    SessionPage savedPage(const QString &seed, std::optional<QString> id = std::nullopt)
    {
        const Page p = page(pattern(20, 10, seed.size()), 1);
        SessionPage s{std::move(id), p.markup, p.images, pattern(8, 4), QDateTime::currentDateTime(), std::nullopt};
        return s;
    }

    void write(CaptureSession &s, bool sync)
    {
        PageWriter::writePages(s, *canvas, sync, [this](const PageWriter::Request &r) -> std::optional<QString> {
            stored << r;
            return r.id ? *r.id : QStringLiteral("entry-%1").arg(stored.size());
        });
    }

private slots:
    void initTestCase()
    {
        apps = std::make_shared<FakeFrontApplication>();
        FrontApplication::setShared(apps);
        SystemBeep::setForTesting([this] { ++beeps; });
        CaptureSession::setSchedulerForTesting(&clock);
    }

    void init()
    {
        CaptureSession::resetForTesting();
        flushDeletes();
        canvas = std::make_unique<PagesCanvas>(&steps);
        canvas->rendered = RenderedPage{pattern(60, 40, 2), 2.0};
        steps.clear();
        stored.clear();
        apps->activations.clear();
        beeps = 0;
        CaptureSession::sendTarget = nullptr;
        CaptureSession::pasteInto = nullptr;
        CaptureSession::writePages = nullptr;
        CaptureSession::savePicture = nullptr;
        ClipboardPicture::setEncoderForTesting({});
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        Preferences::shared().remove(QStringLiteral("export.halfSize"));
    }

    void cleanup()
    {
        ClipboardPicture::waitForEncodingForTesting();
        QCoreApplication::processEvents();
        if (QWidget *t = Toast::current())
            t->hide();
    }

    void copyOfOnePageEndsTheSession()
    {
        CaptureSession *s = session(1);
        QPointer<CaptureSession> alive = s;
        s->copy();
        QCOMPARE(CaptureSession::currentSession(), nullptr); // at once, not after the encoding
        QCOMPARE(apps->activations, QList<RunningApp>{editor()});
        QCOMPARE(steps.mid(0, 2), (QStringList{"endEditing", "render half=0"}));
        int dpm = 0;
        QCOMPARE(clipboardPng(&dpm).convertToFormat(QImage::Format_RGB32), canvas->rendered.picture);
        QCOMPARE(dpm, 5669);
        QTRY_COMPARE(toastText(), QStringLiteral("Copied to clipboard"));
        QVERIFY(!steps.contains("flash Copied to clipboard"));
        QCOMPARE(beeps, 0);
    }

    void copyOfThreePagesFlashesAndStays()
    {
        CaptureSession *s = session(3);
        s->copy();
        QCOMPARE(CaptureSession::currentSession(), s);
        QTRY_VERIFY(steps.contains("flash Copied to clipboard"));
        QCOMPARE(steps.filter("markDone").size(), 1);
        QTRY_COMPARE(toastText(), QStringLiteral("Copied to clipboard"));
        QVERIFY(apps->activations.isEmpty());
    }

    void halfSizeScale_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("dotsPerMeter");
        QTest::newRow("3 → 1.5") << 3.0 << 4252;
        QTest::newRow("1 stays 1") << 1.0 << 2835;
    }
    void halfSizeScale()
    {
        QFETCH(double, scale);
        QFETCH(int, dotsPerMeter);
        QVERIFY(Preferences::shared().setValue(QStringLiteral("export.halfSize"), true));
        canvas->rendered.scale = scale;
        session(1)->copy();
        QVERIFY(steps.contains("render half=1"));
        int dpm = 0;
        clipboardPng(&dpm);
        QCOMPARE(dpm, dotsPerMeter);
    }

    void failures_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("toast");
        QTest::newRow("no picture") << "none" << "";
        QTest::newRow("too large") << "large" << "The picture is too large to export";
        QTest::newRow("encoder fails") << "encoder" << "Could not copy the picture";
    }
    // Nothing reported as copied that is not: a beep, the reason, the page not ticked.
    void failures()
    {
        QFETCH(QString, fault);
        QFETCH(QString, toast);
        CaptureSession *s = session(3);
        if (fault == "none" || fault == "large")
            canvas->rendered = RenderedPage{QImage(), 2.0, fault == "large"};
        else
            ClipboardPicture::setEncoderForTesting([](const QImage &, const char *) { return QByteArray(); });
        s->copy();
        QTRY_COMPARE(beeps, 1);
        QTRY_COMPARE(toastText(), toast);
        ClipboardPicture::waitForEncodingForTesting();
        QTest::qWait(20);
        QCOMPARE(beeps, 1);
        QCOMPARE(toastText(), toast);
        QVERIFY(steps.filter("markDone").isEmpty());
        QVERIFY(steps.filter("flash").isEmpty());
        QCOMPARE(CaptureSession::currentSession(), s);
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(!data || !data->hasFormat("image/png"));
    }

    void sendWithoutATargetCopies()
    {
        CaptureSession::sendTarget = [](const std::optional<RunningApp> &) { return std::nullopt; };
        session(1)->send();
        QCOMPARE(CaptureSession::currentSession(), nullptr);
        QCOMPARE(apps->activations, QList<RunningApp>{editor()}); // back to where the user was
        QTRY_COMPARE(toastText(), QStringLiteral("Copied to clipboard"));
    }

    void sendPastesIntoTheTarget()
    {
        QStringList pasted;
        std::optional<RunningApp> asked;
        CaptureSession::sendTarget = [&](const std::optional<RunningApp> &previous) {
            asked = previous;
            return std::optional<QString>(QStringLiteral("org.example.Term"));
        };
        CaptureSession::pasteInto = [&](const QString &target) { pasted << target; };
        session(1)->send();
        QCOMPARE(asked, std::optional<RunningApp>(editor()));
        QCOMPARE(pasted, QStringList{"org.example.Term"});
        QVERIFY(apps->activations.isEmpty()); // the paste brings its own application forward
        QCOMPARE(CaptureSession::currentSession(), nullptr);
        QVERIFY(!clipboardPng().isNull());
    }

    void saveWritesIntoTheSaveFolder()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("Shots");
        QVERIFY(Preferences::shared().setValue(QStringLiteral("export.folder"), folder));
        QList<double> scales;
        CaptureSession::savePicture = [&](const QImage &picture, const QString &into, double scale, QString *) {
            scales << scale;
            QDir().mkpath(into);
            const QString path = QDir(into).filePath("shot.png");
            return picture.save(path) ? path : QString();
        };
        session(1)->save();
        QCOMPARE(scales, QList<double>{2.0});
        QVERIFY(QFile::exists(QDir(folder).filePath("shot.png")));
        QCOMPARE(CaptureSession::currentSession(), nullptr);
        QCOMPARE(toastText(), QStringLiteral("Saved to Shots"));
        Preferences::shared().remove(QStringLiteral("export.folder"));
    }

    void failedSaveChangesNothing()
    {
        CaptureSession::savePicture = [](const QImage &, const QString &, double, QString *error) {
            *error = QStringLiteral("Permission denied");
            return QString();
        };
        CaptureSession *s = session(1);
        s->save();
        QCOMPARE(beeps, 1);
        QCOMPARE(toastText(), QStringLiteral("Could not save: Permission denied"));
        QCOMPARE(CaptureSession::currentSession(), s);
        QVERIFY(steps.filter("markDone").isEmpty());
    }

    // --- Autosave

    void burstOfEditsWritesOnceASecondLater()
    {
        int writes = 0;
        CaptureSession::writePages = [&](CaptureSession &, SessionCanvas &, bool sync) {
            QVERIFY(!sync);
            ++writes;
        };
        CaptureSession *s = session(1);
        for (int i = 0; i < 10; ++i) {
            s->scheduleAutosave();
            clock.advance(0.09);
        }
        QCOMPARE(writes, 0);
        clock.advance(0.1);
        QCOMPARE(writes, 1);
        QVERIFY(!s->autosavePending());
        s->scheduleAutosave(); // the next refresh may ask again
        QVERIFY(s->autosavePending());
    }

    void writesOnlyChangedPages()
    {
        CaptureSession *s = session(5);
        for (int i = 0; i < 5; ++i)
            canvas->saved << savedPage(QString(i + 1, 'x'));
        write(*s, false);
        QCOMPARE(stored.size(), 5);
        QVERIFY(s->historyGroup());
        for (const auto &r : std::as_const(stored))
            QCOMPARE(r.group, s->historyGroup());
        QCOMPARE(canvas->saved[3].historyId, std::optional<QString>("entry-4"));
        stored.clear();
        write(*s, false);
        QVERIFY(stored.isEmpty());
        canvas->saved[2].markup.unit = 2; // one page edited
        write(*s, false);
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored[0].id, std::optional<QString>("entry-3"));
        QCOMPARE(stored[0].order, 2);
        std::swap(canvas->saved[0], canvas->saved[1]); // reordered: both rewritten
        stored.clear();
        write(*s, false);
        QCOMPARE(stored.size(), 2);
        // At quit every page with an entry is written again, waiting for the disk.
        stored.clear();
        write(*s, true);
        QCOMPARE(stored.size(), 5);
        QVERIFY(stored[0].wait);
    }

    void pageAsAddedIsNeverWritten()
    {
        CaptureSession *s = session(1);
        SessionPage p = savedPage("a");
        p.asAdded = p.markup;
        canvas->saved << p;
        write(*s, false);
        write(*s, true);
        QVERIFY(stored.isEmpty());
        QVERIFY(!s->historyGroup());
        canvas->saved[0].markup.unit = 3;
        write(*s, false);
        QCOMPARE(stored.size(), 1);
    }

    // A page saved alone, then a second shot added: both entries end up in one group.
    void secondPageGroupsTheFirst()
    {
        CaptureSession *s = session(1);
        canvas->saved << savedPage("a");
        write(*s, false);
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored[0].group, std::nullopt);
        canvas->saved.prepend(savedPage("bb"));
        write(*s, false);
        QCOMPARE(stored.size(), 3);
        QVERIFY(s->historyGroup());
        QCOMPARE(s->historyGroup()->size(), 36);
        QCOMPARE(*s->historyGroup(), s->historyGroup()->toUpper());
        QCOMPARE(stored[1].group, s->historyGroup());
        QCOMPARE(stored[2].id, std::optional<QString>("entry-1"));
        QCOMPARE(stored[2].group, s->historyGroup());
        // Forgotten records are written again.
        stored.clear();
        s->forgetWritten({"entry-1"});
        write(*s, false);
        QCOMPARE(stored.size(), 1);
    }

    void pausedHistoryGivesNoId()
    {
        CaptureSession *s = session(1);
        canvas->saved << savedPage("a");
        PageWriter::writePages(*s, *canvas, false, [](const PageWriter::Request &) { return std::nullopt; });
        QCOMPARE(canvas->saved[0].historyId, std::nullopt);
        QVERIFY(s->writtenPages().isEmpty());
    }
};

QUILLET_TEST_MAIN(TestSessionExport)
#include "tst_sessionexport.moc"
