#pragma once
#include <QFuture>
#include <QImage>
#include <QPointF>
#include <QSize>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <optional>

class QDrag;
class QLabel;

// A file being written for a drag: the picture it holds (the drag shows it) and its path once
// written (empty when the write failed).
struct DragFile
{
    QImage picture;
    QFuture<QString> path;
};

// The hand in the toolbar from which the user drags the current page out as a PNG file. It knows
// nothing of pictures: when a drag starts it asks its owner for the file, offers its URL to other
// applications (copy only; our own windows refuse it) and reports how the drag ended.
class DragOutView : public QWidget
{
    Q_OBJECT
public:
    explicit DragOutView(QWidget *parent = nullptr);

    // The file to drag (none drags nothing and keeps the press armed), asked once per drag; what
    // happens just before the drag begins; and whether it was dropped somewhere. The drag begins
    // while the file is still being written: a drop that reads its URL sooner waits for it.
    std::function<std::optional<DragFile>()> makeFile;
    std::function<void()> onDragStart;
    std::function<void(bool)> onDragEnd;

    // Where the last press was (window coordinates); none while no press is armed.
    std::optional<QPointF> downAt;

    // Runs a drag that is ready to go and gives how it ended (the system's drag and drop unless a
    // test puts its own in).
    static std::function<Qt::DropAction(QDrag &)> &runner();
    // The drag picture's size in points for a picture: 160 wide, as high as its shape asks
    // (100 without a picture).
    static QSizeF imageSize(const QImage &picture);

    QSize sizeHint() const override { return {32, 30}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

    // A press at point, and a move to point (window coordinates); the mouse events come here.
    void pressAt(QPointF point);
    // True when the move started a drag.
    bool movedTo(QPointF point);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *m_icon;
};
