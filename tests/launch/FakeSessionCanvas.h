#pragma once
#include "capture/SessionCanvas.h"

#include <QList>
#include <QPair>

// A canvas that records what the session asks of it.
struct FakeSessionCanvas : SessionCanvas {
    QList<QPair<int, bool>> added; // picture count, open
    int shots = 1;
    void endEditing() override {}
    void saveCurrentPage() override {}
    void focusDocument() override {}
    bool markCurrentPageDone() override { return false; }
    void addShotPage(const QImage &, double, const QRectF &) override {}
    void addPictures(const QList<Importer::Picture> &pictures, bool open) override
    {
        added.append({int(pictures.size()), open});
    }
    int shotCount() const override { return shots; }
};
