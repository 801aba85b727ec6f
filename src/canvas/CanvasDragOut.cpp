// The files the toolbar's drag-out handle drags, and the session's windows during the drag.
#include "app/ActivityLog.h"
#include "canvas/CanvasController.h"
#include "capture/CaptureSession.h"
#include "capture/OverlayWindow.h"
#include "export/ExportScene.h"

#include <QThreadPool>
#include <QWindow>
#include <QtConcurrent>

namespace {
constexpr double scratchAge = 3600;
constexpr double dimmed = 0.12;

// The worker that writes dragged files, one at a time.
QThreadPool &fileWriters()
{
    static QThreadPool *pool = [] {
        auto *p = new QThreadPool;
        p->setMaxThreadCount(1);
        return p;
    }();
    return *pool;
}
} // namespace

std::optional<QString> CanvasController::writeDragFile(const QImage &picture, double exportScale, bool halfSize,
                                                       const QString &folder)
{
    if (picture.isNull() || folder.isEmpty())
        return std::nullopt;
    ExportScene::pruneFolder(folder, scratchAge);
    activityLog(QStringLiteral("export: file %1x%2").arg(picture.width()).arg(picture.height()));
    const double scale = ExportScene::clipboardScale(exportScale > 0 ? exportScale : 1, halfSize);
    QString error;
    const QString path = ExportScene::save(picture, folder, scale, &error);
    if (path.isEmpty()) {
        activityLog(QStringLiteral("export: the dragged file could not be written: ") + error);
        return std::nullopt;
    }
    return path;
}

std::optional<DragFile> CanvasController::makeDragFile()
{
    endEditing();
    const bool half = ExportScene::halfSizePreferred();
    const RenderedPage page = renderCurrentPage(half);
    if (page.picture.isNull())
        return std::nullopt;
    // Only a private folder of ours: a shared one could hold another user's link.
    const QString folder = ExportScene::scratchFolder();
    if (folder.isEmpty())
        return std::nullopt;
    // Encoding a large page takes longer than a drag may wait to start: the file is written on a
    // worker while the drag begins, and a drop that asks for it sooner waits for it.
    QFuture<QString> path = QtConcurrent::run(&fileWriters(), [picture = page.picture, scale = page.scale, half, folder] {
        return writeDragFile(picture, scale, half, folder).value_or(QString());
    });
    return DragFile{page.picture, std::move(path)};
}

void CanvasController::dragOutStarted()
{
    if (!session)
        return;
    // An empty input shape lets the drop reach the window below; setting the widget's window
    // flags instead would unmap the window.
    for (OverlayWindow *w : session->windows()) {
        if (!w)
            continue;
        if (QWindow *window = w->windowHandle())
            window->setFlag(Qt::WindowTransparentForInput, true);
        w->setWindowOpacity(dimmed);
    }
}

void CanvasController::dragOutEnded(bool dropped)
{
    if (session)
        session->dragOutFinished(dropped);
}
