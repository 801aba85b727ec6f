#include "Pasteboards.h"

#include <QHash>

namespace Autopilot::Pasteboards {

std::shared_ptr<MemoryPasteboard> named(const QString &name)
{
    static QHash<QString, std::shared_ptr<MemoryPasteboard>> boards;
    std::shared_ptr<MemoryPasteboard> &board = boards[name];
    if (!board)
        board = std::make_shared<MemoryPasteboard>(name);
    return board;
}

} // namespace Autopilot::Pasteboards
