#include "SettingsFixture.h"
#include "platform/BuildInfo.h"
#include "settings/PanePreferences.h"
#include "settings/SymbolImages.h"

#include <QJsonArray>

#include <QQuickItem>

namespace {
QStringList qmlWarnings;
QtMessageHandler previousHandler = nullptr;

// Every warning of the QML engine fails the test that caused it.
void watchWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg
        && (QByteArray(context.category).startsWith("qt.qml") || message.contains(".qml")))
        qmlWarnings << message;
    previousHandler(type, context, message);
}

QQuickItem *findIn(QQuickItem *item, const QString &name)
{
    if (!item)
        return nullptr;
    if (item->objectName() == name)
        return item;
    for (QQuickItem *child : item->childItems())
        if (QQuickItem *hit = findIn(child, name))
            return hit;
    return nullptr;
}

QList<QQuickItem *> findAll(QQuickItem *item, const QString &name)
{
    QList<QQuickItem *> out;
    if (!item)
        return out;
    if (item->objectName() == name)
        out << item;
    for (QQuickItem *child : item->childItems())
        out << findAll(child, name);
    return out;
}

// Whether the item and all its parents are visible.
bool shown(QQuickItem *item)
{
    return item && item->isVisible();
}
} // namespace

class TestSettingsPanes : public QObject
{
    Q_OBJECT
    std::unique_ptr<SettingsFixture> f;

    QQuickItem *root() { return f->controller->window()->rootObject(); }
    QQuickItem *item(const QString &name, QQuickItem *in = nullptr)
    {
        QQuickItem *hit = findIn(in ? in : root(), name);
        if (!hit)
            qWarning("no item %s", qPrintable(name));
        return hit;
    }
    QString text(const QString &name, QQuickItem *in = nullptr)
    {
        QQuickItem *i = item(name, in);
        return i ? i->property("text").toString() : QString();
    }
    void open(SettingsSection section)
    {
        f->controller->show(section);
        QVERIFY(QTest::qWaitForWindowExposed(f->controller->window()));
    }
    QStringList bigCaps()
    {
        QStringList caps;
        for (QQuickItem *key : findAll(item("mainWell"), QString()))
            if (key->property("waiting").isValid() && key->isVisible())
                caps << key->property("cap").toString();
        return caps;
    }

private slots:
    void initTestCase() { previousHandler = qInstallMessageHandler(watchWarnings); }
    void init()
    {
        qmlWarnings.clear();
        f = std::make_unique<SettingsFixture>();
        for (const char *key : {"talk.enabled", "talk.key", "talk.language", "history.paused"})
            Preferences::shared().remove(key);
        f->make();
    }
    void cleanup()
    {
        f.reset();
        QVERIFY2(qmlWarnings.isEmpty(), qPrintable(qmlWarnings.join('\n')));
    }

    void shortcuts_data()
    {
        QTest::addColumn<QString>("state");
        for (const char *row : {"defaults", "no main shortcut", "recording", "refused", "system", "taken by app"})
            QTest::newRow(row) << QString::fromLatin1(row);
    }
    void shortcuts()
    {
        QFETCH(QString, state);
        if (state == "no main shortcut")
            f->center->setShortcut(std::nullopt, CaptureAction::areaToCanvas);
        if (state == "system")
            f->center->setShortcut(Shortcut{KeyCode::Digit3, Shortcut::Command | Shortcut::Shift, "3"},
                                   CaptureAction::areaToCanvas);
        if (state == "taken by app")
            f->grabber.heldByOthers << qMakePair(int(KeyCode::Digit2), EventFlag::Command | EventFlag::Shift);
        open(SettingsSection::shortcuts);
        SettingsModel &m = f->model();
        if (state == "recording" || state == "refused")
            m.toggleRecording("areaToCanvas");
        if (state == "refused") {
            ShortcutRecorder::beep = [] {};
            QTest::keyClick(f->controller->window(), Qt::Key_B);
        }
        const QString note = text("noteText", item("mainNote"));
        const bool noteShown = shown(item("mainNote"));
        if (state == "defaults") {
            QCOMPARE(bigCaps(), (QStringList{"Ctrl", "Shift", "2"}));
            QCOMPARE(text("wellButton"), QStringLiteral("Change"));
            QCOMPARE(text("statusText", item("mainStatus")), QStringLiteral("Ready"));
            QVERIFY(!noteShown);
        } else if (state == "no main shortcut") {
            QCOMPARE(text("wellText"), QStringLiteral("No shortcut yet"));
            QCOMPARE(text("wellButton"), QStringLiteral("Record"));
            QCOMPARE(text("statusText", item("mainStatus")), QStringLiteral("Not set"));
        } else if (state == "recording") {
            QCOMPARE(text("wellButton"), QStringLiteral("Cancel"));
            QCOMPARE(text("wellText"), QStringLiteral("Press the keys you want"));
            QCOMPARE(note, QStringLiteral("Press the keys. Esc cancels, Delete clears."));
        } else if (state == "refused") {
            QCOMPARE(note, QStringLiteral("Add Ctrl, Super or Alt, or use a function key."));
            QCOMPARE(item("noteText", item("mainNote"))->property("color").value<QColor>(), QColor("#FF8A80"));
        } else if (state == "system") {
            QCOMPARE(note, QStringLiteral("The system uses this for “Save picture of screen as a file”. Turn that off to use it here."));
            QVERIFY(shown(item("takeOver", item("mainNote"))));
            QCOMPARE(text("statusText", item("mainStatus")), QStringLiteral("Not working"));
        } else {
            QCOMPARE(note, QStringLiteral("Another app uses this shortcut. Pick another, or quit that app."));
            QVERIFY(!shown(item("takeOver", item("mainNote"))));
        }
        if (state == "recording" || state == "refused")
            f->controller->window()->close();
    }

    void shortcutsListAndButtons()
    {
        open(SettingsSection::shortcuts);
        QQuickItem *card = item("otherCard");
        int rows = 0;
        for (CaptureAction a : CaptureActions::all)
            rows += findIn(card, "row-" + CaptureActions::rawValue(a)) ? 1 : 0;
        QCOMPARE(rows, 5);
        int lines = 0;
        for (QQuickItem *line : findAll(card, "hairline"))
            lines += line->isVisible();
        QCOMPARE(lines, 4);
        QVERIFY(shown(item("addShortcut", item("row-fullScreenToCanvas"))));
        QVERIFY(shown(item("keycaps", item("row-areaToClipboard"))));
        QVERIFY(!shown(item("giveBack")));
        Preferences::shared().setValue("shortcuts.takenFromSystem", QJsonArray{28});
        f->controller->refresh();
        QVERIFY(shown(item("giveBack")));
        Preferences::shared().remove("shortcuts.takenFromSystem");
    }

    void canvasTalk_data()
    {
        QTest::addColumn<QString>("storedKey");
        QTest::addColumn<QString>("segment");
        QTest::addColumn<QString>("keyName");
        QTest::newRow("missing") << "" << "rightCommand" << "Right Ctrl";
        QTest::newRow("control") << "control" << "control" << "Super";
        QTest::newRow("right command") << "rightCommand" << "rightCommand" << "Right Ctrl";
        QTest::newRow("right option") << "rightOption" << "rightOption" << "Right Alt";
        QTest::newRow("bogus") << "bogus" << "rightCommand" << "Right Ctrl";
    }
    void canvasTalk()
    {
        QFETCH(QString, storedKey);
        QFETCH(QString, segment);
        QFETCH(QString, keyName);
        if (!storedKey.isEmpty())
            Preferences::shared().setValue("talk.key", storedKey);
        int told = 0;
        PanePreferences::talkSettingsChanged = [&] { ++told; };
        open(SettingsSection::canvas);
        QVERIFY(shown(item("keyRow")));
        QVERIFY(shown(item("languageRow")));
        QVERIFY(item("segment-" + segment)->property("checked").toBool());
        QVERIFY(text("detail", item("talkEnabled")).contains("hold " + keyName + ", point"));
        QCOMPARE(text("detail", item("languageText")),
                 QStringLiteral("No speech model is installed. Install the package pocketsphinx-en-us to talk in English."));
        f->controller->preferences()->setTalkEnabled(false);
        QCOMPARE(told, 1);
        QCOMPARE(Preferences::shared().boolValue("talk.enabled"), std::optional<bool>(false));
        QVERIFY(!shown(item("keyRow")));
        QVERIFY(!shown(item("languageRow")));
        f->controller->preferences()->setTalkLanguage(QString());
        QVERIFY(!Preferences::shared().contains("talk.language"));
        PanePreferences::talkSettingsChanged = nullptr;
    }

    // The open language list: every entry, the current and the highlighted one included, shows
    // its words in a colour far from its background.
    void languageListIsReadable()
    {
        Preferences::shared().setValue("talk.enabled", true);
        open(SettingsSection::canvas);
        f->model().setTalkLanguages({{QStringLiteral("en-US"), QStringLiteral("English (United States)")},
                                     {QStringLiteral("de-DE"), QStringLiteral("German (Germany)")}});
        QQuickItem *picker = item("languagePicker");
        QVERIFY(picker);
        QMetaObject::invokeMethod(picker, "forceActiveFocus");
        QObject *popup = picker->property("popup").value<QObject *>();
        QVERIFY(popup);
        popup->setProperty("visible", true);
        QTRY_VERIFY(popup->property("opened").toBool());
        picker->setProperty("highlightedIndex", 1);
        QQuickItem *list = popup->property("contentItem").value<QQuickItem *>();
        QVERIFY(list);
        QTRY_COMPARE(list->property("count").toInt(), 3);
        QTest::qWait(100);
        const QImage shot = f->controller->window()->grabWindow();
        const qreal scale = shot.width() / qreal(f->controller->window()->width());
        QQuickItem *entries = list->property("contentItem").value<QQuickItem *>();
        int checked = 0;
        for (QQuickItem *entry : entries->childItems()) {
            if (!entry->isVisible() || entry->height() <= 0 || !entry->property("highlighted").isValid())
                continue;
            const QRectF box = entry->mapRectToScene(QRectF(0, 0, entry->width(), entry->height()));
            const QRect pixels = QRectF(box.topLeft() * scale, box.size() * scale).toRect().adjusted(2, 2, -2, -2);
            // The background is the colour at the entry's left edge; words are what differs.
            const QColor background = shot.pixelColor(pixels.left(), pixels.center().y());
            int ink = 0;
            for (int y = pixels.top(); y <= pixels.bottom(); ++y)
                for (int x = pixels.left(); x <= pixels.right(); ++x) {
                    const QColor c = shot.pixelColor(x, y);
                    if (qAbs(c.lightnessF() - background.lightnessF()) > 0.45)
                        ++ink;
                }
            QVERIFY2(ink > 30, qPrintable(entry->property("text").toString() + " is not readable"));
            ++checked;
        }
        QCOMPARE(checked, 3);
        popup->setProperty("visible", false);
        Preferences::shared().remove("talk.enabled");
    }

    // A build without report or statistics addresses says so, and shows its switches off and
    // out of reach.
    void reportsWithoutAddresses_data()
    {
        QTest::addColumn<QString>("reportUrl");
        QTest::addColumn<QString>("statsUrl");
        QTest::addColumn<QString>("note");
        QTest::newRow("neither") << "" << "" << "This build of Quillet™ sends neither reports nor statistics.";
        QTest::newRow("no reports") << "" << "https://example.org/v1/stats" << "This build of Quillet™ sends no reports.";
        QTest::newRow("both") << "https://example.org/v1/report" << "https://example.org/v1/stats" << "";
    }
    void reportsWithoutAddresses()
    {
        QFETCH(QString, reportUrl);
        QFETCH(QString, statsUrl);
        QFETCH(QString, note);
        BuildInfo::overrideValue("QLReportURL", reportUrl.isEmpty() ? QStringLiteral("none") : reportUrl);
        BuildInfo::overrideValue("QLStatsURL", statsUrl.isEmpty() ? QStringLiteral("none") : statsUrl);
        Preferences::shared().setValue("reports.auto", true);
        Preferences::shared().setValue("stats.share", true);
        open(SettingsSection::reports);
        QCOMPARE(shown(item("sendsNothing")), !note.isEmpty());
        if (!note.isEmpty())
            QVERIFY2(text("sendsNothing").startsWith(note), qPrintable(text("sendsNothing")));
        for (const auto &[row, on] : {std::pair{QStringLiteral("reportsAuto"), !reportUrl.isEmpty()},
                                      std::pair{QStringLiteral("shareStats"), !statsUrl.isEmpty()}}) {
            QQuickItem *control = item("switch", item(row));
            QCOMPARE(control->property("checked").toBool(), on);
            QCOMPARE(control->isEnabled(), on);
        }
        BuildInfo::overrideValue("QLReportURL", QString());
        BuildInfo::overrideValue("QLStatsURL", QString());
        Preferences::shared().remove("reports.auto");
        Preferences::shared().remove("stats.share");
    }

    // Every symbol the panes name is drawn in the colour asked for, by the icon theme or, where
    // it has none, by the application; an unknown name draws nothing.
    void symbolsDraw_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("drawn");
        for (const char *name : {"keyboard", "arrow.up.right", "slider.horizontal.3", "lock", "exclamationmark.triangle",
                                 "exclamationmark.triangle.fill", "envelope", "doc.text", "info.circle", "checkmark",
                                 "checkmark.circle.fill", "folder", "record.circle", "accessibility", "mic.fill", "link", "menu"})
            QTest::newRow(name) << QString::fromLatin1(name) << true;
        QTest::newRow("unknown") << "no.such.symbol" << false;
    }
    void symbolsDraw()
    {
        QFETCH(QString, name);
        QFETCH(bool, drawn);
        const QColor ink(0x4C, 0xD4, 0x71);
        const QImage picture = SymbolImages::render(name, ink, QSize(32, 32)).toImage();
        int inked = 0, other = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const QColor c = picture.pixelColor(x, y);
                if (c.alpha() < 128)
                    continue;
                (qAbs(c.red() - ink.red()) + qAbs(c.green() - ink.green()) + qAbs(c.blue() - ink.blue()) < 40 ? inked : other)++;
            }
        QCOMPARE(inked > 20, drawn);
        QCOMPARE(other, 0);
    }

    void general()
    {
        Preferences::shared().setValue("history.paused", true);
        open(SettingsSection::general);
        QVERIFY(!item("switch", item("history"))->property("checked").toBool());
        f->controller->preferences()->setKeepsHistory(true);
        QCOMPARE(Preferences::shared().boolValue("history.paused"), std::optional<bool>(false));
        QVERIFY(item("switch", item("history"))->property("checked").toBool());
        f->model().setInstallOpening(true);
        QCOMPARE(text("install"), QStringLiteral("Installing…"));
        QVERIFY(!item("install")->isEnabled());
        f->model().setInstallOpening(false);
        f->model().setInstallProblem(QStringLiteral("the disk is full"));
        QVERIFY(shown(item("installProblem")));
        QCOMPARE(text("installProblem"), QStringLiteral("Could not install: the disk is full"));
        f->model().setInstallProblem(std::nullopt);
        QVERIFY(!shown(item("installProblem")));
        f->model().setInstallDone(QStringLiteral("Installed in ~/.local/bin; Quillet™ is now in your applications menu."));
        QVERIFY(shown(item("installDone")));
        QCOMPARE(text("installDone"), f->model().installDone());
    }

    void contact_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("email");
        QTest::newRow("idle") << 0 << "me@example.org";
        QTest::newRow("sending") << 1 << "me@example.org";
        QTest::newRow("sent") << 2 << "me@example.org";
        QTest::newRow("sent without email") << 2 << "";
        QTest::newRow("failed") << 3 << "me@example.org";
    }
    void contact()
    {
        QFETCH(int, state);
        QFETCH(QString, email);
        BuildInfo::overrideValue("QLMakerHost", "contact.example.net");
        open(SettingsSection::contact);
        SettingsModel &m = f->model();
        m.setContactEmail(email);
        m.setContactMessage(QStringLiteral("Hello"));
        m.setContactState(SettingsModel::ContactState(state));
        QCOMPARE(shown(item("form")), state != 2);
        QCOMPARE(shown(item("thanks")), state == 2);
        QCOMPARE(shown(item("failure")), state == 3);
        if (state != 2) {
            QCOMPARE(item("form")->isEnabled(), state != 1);
            QCOMPARE(text("send"), state == 1 ? QStringLiteral("Sending…") : QStringLiteral("Send"));
            QCOMPARE(item("send")->isEnabled(), state != 1);
        } else {
            QCOMPARE(shown(item("reply")), !email.isEmpty());
            QMetaObject::invokeMethod(item("writeAnother"), "clicked");
            QCOMPARE(m.contactState(), SettingsModel::ContactState::idle);
            QCOMPARE(m.contactEmail(), email);
            QCOMPARE(m.contactMessage(), QStringLiteral("Hello"));
        }
        BuildInfo::overrideValue("QLMakerHost", {});
    }

    void about()
    {
        open(SettingsSection::about);
        QVERIFY(!shown(findIn(root(), "paneTitle")));
        QQuickItem *mascot = item("mascot");
        const QPoint centre = mascot->mapToScene(QPointF(mascot->width() / 2, mascot->height() / 2)).toPoint();
        f->model().setAboutMelt(3);
        for (int i = 0; i < 10; ++i)
            QTest::mouseClick(f->controller->window(), Qt::LeftButton, {}, centre);
        QCOMPARE(f->model().aboutMelt(), 3);
        QVERIFY(!shown(item("checkForUpdates")));
        QVERIFY(shown(item("onboarding")));
        f->controller->updatesAvailable = true;
        f->controller->refresh();
        QVERIFY(shown(item("checkForUpdates")));
        QTRY_VERIFY(item("checkForUpdates")->x() < item("releaseNotes")->x());
        QTRY_VERIFY(item("releaseNotes")->x() < item("onboarding")->x());
    }

    void sectionsStartAtTheTopWithOneRowSelected()
    {
        open(SettingsSection::canvas);
        QQuickItem *scroll = item("scroll");
        QQuickItem *flickable = scroll->property("contentItem").value<QQuickItem *>();
        QVERIFY(flickable);
        flickable->setProperty("contentY", 200);
        QCOMPARE(flickable->property("contentY").toDouble(), 200.0);
        QMetaObject::invokeMethod(item("row-general"), "clicked");
        QCOMPARE(f->model().section(), SettingsSection::general);
        QCOMPARE(text("paneTitle"), QStringLiteral("General"));
        flickable = item("scroll")->property("contentItem").value<QQuickItem *>();
        QCOMPARE(flickable->property("contentY").toDouble(), 0.0);
        int selected = 0;
        for (SettingsSection s : SettingsSections::all)
            selected += item("row-" + SettingsSections::rawValue(s))->property("selected").toBool();
        QCOMPARE(selected, 1);
    }
};

QUILLET_QUICK_TEST_MAIN(TestSettingsPanes)
#include "tst_settingspanes.moc"
