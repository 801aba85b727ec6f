#include "canvas/FontPanel.h"

#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QWidget>

FontPanel &FontPanel::shared()
{
    static FontPanel *panel = new FontPanel;
    return *panel;
}

QString FontPanel::nameOf(const QFont &font)
{
    const QFontInfo info(font);
    QString family = info.family();
    family.remove(u' ');
    QString style = info.styleName();
    if (style.isEmpty())
        style = QFontDatabase::styleString(font);
    style.remove(u' ');
    return style.isEmpty() ? family : family + u'-' + style;
}

void FontPanel::show(QWidget *window, const QFont &font, std::function<void(const QString &)> onChange)
{
    if (!m_dialog) {
        m_dialog = new QFontDialog;
        m_dialog->setOption(QFontDialog::DontUseNativeDialog);
        m_dialog->setOption(QFontDialog::NoButtons);
        m_dialog->setModal(false);
        m_dialog->setWindowTitle(QStringLiteral("Fonts"));
        connect(m_dialog, &QFontDialog::currentFontChanged, this, &FontPanel::changed);
    }
    m_onChange = std::move(onChange);
    // Kept above the canvas: a transient dialog of its window that stays on top.
    const bool visible = m_dialog->isVisible();
    if (window && m_dialog->parentWidget() != window)
        m_dialog->setParent(window, Qt::Dialog | Qt::WindowStaysOnTopHint);
    m_presetting = true;
    m_dialog->setCurrentFont(font);
    m_presetting = false;
    if (!visible || !m_dialog->isVisible())
        m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

void FontPanel::changed(const QFont &font)
{
    if (m_presetting || !m_onChange)
        return;
    m_onChange(nameOf(font));
}
