#pragma once
// The main window as the full-mode window sees it: the commands it forwards
// and the pictures it borrows.
#include "app/Usmallview.h"

// Makes the full-mode window forward to the main window, for the rest of the
// run.
void ConnectSmallViewToMain(TfrmSmallView* View);
