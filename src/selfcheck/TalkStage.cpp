#include "TalkStage.h"

#include "Autopilot.h"
#include "CanvasSessions.h"
#include "Detail.h"
#include "Lookups.h"
#include "ScriptedInput.h"
#include "ScriptedListener.h"
#include "TalkInput.h"

#include "app/PreferenceReaders.h"
#include "canvas/CanvasController.h"
#include "canvas/Talk.h"
#include "canvas/TextItemView.h"
#include "capture/OverlayView.h"
#include "platform/KeyTable.h"
#include "platform/PlatformText.h"
#include "platform/Preferences.h"
#include "talk/TalkController.h"
#include "talk/TalkSettings.h"

#include <QJsonValue>
#include <QKeyEvent>
#include <QLabel>

namespace Autopilot {
namespace {

const QString keyPreference = QStringLiteral("talk.key");
const QString switchPreference = QStringLiteral("talk.enabled");

// The talk settings and the listener factory as the stage found them, put back when it ends
// however it ends: a setting that was not stored is removed again, not written with its default.
class TalkSettingsKept
{
public:
    TalkSettingsKept()
        : m_key(Prefs::store().value(keyPreference)), m_switch(Prefs::store().value(switchPreference)),
          m_factory(makeSpeechListener)
    {
    }
    ~TalkSettingsKept()
    {
        put(keyPreference, m_key);
        put(switchPreference, m_switch);
        makeSpeechListener = m_factory;
        TalkSettings::notifier().post();
    }
    TalkSettingsKept(const TalkSettingsKept &) = delete;
    TalkSettingsKept &operator=(const TalkSettingsKept &) = delete;

private:
    static void put(const QString &key, const QJsonValue &value)
    {
        if (value.isUndefined())
            Prefs::store().remove(key);
        else
            Prefs::store().setValue(key, value);
    }

    QJsonValue m_key;
    QJsonValue m_switch;
    std::function<std::shared_ptr<SpeechListening>()> m_factory;
};

void setTalkKey(TalkKey key)
{
    Prefs::store().setValue(keyPreference, TalkKeys::rawValue(key));
}

void setTalking(bool on)
{
    Prefs::store().setValue(switchPreference, on);
}

// One run of the script over a canvas whose talk controller is talking.
class Script
{
public:
    Script(CanvasController *canvas, TalkController *talk, OverlayView *overlay, QString folder)
        : c(canvas), talk(talk), overlay(overlay), folder(std::move(folder)),
          made(std::make_shared<ScriptedListeners>())
    {
    }

    void run();

private:
    // ---- input
    void press() { holdStep(Hold::down, clock, c); }
    void release(double after) { holdStep(Hold::up, clock, c, after); }
    void flags(quint16 keyCode, quint64 flags)
    {
        if (const std::optional<TalkKeyEvent> event = flagsEvent(keyCode, flags, clock, overlay))
            talk->handle(*event);
    }
    void say(const QString &words)
    {
        if (const std::shared_ptr<ScriptedListener> listener = last())
            listener->say(words);
    }
    void hover(std::optional<QPointF> point) { c->pointerMoved(point, std::nullopt, true); }
    void commandZ(quint64 flags)
    {
        const std::unique_ptr<QKeyEvent> event = keyEvent(KeyCode::Z, QStringLiteral("z"), flags);
        c->keyEquivalent(event.get());
    }
    // The empty comment beside the newest shot that waits for typing, with "Enter text".
    std::optional<QUuid> readyToType()
    {
        c->openNoteForNewShot();
        c->setEditingPlaceholder(QStringLiteral("Enter text"));
        return editedID();
    }

    // ---- what the checks read
    std::shared_ptr<ScriptedListener> last() const { return made->isEmpty() ? nullptr : made->last(); }
    int listenersMade() const { return int(made->size()); }
    bool spoken() const { return c->spoken.has_value(); }
    bool editing() const { return bool(c->editing); }
    std::optional<QUuid> editedID() const
    {
        return c->editing ? std::optional<QUuid>(c->editing->itemID()) : std::nullopt;
    }
    int itemCount() const { return int(c->markup.items.size()); }
    std::optional<Item> lastText() const { return lastOf(texts(c)); }
    std::optional<Item> newestArrow() const { return lastOf(arrows(c->markup.items)); }
    QString reads(const std::optional<QUuid> &id) const { return itemText(c, id); }
    // An arrow's comment's text: "none" without the arrow or its comment.
    QString commentOf(const std::optional<Item> &arrow) const
    {
        return arrow ? noteText(c, arrow->id) : QStringLiteral("none");
    }
    QString lastTextWords() const
    {
        const std::optional<Item> text = lastText();
        return text ? text->string : QStringLiteral("none");
    }
    bool tapDropped(int items) const
    {
        const std::shared_ptr<ScriptedListener> listener = last();
        return listener && listener->cancelled && itemCount() == items && !spoken();
    }

    CanvasController *c;
    TalkController *talk;
    OverlayView *overlay;
    QString folder;
    std::shared_ptr<ScriptedListeners> made;
    TalkClock clock;
};

void Script::run()
{
    c->selection.clear();
    c->refresh(false);
    // The hint line names the talk key of now.
    c->updateHint();
    makeSpeechListener = scriptedFactory(made);

    const QString hint = c->hint ? c->hint->text() : QString();
    const QString holdWords = QStringLiteral("Hold ") + PlatformText::talkKeyInSentence(TalkKey::control)
                              + QStringLiteral(": talk");
    check(QStringLiteral("the key line names the talk key"), hint.contains(holdWords), [&] { return hint; });

    // Holding: the first word opens a comment at the pointer, later words firm it up.
    const int textsBefore = int(texts(c).size());
    press();
    check(QStringLiteral("holding the key starts listening"), last() && last()->started && spoken());
    hover(QPointF(700, 700));
    check(QStringLiteral("nothing is written until a word is heard"),
          texts(c).size() == textsBefore && !editing());
    say(QStringLiteral("Make"));
    const std::optional<Item> first = lastText();
    const std::optional<QUuid> spokenID = first ? std::optional<QUuid>(first->id) : std::nullopt;
    {
        const std::optional<Item> text = lastText();
        check(QStringLiteral("the first word opens a comment at the pointer"),
              texts(c).size() == textsBefore + 1 && text && text->anchor == QPointF(700, 700)
                  && text->string == QStringLiteral("Make"),
              [&] {
                  return Detail::text(text ? std::optional<QPointF>(text->anchor) : std::nullopt) + QLatin1Char(' ')
                         + (text ? text->string : QStringLiteral("none"));
              });
    }
    say(QStringLiteral("Make this"));
    say(QStringLiteral("Make this bigger and blue."));
    check(QStringLiteral("the words firm up in place"), reads(spokenID) == QStringLiteral("Make this bigger and blue."),
          [&] { return reads(spokenID); });

    talk->showBadge();
    {
        TalkBadge *badge = talk->badge();
        const QRect frame = badge && overlay ? QRect(badge->mapTo(overlay, QPoint(0, 0)), badge->size()) : QRect();
        check(QStringLiteral("the listening badge sits over the comment, inside the window"),
              badge && !badge->isHidden() && overlay && overlay->rect().contains(frame),
              [&] { return Detail::text(QRectF(frame)); });
    }
    writePicture(overlay, QStringLiteral("2t-talking"), folder);

    release(1.5);
    check(QStringLiteral("letting go finishes the comment, without its full stop"),
          !editing() && !spoken() && reads(spokenID) == QStringLiteral("Make this bigger and blue"),
          [&] { return reads(spokenID); });
    check(QStringLiteral("the listener was told to finish"), last() && last()->finished);

    // Undo, taps and interruptions.
    const int before = itemCount();
    commandZ(EventFlag::Command);
    check(QStringLiteral("one undo takes the spoken comment away"), itemCount() == before - 1,
          [&] { return Detail::versus(itemCount(), before); });
    commandZ(EventFlag::Command | EventFlag::Shift);
    const int redone = itemCount();
    press();
    release(0.1);
    check(QStringLiteral("a quick tap of the key is dropped"), tapDropped(redone));
    press();
    talk->interrupt();
    release(1.9);
    check(QStringLiteral("the key with another key is a shortcut, not talking"), tapDropped(redone));

    // Words after an arrow, and words said while one is being drawn.
    drag(c, QPointF(120, 760), QPointF(400, 380));
    const std::optional<Item> arrowA = newestArrow();
    press();
    say(QStringLiteral("Too small"));
    release(1.5);
    check(QStringLiteral("after an arrow, the words are its comment"), commentOf(arrowA) == QStringLiteral("Too small"),
          [&] { return commentOf(arrowA); });
    check(QStringLiteral("and its cursor is still live"), editing());
    c->endEditing();

    press();
    const Qt::KeyboardModifiers control = KeyTable::qtFromFlags(EventFlag::Control);
    c->mouseDown(control, 1, QPointF(60, 300));
    for (int x = 80; x <= 180; x += 20)
        c->mouseDragged(control, QPointF(x, 300));
    say(QStringLiteral("This label"));
    {
        const std::optional<Item> item = lastItem(c->markup.items);
        check(QStringLiteral("words said mid-drag wait"), item && item->kind == ItemKind::arrow && !editing());
    }
    for (int x = 200; x <= 300; x += 20)
        c->mouseDragged(control, QPointF(x, 300));
    c->mouseUp(control, QPointF(300, 300));
    const std::optional<Item> arrowB = newestArrow();
    check(QStringLiteral("letting go of the mouse writes them beside the arrow"),
          commentOf(arrowB) == QStringLiteral("This label"), [&] { return commentOf(arrowB); });
    if (const std::shared_ptr<ScriptedListener> listener = last())
        listener->final = QStringLiteral("This label is cut off.");
    release(1.5);
    check(QStringLiteral("letting go of the key finishes that comment"),
          !editing() && commentOf(arrowB) == QStringLiteral("This label is cut off"), [&] { return commentOf(arrowB); });

    // Words into typed text, into "Enter text", and at a pointer that moved.
    click(c, QPointF(150, 820));
    type(c, QStringLiteral("Fix this and"));
    const std::optional<QUuid> typed = editedID();
    press();
    say(QStringLiteral("Make it wider."));
    release(1.5);
    check(QStringLiteral("speech carries on a typed sentence"), reads(typed) == QStringLiteral("Fix this and make it wider."),
          [&] { return reads(typed); });
    check(QStringLiteral("and typing can carry on after it"), typed && editedID() == typed);

    c->endEditing();
    hover(std::nullopt);
    const std::optional<QUuid> enterText = readyToType();
    press();
    say(QStringLiteral("Looks good"));
    release(1.5);
    check(QStringLiteral("with the pointer still, the words fill Enter text"),
          enterText && reads(enterText) == QStringLiteral("Looks good"));
    c->endEditing();
    if (enterText) {
        c->selection = {*enterText};
        c->refresh(false);
        c->deleteSelection();
    }
    const std::optional<QUuid> secondEnterText = readyToType();
    press();
    hover(QPointF(1180, 520));
    say(QStringLiteral("Wrong colour"));
    release(1.5);
    {
        const std::optional<Item> text = lastText();
        check(QStringLiteral("with the pointer moved, they land at the pointer instead"),
              text && text->string == QStringLiteral("Wrong colour") && secondEnterText && text->id != *secondEnterText
                  && itemGone(c, *secondEnterText) && !editing(),
              [&] { return describeItem(text); });
    }

    // Right Option as the talk key: an Option drag draws an arrow rather than a redaction.
    setTalkKey(TalkKey::rightOption);
    const int redactionsBefore = int(redactions(c->markup.items).size());
    press();
    drag(c, QPointF(1100, 700), QPointF(1010, 440), EventFlag::Option);
    say(QStringLiteral("Here"));
    release(1.5);
    check(QStringLiteral("a drag while talking with right Option draws an arrow"),
          redactions(c->markup.items).size() == redactionsBefore && hasHereText(c->markup.items));

    // The keyboard's own modifier changes: only the talk key's own bit, alone, listens.
    setTalkKey(TalkKey::control);
    const int listeners = listenersMade();
    flags(KeyCode::Shift, 0x20002);
    flags(KeyCode::Control, 0x60003);
    check(QStringLiteral("Control pressed with Shift down does not listen"), listenersMade() == listeners && !spoken());
    flags(KeyCode::Control, 0x20002);
    flags(KeyCode::Shift, 0);
    hover(QPointF(1180, 600));
    flags(KeyCode::Control, 0x40001);
    check(QStringLiteral("left Control down, as the keyboard reports it, listens"),
          listenersMade() == listeners + 1 && last() && last()->started && spoken());
    say(QStringLiteral("From the keyboard"));
    flags(KeyCode::Control, 0);
    check(QStringLiteral("and letting it go finishes the comment"),
          !spoken() && lastTextWords() == QStringLiteral("From the keyboard"), [&] { return lastTextWords(); });
    setTalkKey(TalkKey::rightOption);
    flags(KeyCode::Option, 0x80020);
    check(QStringLiteral("left Option is not the talk key when right Option is"),
          listenersMade() == listeners + 1 && !spoken());
    flags(KeyCode::Option, 0);
    flags(KeyCode::RightOption, 0x80040);
    check(QStringLiteral("right Option is"), listenersMade() == listeners + 2 && spoken());
    flags(KeyCode::RightOption, 0);
    setTalkKey(TalkKey::control);
    setTalking(false);
    flags(KeyCode::Control, 0x40001);
    check(QStringLiteral("switched off in Settings, the key does nothing"),
          listenersMade() == listeners + 2 && !spoken());
    flags(KeyCode::Control, 0);
    setTalking(true);
    check(QStringLiteral("the listening badge is gone when nobody talks"), !talk->badge() || talk->badge()->isHidden());

    c->selection.clear();
    c->refresh(false);
}

} // namespace

void talkStage(CanvasController *controller, OverlayView *overlay, const QString &folder)
{
    const TalkSettingsKept kept;
    const QString canRun = QStringLiteral("the talk stage can run");
    if (!overlay || !overlay->window()->windowHandle()) {
        check(canRun, false, [] { return QStringLiteral("no window"); });
        return;
    }
    Talk *talk = controller ? controller->talkController() : nullptr;
    TalkController *talking = talk ? talk->controller() : nullptr;
    if (!talking) {
        check(canRun, false, [] { return QStringLiteral("no talk controller"); });
        return;
    }
    setTalkKey(TalkKey::control);
    setTalking(true);
    Script(controller, talking, overlay, folder).run();
}

} // namespace Autopilot
