#pragma once
// The program's string tables: English at ids 0 to 127, French at 1000 to
// 1127, Windows-1252 text.

// Makes both tables loadable through LoadString; registering again changes
// nothing. Answers true.
bool RegisterLanguageStrings();
