#pragma once
#include <QImage>

// A made-up screenshot of exactly width × height pixels: an application window with a dark
// sidebar, a title bar whose colour the variant picks (modulo 4) and light cards with grey text
// lines, a blue button and a yellow block. Shapes scale with the size. It holds no real screen
// content, so pictures made from it can be shared and compared. A null image for a size below
// one pixel or one that cannot be allocated.
QImage samplePicture(int width, int height, int variant);
