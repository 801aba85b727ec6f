#pragma once
#include "app/ChromeViews.h"
#include "app/Toast.h"

#include <QWidget>

// The text of the toast showing now, or nothing.
inline QString toastText()
{
    QWidget *panel = Toast::current();
    auto *label = panel ? panel->findChild<GlassLabel *>() : nullptr;
    return label ? label->label()->text() : QString();
}
