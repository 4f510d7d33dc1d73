// A log header that reaches up into the session layer: the layering check must refuse it.
#pragma once
#include "session/stats_plugin.h"
