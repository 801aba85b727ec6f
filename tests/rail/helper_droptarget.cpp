// A second X client that takes dropped files: a window at the given geometry (x y w h) that
// accepts text/uri-list. It prints "ready" once shown, "move N" for every drag position it
// accepts, then "file PATH" for every dropped file and "done", and exits.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {
void say(const QByteArray &line)
{
    std::fputs(line.constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

class Target : public QWidget
{
public:
    Target() { setAcceptDrops(true); }

protected:
    void dragEnterEvent(QDragEnterEvent *e) override
    {
        if (e->mimeData()->hasUrls())
            e->acceptProposedAction();
    }
    void dragMoveEvent(QDragMoveEvent *e) override
    {
        e->acceptProposedAction();
        say("move " + QByteArray::number(++m_moves));
    }
    void dropEvent(QDropEvent *e) override
    {
        for (const QUrl &url : e->mimeData()->urls())
            say("file " + url.toLocalFile().toUtf8());
        e->setDropAction(Qt::CopyAction);
        e->accept();
        say("done");
        QTimer::singleShot(200, qApp, &QCoreApplication::quit);
    }

private:
    int m_moves = 0;
};
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 5)
        return 2;
    Target t;
    t.setWindowTitle(QStringLiteral("drop target"));
    t.setGeometry(atoi(argv[1]), atoi(argv[2]), atoi(argv[3]), atoi(argv[4]));
    t.show();
    QTimer::singleShot(0, &t, [] { say("ready"); });
    QTimer::singleShot(60000, qApp, &QCoreApplication::quit);
    return app.exec();
}
