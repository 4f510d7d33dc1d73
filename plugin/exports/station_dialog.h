// The station-details dialog (resource template 101) shown by ResetStats0 when a Cabrillo log is wanted.
#pragma once

#include <windows.h>

#include "cabrillo/station_details.h"

// Shows the modal station-details dialog filled from `details`; on OK copies the edited
// fields back and returns true; on Cancel (or when it cannot be shown) returns false.
bool RunStationDialog(HINSTANCE module, velmor::StationDetails& details);
