#pragma once
#include "SettingsSection.h"
#include "TalkLanguage.h"
#include "app/CaptureAction.h"
#include "app/HotKeyCenter.h"
#include "app/Shortcut.h"

#include <QList>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include <functional>
#include <map>
#include <optional>

// The settings window's state, which its views read and whose actions they call. Every field
// notifies only when it really changes (maps are compared entry by entry), so that a refresh
// that finds nothing new disturbs no view. The actions are filled in by the window controller;
// until then each does nothing. Main thread only.
class SettingsModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(SettingsSections::Section section READ section WRITE setSection NOTIFY sectionChanged)
    Q_PROPERTY(QVariantMap shortcuts READ shortcutsForView NOTIFY shortcutsChanged)
    Q_PROPERTY(QVariantMap statuses READ statusesForView NOTIFY statusesChanged)
    Q_PROPERTY(QString recording READ recordingName NOTIFY recordingChanged)
    Q_PROPERTY(QStringList held READ held NOTIFY heldChanged)
    Q_PROPERTY(QVariantMap refusals READ refusalsForView NOTIFY refusalsChanged)
    Q_PROPERTY(bool canGiveBack READ canGiveBack NOTIFY canGiveBackChanged)
    Q_PROPERTY(QString saveFolder READ saveFolder NOTIFY saveFolderChanged)
    Q_PROPERTY(bool login READ login NOTIFY loginChanged)
    Q_PROPERTY(bool hideFromDock READ hideFromDock NOTIFY hideFromDockChanged)
    Q_PROPERTY(bool screen READ screen NOTIFY screenChanged)
    Q_PROPERTY(bool access READ access NOTIFY accessChanged)
    Q_PROPERTY(bool microphone READ microphone NOTIFY microphoneChanged)
    Q_PROPERTY(QString screenReason READ screenReason NOTIFY screenChanged)
    Q_PROPERTY(QString accessReason READ accessReason NOTIFY accessChanged)
    Q_PROPERTY(QString microphoneReason READ microphoneReason NOTIFY microphoneChanged)
    Q_PROPERTY(QVariantList talkLanguages READ talkLanguagesForView NOTIFY talkLanguagesChanged)
    Q_PROPERTY(QString contactEmail READ contactEmail WRITE setContactEmail NOTIFY contactEmailChanged)
    Q_PROPERTY(QString contactMessage READ contactMessage WRITE setContactMessage NOTIFY contactMessageChanged)
    Q_PROPERTY(ContactState contactState READ contactState WRITE setContactState NOTIFY contactStateChanged)
    Q_PROPERTY(bool canSend READ canSend NOTIFY canSendChanged)
    Q_PROPERTY(int sidebarMelt READ sidebarMelt WRITE setSidebarMelt NOTIFY sidebarMeltChanged)
    Q_PROPERTY(int aboutMelt READ aboutMelt WRITE setAboutMelt NOTIFY aboutMeltChanged)
    Q_PROPERTY(bool updatesAvailable READ updatesAvailable NOTIFY updatesAvailableChanged)
    Q_PROPERTY(bool installOpening READ installOpening NOTIFY installOpeningChanged)
    Q_PROPERTY(QString installProblem READ installProblemText NOTIFY installProblemChanged)
    Q_PROPERTY(QString installDone READ installDone NOTIFY installDoneChanged)
    Q_PROPERTY(bool staged READ staged NOTIFY stagedChanged)
    Q_PROPERTY(QStringList unavailable READ unavailable NOTIFY unavailableChanged)

public:
    enum class ContactState { idle, sending, sent, failed };
    Q_ENUM(ContactState)

    // One answer of the permission checks: allowed, or why not.
    struct Facility {
        bool allowed = false;
        QString reason;
        bool operator==(const Facility &other) const = default;
    };

    // The actions the views call, in the order the window controller installs them.
    struct Actions {
        std::function<void(SettingsSection)> select;
        std::function<void(CaptureAction)> toggleRecording;
        std::function<void(CaptureAction)> takeOver;
        std::function<void()> restoreDefaults;
        std::function<void()> giveBack;
        std::function<void()> chooseFolder;
        std::function<void(bool)> setLogin;
        std::function<void(bool)> setHideFromDock;
        std::function<void()> allowScreen;
        std::function<void()> allowAccess;
        std::function<void()> allowMicrophone;
        std::function<void()> openOnboarding;
        std::function<void()> reportProblem;
        std::function<void()> sendContact;
        std::function<void()> checkForUpdates;
        std::function<void()> showReleaseNotes;
        std::function<void()> showInstallWindow;
        std::function<void(QPoint)> showMenu;
    };

    explicit SettingsModel(QObject *parent = nullptr);

    Actions actions;

    // --- Fields
    SettingsSection section() const { return m_section; }
    void setSection(SettingsSection section);
    const std::map<CaptureAction, Shortcut> &shortcuts() const { return m_shortcuts; }
    void setShortcuts(const std::map<CaptureAction, Shortcut> &shortcuts);
    const std::map<CaptureAction, HotKeyCenter::Status> &statuses() const { return m_statuses; }
    void setStatuses(const std::map<CaptureAction, HotKeyCenter::Status> &statuses);
    std::optional<CaptureAction> recording() const { return m_recording; }
    void setRecording(std::optional<CaptureAction> action);
    QStringList held() const { return m_held; }
    void setHeld(const QStringList &held);
    const std::map<CaptureAction, QString> &refusals() const { return m_refusals; }
    void setRefusals(const std::map<CaptureAction, QString> &refusals);
    bool canGiveBack() const { return m_canGiveBack; }
    void setCanGiveBack(bool value);
    QString saveFolder() const { return m_saveFolder; }
    void setSaveFolder(const QString &value);
    bool login() const { return m_login; }
    void publishLogin(bool value);
    bool hideFromDock() const { return m_hideFromDock; }
    void publishHideFromDock(bool value);
    bool screen() const { return m_screen.allowed; }
    bool access() const { return m_access.allowed; }
    bool microphone() const { return m_microphone.allowed; }
    QString screenReason() const { return m_screen.reason; }
    QString accessReason() const { return m_access.reason; }
    QString microphoneReason() const { return m_microphone.reason; }
    void setScreen(const Facility &value);
    void setAccess(const Facility &value);
    void setMicrophone(const Facility &value);
    const QList<TalkLanguage> &talkLanguages() const { return m_talkLanguages; }
    void setTalkLanguages(const QList<TalkLanguage> &languages);
    QString contactEmail() const { return m_contactEmail; }
    void setContactEmail(const QString &value);
    QString contactMessage() const { return m_contactMessage; }
    void setContactMessage(const QString &value);
    ContactState contactState() const { return m_contactState; }
    void setContactState(ContactState value);
    int sidebarMelt() const { return m_sidebarMelt; }
    void setSidebarMelt(int value);
    int aboutMelt() const { return m_aboutMelt; }
    void setAboutMelt(int value);
    bool updatesAvailable() const { return m_updatesAvailable; }
    void setUpdatesAvailable(bool value);
    bool installOpening() const { return m_installOpening; }
    void setInstallOpening(bool value);
    std::optional<QString> installProblem() const { return m_installProblem; }
    void setInstallProblem(const std::optional<QString> &value);
    // What the last install did, in the user's words ("Installed in ~/.local/bin; …"); empty
    // before one has succeeded.
    QString installDone() const { return m_installDone; }
    void setInstallDone(const QString &value);
    bool staged() const { return m_staged; }
    void setStaged(bool value);
    // The names of the actions that have nothing behind them (the views disable their buttons).
    QStringList unavailable() const { return m_unavailable; }
    void setUnavailable(const QStringList &names);

    // Whether the contact message may be sent now.
    bool canSend() const;
    static bool looksLikeEmail(const QString &text);

    // --- The views' side
    QVariantMap shortcutsForView() const;
    QVariantMap statusesForView() const;
    QString recordingName() const;
    QVariantMap refusalsForView() const;
    QVariantList talkLanguagesForView() const;
    QString installProblemText() const { return m_installProblem.value_or(QString()); }

    Q_INVOKABLE void select(int section);
    Q_INVOKABLE void toggleRecording(const QString &action);
    Q_INVOKABLE void takeOver(const QString &action);
    Q_INVOKABLE void restoreDefaults();
    Q_INVOKABLE void giveBack();
    Q_INVOKABLE void chooseFolder();
    Q_INVOKABLE void setLogin(bool on);
    Q_INVOKABLE void setHideFromDock(bool hidden);
    Q_INVOKABLE void allowScreen();
    Q_INVOKABLE void allowAccess();
    Q_INVOKABLE void allowMicrophone();
    Q_INVOKABLE void openOnboarding();
    Q_INVOKABLE void reportProblem();
    Q_INVOKABLE void sendContact();
    Q_INVOKABLE void checkForUpdates();
    Q_INVOKABLE void showReleaseNotes();
    Q_INVOKABLE void showInstallWindow();
    // The application's menu at a point of the screen (the header's menu button, a right click).
    Q_INVOKABLE void showMenu(qreal x, qreal y);

signals:
    void sectionChanged();
    void shortcutsChanged();
    void statusesChanged();
    void recordingChanged();
    void heldChanged();
    void refusalsChanged();
    void canGiveBackChanged();
    void saveFolderChanged();
    void loginChanged();
    void hideFromDockChanged();
    void screenChanged();
    void accessChanged();
    void microphoneChanged();
    void talkLanguagesChanged();
    void contactEmailChanged();
    void contactMessageChanged();
    void contactStateChanged();
    void canSendChanged();
    void sidebarMeltChanged();
    void aboutMeltChanged();
    void updatesAvailableChanged();
    void installOpeningChanged();
    void installProblemChanged();
    void installDoneChanged();
    void stagedChanged();
    void unavailableChanged();

private:
    template<class T>
    bool assign(T &field, const T &value, void (SettingsModel::*changed)());
    void updateCanSend();

    SettingsSection m_section = SettingsSection::shortcuts;
    std::map<CaptureAction, Shortcut> m_shortcuts;
    std::map<CaptureAction, HotKeyCenter::Status> m_statuses;
    std::optional<CaptureAction> m_recording;
    QStringList m_held;
    std::map<CaptureAction, QString> m_refusals;
    bool m_canGiveBack = false;
    QString m_saveFolder;
    bool m_login = false;
    bool m_hideFromDock = false;
    Facility m_screen;
    Facility m_access;
    Facility m_microphone;
    QList<TalkLanguage> m_talkLanguages;
    QString m_contactEmail;
    QString m_contactMessage;
    ContactState m_contactState = ContactState::idle;
    bool m_canSend = false;
    int m_sidebarMelt = 3;
    int m_aboutMelt = 3;
    bool m_updatesAvailable = false;
    bool m_installOpening = false;
    std::optional<QString> m_installProblem;
    QString m_installDone;
    bool m_staged = false;
    QStringList m_unavailable;
};
