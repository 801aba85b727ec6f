#pragma once
#include <QPointer>
#include <QWidget>

class PageRail;

// The rail's scrolling document: it holds the thumbnails and turns a click, a right-click or a
// pinch on its empty background into the rail's own operations.
class RailDocument : public QWidget
{
    Q_OBJECT
public:
    explicit RailDocument(QWidget *parent = nullptr);

    QPointer<PageRail> rail;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
};
