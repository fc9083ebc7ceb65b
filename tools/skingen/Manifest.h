#pragma once
// resources/skin/MANIFEST.md: every file with its size, component, class,
// property and use, and the palette the windows' own colours come from.
#include "tools/skingen/Skinart.h"

#include <string>
#include <vector>

std::string ManifestText(const std::vector<TSkinFile>& Files);
