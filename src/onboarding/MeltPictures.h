#pragma once
#include <QStringList>

// The mascot's melt stages: the resource pictures ":/WelcomeQuill/melt-0.png" to "melt-9.png",
// 400 × 370 points each, as "qrc:" addresses in stage order. A missing picture is left out, so
// the list holds all ten only when every one is there. Made once, on first use.
namespace MeltPictures {
QStringList all();
// The size each picture is shown at, in points.
constexpr int width = 400, height = 370;
} // namespace MeltPictures
