#include "export/DestinationChanges.h"

DestinationChanges &DestinationChanges::shared()
{
    static DestinationChanges *instance = new DestinationChanges; // lives as long as the process
    return *instance;
}
