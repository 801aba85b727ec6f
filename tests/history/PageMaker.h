#pragma once
#include "history/Recents.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>

// Small pages for the history tests: shots with solid pictures, placed side by side.
namespace PageMaker {

struct Page {
    Markup markup;
    ShotImages images;
};

inline QImage picture(int width, int height, QColor color = Qt::darkCyan)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

// A page of one shot per size (pixels) at the given scale; each shot shows its whole picture.
inline Page page(const QList<QSize> &sizes, double scale = 2)
{
    Page p;
    double x = 0;
    for (const QSize &size : sizes) {
        const QSizeF points(size.width() / scale, size.height() / scale);
        const Shot shot(QUuid::createUuid(), QPointF(x, 0), points, QRectF(QPointF(x, 0), points));
        p.markup.shots.append(shot);
        p.images.insert(shot.id, ShotImage{picture(size.width(), size.height()), scale});
        x += points.width() + 10;
    }
    p.markup.unit = 1.5;
    p.markup.items.append(Item::arrowFrom(QPointF(1, 2), QPointF(30, 40), 0, 2));
    return p;
}

inline Page page(QSize size = QSize(40, 30), double scale = 2) { return page(QList<QSize>{size}, scale); }

inline QString entryPath(const QString &id, const QString &file = QString())
{
    return Recents::folder() + QLatin1Char('/') + id + (file.isEmpty() ? QString() : QLatin1Char('/') + file);
}

inline QStringList files(const QString &id)
{
    return QDir(entryPath(id)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

} // namespace PageMaker
