#pragma once
#include "platform/InstalledApp.h"

#include <QDialog>
#include <QList>

#include <functional>

class AppRegistry;
class QLineEdit;
class QListView;
class QPushButton;
class QSortFilterProxyModel;

// "Other App…": the installed applications by name with their icons, narrowed as the user types,
// to choose the one Ctrl+Return pastes into. Main thread only.
class AppChooser : public QDialog
{
    Q_OBJECT
public:
    // Lists the applications of `registry` (the shared one unless given).
    explicit AppChooser(QWidget *parent = nullptr, AppRegistry *registry = nullptr);

    // The applications offered: every installed one except those whose entries ask not to be
    // shown, ordered by name as people sort (case and accents aside), then by id.
    static QList<InstalledApp> choices(AppRegistry &registry);

    // Runs with the chosen application's id when the user confirms.
    std::function<void(const QString &id)> onChoose;

    QLineEdit *search() const { return m_search; }
    QListView *list() const { return m_list; }
    QPushButton *confirmButton() const { return m_confirm; }
    // The names listed now, in order.
    QStringList shownNames() const;
    // The id of the application selected now; empty when none is.
    QString selectedId() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void filterChanged(const QString &text);
    void selectFirst();
    void confirm();

    QLineEdit *m_search;
    QListView *m_list;
    QPushButton *m_confirm;
    QSortFilterProxyModel *m_filter;
};
