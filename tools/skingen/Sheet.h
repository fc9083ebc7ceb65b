#pragma once
// Pictures for a look by eye, not committed: the contact sheets and the
// window mocks, written as PNG files into a folder.
#include "tools/skingen/Skinart.h"

#include <string>
#include <vector>

// skin-sheet.png: every small picture once, at 1x and 3x on a light and a
// dark ground; skin-sheet-<Layout>.png: each window's skin and mask at 1x
// and 3x; mock-<Layout>.png: each window put together.
void WriteSheets(const std::vector<TSkinFile>& Files, const std::string& Folder);
