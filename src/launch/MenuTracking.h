#pragma once
#include <QObject>
#include <QPointer>

class QMenu;

// Keeps a slot naming the menu of ours that is open now (the innermost one shown last), and
// empties it when that menu closes. Watches the whole application.
class MenuTracking : public QObject
{
    Q_OBJECT
public:
    MenuTracking(QPointer<QMenu> &slot, QObject *parent = nullptr);
    ~MenuTracking() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QMenu> &m_slot;
};
