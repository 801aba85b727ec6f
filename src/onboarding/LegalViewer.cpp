#include "LegalViewer.h"

#include "Legal.h"
#include "platform/UrlOpener.h"

#include <QFile>
#include <QPointer>

LegalViewer &LegalViewer::shared()
{
    static QPointer<LegalViewer> viewer;
    if (!viewer)
        viewer = new LegalViewer;
    return *viewer;
}

LegalViewer::LegalViewer()
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    setReadOnly(true);
    setOpenLinks(false);
    setWindowTitle(QStringLiteral("Quillet™ Legal"));
    resize(640, 720);
    document()->setDocumentMargin(24);
    connect(this, &QTextBrowser::anchorClicked, this, &LegalViewer::follow);
}

bool LegalViewer::showDocument(const QString &path)
{
    const QString file = Legal::textFile(path);
    QFile in(file);
    if (file.isEmpty() || !in.open(QIODevice::ReadOnly))
        return false;
    setMarkdown(QString::fromUtf8(in.readAll()));
    m_path = path;
    for (const Legal::Document &d : Legal::documents())
        if (d.path == path)
            setWindowTitle(d.title + QStringLiteral(" — Quillet™"));
    show();
    raise();
    activateWindow();
    return true;
}

void LegalViewer::follow(const QUrl &url)
{
    if (url.isRelative() && url.path().startsWith(QLatin1Char('/'))) {
        Legal::open(url.path());
        return;
    }
    UrlOpener::open(url);
}
