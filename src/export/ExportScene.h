#pragma once
#include "capture/ShotImage.h"
#include "document/Markup.h"
#include "document/PixelSampler.h"
#include "document/RGB.h"
#include "export/TextLayout.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

// Everything that goes into one exported picture of a canvas page: the shot pictures, the
// document, the outline colour of each arrow and box, the plate colour behind each comment, the
// laid-out texts and the rects that must lie inside the picture. A plain value, built once per
// export (from a stored page, or from the canvas's live parts) and rendered to a bitmap.
// Coordinates are canvas points throughout. Main thread.
struct ExportScene {
    ShotImages images; // a shot without a (usable) picture is not drawn
    // Smaller copies of shot pictures (their pixel scale says how much smaller): a fitted render
    // draws a shot from its copy when that still has the output's density, instead of shrinking
    // the whole picture. Mosaics are always taken from the picture itself.
    ShotImages smaller;
    Markup markup;
    QHash<QUuid, RGB> outlines; // arrow or box id → outline colour; none: no outline
    QHash<QUuid, RGB> plates; // text id → plate colour; none: no plate
    QList<std::shared_ptr<const TextLayout>> texts; // one per drawn text item, in item order
    QList<QRectF> bounds; // the drawn extent of each mark; never a null rect

    using Samplers = QHash<QUuid, std::shared_ptr<const PixelSampler>>;

    // The scene of a stored page: outline and plate colours are sampled from the pictures
    // (samplers are made when none are given), blank texts are left out.
    static ExportScene fromPage(const Markup &markup, const ShotImages &images,
                                const std::optional<Samplers> &samplers = std::nullopt);

    // What the canvas hands over of its present state, as values.
    struct CanvasParts {
        Markup markup; // the working markup
        ShotImages images; // the working shot pictures
        QHash<QUuid, RGB> outlines; // the outline colours the canvas shows
        QHash<QUuid, RGB> plates; // the plate colours the canvas shows
        QHash<QUuid, std::shared_ptr<const TextLayout>> texts; // its text layouts (made when missing)
        QHash<QUuid, QRectF> frames; // each item's frame on the canvas
    };
    // The scene of the canvas: the markup without its blank texts, the canvas's own colours and
    // layouts, and the non-null frames of the remaining items.
    static ExportScene ofCanvas(const CanvasParts &parts);

    // Samplers for colour checks, one per shot with a picture (at most 1280 px on the long
    // side); shots whose sampler cannot be made have none.
    static Samplers makeSamplers(const Markup &markup, const ShotImages &images);

    // Why render gave no picture.
    enum class Failure { none, nothing, tooLarge };

    // The picture: exact (maxSize none: at the shots' largest density, halved for halfSize) or
    // fitted to cover maxSize pixels; margin is in output pixels on each side a mark sticks out.
    // Marks inside the shots give exactly the shots; a shot at the output density is copied
    // pixel for pixel. A null image when there is nothing to draw or it would be too large.
    QImage render(bool halfSize, std::optional<QSizeF> maxSize, double margin, Failure *why = nullptr) const;

    // The density render draws at in exact mode: the largest usable pixel scale of the drawn
    // shots (halved for halfSize); 0 when no shot can be drawn.
    double exactScale(bool halfSize) const;
    // Whether a shot's picture can be drawn: one is there and its scale is finite and positive.
    bool drawable(const Shot &shot) const;

    // --- Pictures out of the application (clipboard, PNG data, files)

    // The scale recorded with an exported picture of export density s: s, or under half size
    // s × 0.5 but at least 1.
    static double clipboardScale(double s, bool halfSize);
    // Whether "export.halfSize" is on.
    static bool halfSizePreferred();
    // Puts the picture on the clipboard (or the test pasteboard) as PNG and TIFF; see
    // ClipboardPicture::put.
    static bool copyToClipboard(const QImage &picture, double scale, std::function<void(bool)> done = {});
    // The PNG of a stored page, exact at its density under "export.halfSize", margin 16; empty
    // when nothing can be rendered.
    static QByteArray exportData(const Markup &markup, const ShotImages &images);
    // "Quillet yyyy-MM-dd at HH.mm.ss.png" of the local time, in Western digits and the 24-hour
    // clock whatever the locale.
    static QString fileName(const QDateTime &date);
    // Writes the picture as a PNG file into folder (made with its parents when missing) under
    // fileName(when), or with " 2", " 3", ... before ".png" when a name is taken; never replaces
    // a file. The file's path, or empty with *error set to the reason.
    static QString save(const QImage &picture, const QString &folder, double scale, QString *error = nullptr,
                        const QDateTime &when = QDateTime::currentDateTime());
    // Deletes the folder's entries (hidden ones too; a folder with its content, a link but not
    // what it points to) last modified more than seconds before now. Never fails.
    static void pruneFolder(const QString &folder, double seconds, const QDateTime &now = QDateTime::currentDateTime());
    // The folder for files dragged out: $XDG_RUNTIME_DIR/Quillet (else one in the temporary
    // folder named for the user), made 0700; empty when it cannot be made or the one there is
    // not a folder of ours with mode 0700.
    static QString scratchFolder();
};
