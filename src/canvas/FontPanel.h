#pragma once
#include <QFont>
#include <QObject>
#include <QPointer>

#include <functional>

#include <QFontDialog>
class QWidget;

// The one font chooser of the application: a non-modal font dialog kept above the canvas window
// that opened it. Each face the user picks reaches that canvas at once, as a PostScript-style
// name ("FamilyWithoutBlanks-Style") that the font readers load back.
class FontPanel : public QObject
{
    Q_OBJECT
public:
    static FontPanel &shared();

    // Shows the chooser over window, preset to font; later picks go to onChange until the
    // chooser is shown for another window.
    void show(QWidget *window, const QFont &font, std::function<void(const QString &)> onChange);
    // The name a face is stored under: its family without blanks, "-" and its style.
    static QString nameOf(const QFont &font);
    QFontDialog *dialog() const { return m_dialog; }

private:
    FontPanel() = default;
    void changed(const QFont &font);

    QPointer<QFontDialog> m_dialog;
    std::function<void(const QString &)> m_onChange;
    bool m_presetting = false;
};
