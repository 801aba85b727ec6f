#pragma once
#include "platform/ScreenInfo.h"

#include <QImage>

// One screen's still picture taken at the start of a capture. image is screen.geometry's size
// times screen.pixelScale (rounded), in QImage::Format_RGB32 or Format_ARGB32_Premultiplied, with
// its device pixel ratio set to the screen's pixel scale.
struct FrozenFrame
{
    ScreenInfo screen;
    QImage image;
};
