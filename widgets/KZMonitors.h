#pragma once

#include <vector>

#include "KPoint.h"

// The desktop's monitors as inclusive rectangles: the primary screen first,
// then every screen in the toolkit's order, each rectangle once. Empty
// without screens. Needs a QGuiApplication.
std::vector<KRect> KZMonitors();
