#pragma once
#include <QString>
#include <QTextBrowser>

// The one read-only window that shows the legal texts (Markdown). A link to another document
// shows that one; a web link opens in the browser. Main thread only.
class LegalViewer : public QTextBrowser
{
    Q_OBJECT
public:
    static LegalViewer &shared();
    // Shows the document of a path (see Legal::textFile) and brings the window forward; false
    // when there is no such document.
    bool showDocument(const QString &path);
    QString shownPath() const { return m_path; }

private:
    LegalViewer();
    void follow(const QUrl &url);

    QString m_path;
};
