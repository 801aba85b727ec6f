#pragma once
#include "RecentsSaved.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

#include <optional>

// The work of one history save, run on the history queue.
//
// The new entry is put together in a hidden work folder beside the entry (shot pictures that are
// already on disk with the same crop get a second name, the others are cropped and encoded here),
// then swapped with the entry folder in one rename: a reader, a crash or a power loss sees the
// old entry or the new one whole. Files of the old entry not in the new one go with it. When the
// file system cannot swap folders, the old entry is renamed aside first. Any failure leaves the
// entry as it was and is logged.
struct EntryWriter {
    struct ShotFile {
        QString name; // "shot-<UUID>.png"
        QImage picture; // the shot's full picture
        QRect crop; // the part of it that is saved, in pixels
    };

    Recents::Saved document;
    QString name; // the entry id
    QString historyFolder;
    QList<ShotFile> shots;
    QImage picture; // the rendered page, for thumb.png and rail.png; null for none
    std::optional<QString> group;

    // Writes the entry and prunes the history; false when the entry could not be written.
    bool run() const;

private:
    bool stage(const QString &work, const QString &entry, QList<QPair<QString, QRect>> *written,
               QString *error) const;
    bool commit(const QString &work, const QString &entry, QString *error) const;
};
