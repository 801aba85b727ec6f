#include "rail/RailDocument.h"

#include "rail/PageRail.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWheelEvent>

RailDocument::RailDocument(QWidget *parent) : QWidget(parent)
{
}

void RailDocument::mousePressEvent(QMouseEvent *event)
{
    if (!rail || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    rail->clearPicks();
    if (rail->onPick)
        rail->onPick();
}

void RailDocument::contextMenuEvent(QContextMenuEvent *event)
{
    if (!rail)
        return;
    auto *menu = new QMenu(this);
    rail->addColumnItems(menu);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void RailDocument::wheelEvent(QWheelEvent *event)
{
    if (rail)
        rail->wheel(event, this);
    else
        event->ignore();
}
