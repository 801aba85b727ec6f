#pragma once
#include "document/Report.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class QCheckBox;
class QDialog;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The window that asks about reports before they are sent: after a crash (with the switch for
// automatic sending) or for the user's own problem report. It hands on exactly one outcome:
// send (with the comment, the e-mail and the switch) or cancel, whichever way it closes.
class ReportWindowController : public QObject
{
    Q_OBJECT
public:
    enum class Mode { crash, feedback };
    struct Outcome {
        bool send = false;
        QString comment;
        QString email;
        bool always = false;
    };

    ReportWindowController(Mode mode, const QList<Report> &reports, const QString &email,
                           std::function<void(const Outcome &)> finish, QObject *parent = nullptr);
    ~ReportWindowController() override;

    Mode mode;
    QList<Report> reports;
    std::function<void(const Outcome &)> finish;
    bool finished = false;
    QPlainTextEdit *comment = nullptr;
    QLineEdit *email = nullptr;
    QCheckBox *always = nullptr;
    // The wrapping labels in the order they were added: headline, lead, privacy, the prompts.
    QList<QLabel *> labelsForTest;
    QPointer<QDialog> details;

    QDialog *window() const { return m_window; }
    QPushButton *sendButton() const { return m_send; }
    QPushButton *cancelButton() const { return m_cancel; }
    QPushButton *showButton() const { return m_show; }

    // Every report as it would go with the fields as they are now, pretty-printed, one empty
    // line between them.
    QString detailsJSON() const;
    // The reports with the window's comment and e-mail on them.
    QList<Report> appliedReports() const;
    void writeSavedDetails(const QString &path) const;

    // Where the details are saved: a save dialog over the given window (tests answer here).
    static std::function<QString(QWidget *parent, const QString &suggestedName)> askSavePath;

public slots:
    void showDetails();
    void copyDetails();
    void saveDetails();
    void closeDetails();
    void sendPressed();
    void cancelPressed();

private:
    QLabel *addLabel(const QString &text, int points, int weight, bool secondary);
    QString trimmedComment() const;
    QString trimmedEmail() const;

    QDialog *m_window = nullptr;
    QPushButton *m_show = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_send = nullptr;
    class QVBoxLayout *m_rows = nullptr;
};
