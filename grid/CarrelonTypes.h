// Text and picture placement in a cell: the framework's alignment and layout enumerations,
// shared with the edit controls.
#pragma once

#include "platform/controls/TextAlign.h"
