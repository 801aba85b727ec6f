#include "document/Melt.h"

#include <algorithm>

int Melt::stage(qint64 captures)
{
    return int((std::max<qint64>(captures, 0) / capturesPerStage) % stages);
}
