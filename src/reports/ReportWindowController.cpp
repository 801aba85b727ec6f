#include "ReportWindowController.h"

#include "Reports.h"
#include "app/PreferenceReaders.h"
#include "platform/BuildInfo.h"
#include "platform/PlatformText.h"
#include "platform/Preferences.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

std::function<QString(QWidget *, const QString &)> ReportWindowController::askSavePath =
    [](QWidget *parent, const QString &suggestedName) {
        return QFileDialog::getSaveFileName(parent, QString(), suggestedName);
    };

namespace {
constexpr int rowWidth = 460;

QString trimmedBlanks(const QString &text)
{
    // White space goes from both ends, line breaks stay (a one-line field has none anyway).
    auto blank = [](QChar c) { return c.isSpace() && c != QLatin1Char('\n') && c != QLatin1Char('\r'); };
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && blank(text.at(start)))
        ++start;
    while (end > start && blank(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

// Sizes in points of the layout, which are logical pixels here.
QFont systemFont(int points, int weight)
{
    QFont font = QApplication::font();
    font.setPixelSize(points);
    font.setWeight(QFont::Weight(weight));
    return font;
}

void makeSecondary(QWidget *widget)
{
    QPalette palette = widget->palette();
    QColor colour = palette.color(QPalette::WindowText);
    colour.setAlphaF(0.6);
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}
} // namespace

ReportWindowController::ReportWindowController(Mode mode, const QList<Report> &reports, const QString &email,
                                               std::function<void(const Outcome &)> finish, QObject *parent)
    : QObject(parent)
    , mode(mode)
    , reports(reports)
    , finish(std::move(finish))
{
    const bool crash = mode == Mode::crash;
    m_window = new QDialog(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint
                                        | Qt::WindowCloseButtonHint);
    m_window->setWindowTitle(crash ? QStringLiteral("Quillet™") : QStringLiteral("Report a Problem"));
    m_window->setObjectName(QStringLiteral("reportWindow"));

    m_rows = new QVBoxLayout(m_window);
    m_rows->setContentsMargins(20, 20, 20, 18);
    m_rows->setSpacing(10);
    m_rows->setSizeConstraint(QLayout::SetFixedSize);

    addLabel(crash ? QStringLiteral("Quillet™ quit unexpectedly") : QStringLiteral("Tell us what went wrong"), 16,
             QFont::DemiBold, false);
    // A build without a report address keeps what it is given: the window says so.
    const bool sends = BuildInfo::sendsReports();
    const QString plural = reports.size() >= 2 ? QStringLiteral("s") : QString();
    if (sends)
        addLabel(crash ? QStringLiteral("Sorry about that. Sharing the crash report%1 with the developer is the fastest way "
                                        "to get it fixed.").arg(plural)
                       : QStringLiteral("Something not working, or not feeling right? Describe it and it goes straight to "
                                        "the developer, with a short technical report."),
                 13, QFont::Normal, false);
    else
        addLabel((crash ? QStringLiteral("Sorry about that. This copy of Quillet™ sends no reports, but it can save the "
                                         "crash report%1 for you to pass on to the developer.").arg(plural)
                        : QStringLiteral("Something not working, or not feeling right? Describe it and save it with a short "
                                         "technical report, to pass on to the developer: this copy of Quillet™ sends no "
                                         "reports."))
                     + QStringLiteral(" Saved reports are kept in %1 for 30 days.")
                           .arg(PlatformText::pathShown(Reports::outboxFolder())),
                 13, QFont::Normal, false);
    addLabel(QStringLiteral("The report has what Quillet™ was doing, the version of the app and of the system, and "
                            "your computer model. It never includes your screenshots, anything you wrote on them, or "
                            "file names."),
             12, QFont::Normal, true);
    m_rows->addSpacing(16 - m_rows->spacing());
    addLabel(crash ? QStringLiteral("What were you doing when it happened? (optional)") : QStringLiteral("What happened?"),
             12, QFont::Medium, false);

    comment = new QPlainTextEdit(m_window);
    comment->setObjectName(QStringLiteral("comment"));
    comment->setFont(systemFont(13, QFont::Normal));
    comment->setTabChangesFocus(true);
    comment->setFixedSize(rowWidth, crash ? 70 : 110);
    comment->document()->setDocumentMargin(4);
    m_rows->addWidget(comment);

    addLabel(QStringLiteral("Your email, if you would like a reply (optional)"), 12, QFont::Medium, false);
    this->email = new QLineEdit(email, m_window);
    this->email->setObjectName(QStringLiteral("email"));
    this->email->setFont(systemFont(13, QFont::Normal));
    this->email->setFixedWidth(rowWidth);
    this->email->setPlaceholderText(QStringLiteral("you@example.com"));
    m_rows->addWidget(this->email);

    // Made in both modes, shown only after a crash.
    always = new QCheckBox(QStringLiteral("Send crash reports automatically from now on"));
    always->setObjectName(QStringLiteral("always"));
    always->setChecked(sends && Prefs::store().boolValue(QStringLiteral("reports.auto")).value_or(false));
    always->setEnabled(sends);
    if (crash) {
        m_rows->addSpacing(14 - m_rows->spacing());
        always->setParent(m_window);
        m_rows->addWidget(always);
    }

    m_rows->addSpacing(18 - m_rows->spacing());
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    m_show = new QPushButton(QStringLiteral("Show Report…"), m_window);
    m_cancel = new QPushButton(!crash ? QStringLiteral("Cancel") : sends ? QStringLiteral("Don’t Send") : QStringLiteral("Don’t Save"),
                               m_window);
    m_send = new QPushButton(sends ? QStringLiteral("Send Report") : QStringLiteral("Save Report"), m_window);
    m_show->setObjectName(QStringLiteral("showReport"));
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_send->setObjectName(QStringLiteral("send"));
    for (QPushButton *b : {m_show, m_cancel})
        b->setAutoDefault(false);
    m_send->setDefault(true);
    buttons->addWidget(m_show);
    buttons->addStretch(1);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_send);
    auto *row = new QWidget(m_window);
    row->setFixedWidth(rowWidth);
    buttons->setContentsMargins(0, 0, 0, 0);
    row->setLayout(buttons);
    m_rows->addWidget(row);

    connect(m_show, &QPushButton::clicked, this, &ReportWindowController::showDetails);
    connect(m_cancel, &QPushButton::clicked, this, &ReportWindowController::cancelPressed);
    connect(m_send, &QPushButton::clicked, this, &ReportWindowController::sendPressed);
    // Escape, the title bar's close button and any other close: a cancel unless already answered.
    connect(m_window, &QDialog::rejected, this, &ReportWindowController::cancelPressed);

    m_window->adjustSize();
    comment->setFocus();
}

ReportWindowController::~ReportWindowController()
{
    if (!always->parent())
        delete always;
    delete m_window;
}

QLabel *ReportWindowController::addLabel(const QString &text, int points, int weight, bool secondary)
{
    auto *label = new QLabel(text, m_window);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    label->setFont(systemFont(points, weight));
    label->setFixedWidth(rowWidth);
    if (secondary)
        makeSecondary(label);
    m_rows->addWidget(label);
    labelsForTest << label;
    return label;
}

QString ReportWindowController::trimmedComment() const
{
    return comment->toPlainText().trimmed();
}

QString ReportWindowController::trimmedEmail() const
{
    return trimmedBlanks(email->text());
}

QList<Report> ReportWindowController::appliedReports() const
{
    const QString c = trimmedComment();
    const QString e = trimmedEmail();
    QList<Report> applied = reports;
    for (Report &r : applied) {
        r.comment = c.isEmpty() ? std::nullopt : std::optional<QString>(c);
        r.contact = e.isEmpty() ? std::nullopt : std::optional<QString>(e);
    }
    return applied;
}

QString ReportWindowController::detailsJSON() const
{
    QStringList texts;
    for (const Report &r : appliedReports())
        texts << QString::fromUtf8(r.json(true).value_or(QByteArray()));
    return texts.join(QStringLiteral("\n\n"));
}

void ReportWindowController::showDetails()
{
    if (details) {
        details->raise();
        return;
    }
    auto *sheet = new QDialog(m_window);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setWindowModality(Qt::WindowModal);
    sheet->setWindowTitle(QStringLiteral("Report"));
    sheet->setObjectName(QStringLiteral("reportDetails"));
    sheet->setFixedSize(640, 480);
    auto *rows = new QVBoxLayout(sheet);
    rows->setContentsMargins(16, 16, 16, 16);
    rows->setSpacing(12);

    auto *label = new QLabel(QStringLiteral("This is everything that would be sent, exactly as it would be sent."), sheet);
    label->setFont(systemFont(12, QFont::Normal));
    label->setFixedWidth(608);
    makeSecondary(label);
    rows->addWidget(label);

    auto *text = new QPlainTextEdit(detailsJSON(), sheet);
    text->setObjectName(QStringLiteral("detailsText"));
    text->setReadOnly(true);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPixelSize(11);
    text->setFont(mono);
    text->document()->setDocumentMargin(6);
    text->setFixedSize(608, 380);
    rows->addWidget(text);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    auto *copy = new QPushButton(QStringLiteral("Copy"), sheet);
    auto *save = new QPushButton(QStringLiteral("Save…"), sheet);
    auto *done = new QPushButton(QStringLiteral("Done"), sheet);
    copy->setObjectName(QStringLiteral("copy"));
    save->setObjectName(QStringLiteral("save"));
    done->setObjectName(QStringLiteral("done"));
    copy->setAutoDefault(false);
    save->setAutoDefault(false);
    done->setDefault(true);
    buttons->addWidget(copy);
    buttons->addWidget(save);
    buttons->addStretch(1);
    buttons->addWidget(done);
    rows->addLayout(buttons);
    rows->addStretch(1);

    connect(copy, &QPushButton::clicked, this, &ReportWindowController::copyDetails);
    connect(save, &QPushButton::clicked, this, &ReportWindowController::saveDetails);
    connect(done, &QPushButton::clicked, this, &ReportWindowController::closeDetails);
    details = sheet;
    sheet->show();
}

void ReportWindowController::copyDetails()
{
    QApplication::clipboard()->setText(detailsJSON());
}

void ReportWindowController::saveDetails()
{
    if (!details)
        return;
    const QString path = askSavePath(details, QStringLiteral("Quillet report.json"));
    if (!path.isEmpty())
        writeSavedDetails(path);
}

void ReportWindowController::writeSavedDetails(const QString &path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(detailsJSON().toUtf8());
    file.commit();
}

void ReportWindowController::closeDetails()
{
    if (details)
        details->close();
    details = nullptr;
}

void ReportWindowController::sendPressed()
{
    if (finished)
        return;
    finished = true;
    const Outcome outcome{true, trimmedComment(), trimmedEmail(), always->isChecked()};
    m_window->close();
    if (finish)
        finish(outcome);
}

void ReportWindowController::cancelPressed()
{
    if (finished)
        return;
    finished = true;
    m_window->close();
    if (finish)
        finish(Outcome{});
}
