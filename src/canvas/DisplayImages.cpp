#include "canvas/DisplayImages.h"

DisplayImages::DisplayImages() = default;
DisplayImages::~DisplayImages() = default;

void DisplayImages::setSpace(const QColorSpace &space)
{
    m_space = space;
}

// No copies are made yet: every shot shows its own picture.
void DisplayImages::update(const QList<Job> &, const QList<Job> &) {}

std::optional<DisplayImages::Found> DisplayImages::lookup(const QUuid &)
{
    return std::nullopt;
}

std::optional<QImage> DisplayImages::fullCopy(const QUuid &) const
{
    return std::nullopt;
}
