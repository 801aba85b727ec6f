#include "canvas/DragOutView.h"

#include "canvas/ToolbarIcons.h"

#include <QDrag>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include <cmath>

namespace {
constexpr double dragWidth = 160;
constexpr double threshold = 3;
const QString uriList = QStringLiteral("text/uri-list");

// The dragged file's URL, offered at once; reading it waits until the file is written. A file
// that could not be written offers nothing.
class PendingFile : public QMimeData
{
public:
    explicit PendingFile(QFuture<QString> path) : m_path(std::move(path)) { }

    QStringList formats() const override
    {
        if (m_path.isFinished() && m_path.result().isEmpty())
            return {};
        return {uriList};
    }

protected:
    QVariant retrieveData(const QString &type, QMetaType as) const override
    {
        if (type != uriList)
            return {};
        const QString path = m_path.result(); // waits for the writer
        if (path.isEmpty())
            return {};
        const QUrl url = QUrl::fromLocalFile(path);
        if (as.id() == QMetaType::QByteArray || as.id() == QMetaType::QString)
            return QVariant(url.toEncoded() + QByteArrayLiteral("\r\n"));
        return QVariant(QVariantList{QVariant(url)});
    }

private:
    QFuture<QString> m_path;
};
} // namespace

DragOutView::DragOutView(QWidget *parent) : QWidget(parent), m_icon(new QLabel(this))
{
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(sizeHint());
    setCursor(Qt::OpenHandCursor);
    m_icon->setAlignment(Qt::AlignCenter);
    m_icon->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_icon->setPixmap(ToolbarIcons::tinted(QStringLiteral("hand"), palette().color(QPalette::WindowText), 17)
                          .pixmap(QSize(17, 17), devicePixelRatioF()));
    setAccessibleName(QStringLiteral("Drag out"));
}

std::function<Qt::DropAction(QDrag &)> &DragOutView::runner()
{
    static std::function<Qt::DropAction(QDrag &)> run = [](QDrag &drag) { return drag.exec(Qt::CopyAction); };
    return run;
}

QSizeF DragOutView::imageSize(const QImage &picture)
{
    const double w = picture.isNull() ? 0 : picture.width();
    return {dragWidth, w > 0 ? dragWidth * picture.height() / w : 100};
}

void DragOutView::resizeEvent(QResizeEvent *)
{
    m_icon->setGeometry(rect());
}

void DragOutView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        pressAt(event->scenePosition());
}

void DragOutView::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        movedTo(event->scenePosition());
}

void DragOutView::pressAt(QPointF point)
{
    downAt = point;
}

bool DragOutView::movedTo(QPointF point)
{
    if (!downAt)
        return false;
    const QPointF d = point - *downAt;
    if (std::hypot(d.x(), d.y()) <= threshold)
        return false;
    const std::optional<DragFile> file = makeFile ? makeFile() : std::nullopt;
    if (!file)
        return false;
    downAt.reset();

    auto *drag = new QDrag(this);
    drag->setMimeData(new PendingFile(file->path));
    // The picture, 160 pt wide, centred on the pointer.
    const QSizeF size = imageSize(file->picture);
    const double scale = devicePixelRatioF();
    const QSize pixels(int(std::lround(size.width() * scale)), int(std::lround(size.height() * scale)));
    QPixmap pixmap(pixels);
    pixmap.fill(Qt::transparent);
    if (!file->picture.isNull()) {
        QPainter p(&pixmap);
        p.drawImage(QPoint(), file->picture.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    pixmap.setDevicePixelRatio(scale);
    drag->setPixmap(pixmap);
    drag->setHotSpot(QPoint(int(std::lround(size.width() / 2)), int(std::lround(size.height() / 2))));

    if (onDragStart)
        onDragStart();
    const Qt::DropAction done = runner()(*drag);
    // The receiver reads the file's URL after the drop, when a dropped one-page canvas has
    // already gone with this handle: the drag outlives it, and the system's drag and drop
    // deletes it once the receiver is done.
    drag->setParent(nullptr);
    if (onDragEnd)
        onDragEnd(done != Qt::IgnoreAction);
    return true;
}
