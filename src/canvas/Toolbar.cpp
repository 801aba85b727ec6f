#include "canvas/Toolbar.h"

DragOutView::DragOutView(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

Toolbar::Toolbar(QWidget *parent) : QWidget(parent), m_dragOut(new DragOutView(this))
{
    setFocusPolicy(Qt::NoFocus);
    resize(0, 0);
}
