#include "ContactMessage.h"
#include "HeaderWindow.h"
#include "SettingsWindowController.h"
#include "app/PreferenceReaders.h"
#include "platform/Preferences.h"

#include <QGuiApplication>
#include <QQuickView>
#include <QScreen>
#include <QSet>

// Staged windows show chosen values for pictures of the settings ("--settings").

void SettingsWindowController::stage(const QString &spec, bool unseen)
{
    const QStringList pieces = spec.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    const QString name = pieces.value(0);
    const QSet<QString> words = [&] {
        const QStringList list =
            pieces.mid(1).join(QLatin1Char(',')).split(QLatin1Char(','), Qt::SkipEmptyParts);
        return QSet<QString>(list.cbegin(), list.cend());
    }();

    m_model->setStaged(true);
    m_window->setTitle(QStringLiteral("Quillet™ Settings (") + spec + QStringLiteral(")"));

    // Staging shows a section without choosing it for the user.
    const QString key = QStringLiteral("settings.section");
    const QJsonValue stored = Prefs::store().value(key);
    select(SettingsSections::fromRawValue(name).value_or(SettingsSection::shortcuts));
    if (stored.isUndefined())
        Prefs::store().remove(key);
    else
        Prefs::store().setValue(key, stored);

    if (words.contains(QStringLiteral("missing")))
        m_stagedAccess = std::make_pair(false, false);
    refresh();
    if (words.contains(QStringLiteral("recording")))
        m_model->setRecording(CaptureAction::areaToCanvas);
    if (words.contains(QStringLiteral("problems"))) {
        auto statuses = m_model->statuses();
        statuses[CaptureAction::areaToCanvas] = {HotKeyCenter::Status::takenByApp, {}};
        statuses[CaptureAction::areaToClipboard] = HotKeyCenter::Status::systemShortcut(
            QStringLiteral("Save picture of selected area to the clipboard"));
        m_model->setStatuses(statuses);
    }
    if (words.contains(QStringLiteral("melt"))) {
        m_model->setSidebarMelt(6);
        m_model->setAboutMelt(9);
    }
    // Installing writes into the home folder: a picture of the window only shows it starting.
    if (words.contains(QStringLiteral("install")))
        m_model->setInstallOpening(true);
    const bool sent = words.contains(QStringLiteral("sent"));
    if (sent || words.contains(QStringLiteral("failed"))) {
        m_model->setContactMessage(QStringLiteral("The arrow lands a little left of where I let go."));
        if (m_model->contactEmail().isEmpty())
            m_model->setContactEmail(ContactMessage::placeholderEmail());
        m_model->setContactState(sent ? SettingsModel::ContactState::sent
                                      : SettingsModel::ContactState::failed);
    }

    if (QScreen *screen = m_window->screen() ? m_window->screen() : QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), m_window->size());
        frame.moveCenter(screen->availableGeometry().center());
        m_window->setPosition(frame.topLeft());
    }
    if (unseen) {
        // Drawn, but behind everything else on the desktop.
        m_window->setFlag(Qt::WindowStaysOnBottomHint, true);
        m_quill->setFlag(Qt::WindowStaysOnBottomHint, true);
    }
    m_window->show();
    placeMascot();
}
