#include "canvas/CommandSidebar.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int flashMs = 1600;
}

CommandRow::CommandRow(const QString &title, QWidget *parent)
    : QWidget(parent)
    , m_title(title)
    , m_label(new QLabel(title, this))
    , m_flash(new QTimer(this))
{
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(16, 8, 16, 8);
    box->addWidget(m_label);
    m_flash->setSingleShot(true);
    m_flash->setInterval(flashMs);
    connect(m_flash, &QTimer::timeout, this, [this] { m_label->setText(m_title); });
}

void CommandRow::flash(const QString &text)
{
    m_label->setText(QStringLiteral("✓ ") + text);
    m_flash->start();
}

bool CommandRow::isFlashing() const
{
    return m_flash->isActive();
}

void CommandRow::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && onClick)
        onClick();
}

CommandSidebar::CommandSidebar(const QRect &frame, QWidget *parent)
    : QWidget(parent)
    , m_copyRow(new CommandRow(QStringLiteral("Copy"), this))
    , m_sendRow(new CommandRow(QStringLiteral("Paste into app"), this))
{
    setGeometry(frame);
    setFocusPolicy(Qt::NoFocus);
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(1, 16, 0, 16);
    box->setSpacing(2);
    box->addWidget(m_copyRow);
    box->addWidget(m_sendRow);
    box->addStretch(1);
    m_copyRow->onClick = [this] {
        if (onCopy)
            onCopy();
    };
    m_sendRow->onClick = [this] {
        if (onSend)
            onSend();
    };
}

void CommandSidebar::refresh()
{
    refreshSendRow();
    update();
}

void CommandSidebar::refreshSendRow()
{
    m_sendRow->update();
}

void CommandSidebar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(247, 247, 248));
    p.fillRect(QRect(0, 0, 1, height()), QColor(0, 0, 0, 26));
}
