// The entry routine: the application, the windows in their order, the message
// loop, and the HTTP transactions stopped once the loop has ended.
#include "app/Umain.h"
#include "app/Usmallview.h"
#include "app/Usmallviewhost.h"
#include "app/Uwizard.h"
#include "app/Uwizardhost.h"
#include "engine/Chttpthread.h"
#include "gif/Gifimage.h"
#include "platform/ui/Forms.h"

#include <clocale>
#include <exception>

int main() {
  // Sorted lists follow the user's collation.
  std::setlocale(LC_COLLATE, "");
  try {
    GifimageInitialization();
    Application->Initialize();
    Application->Title = "Welka Tidor";
    Application->CreateForm(frmMain);
    // A second instance has ended itself while the main window was built.
    if (!Application->Terminated()) {
      Application->CreateForm(frmWizard);
      ConnectWizardToMain(frmWizard, frmMain);
      Application->CreateForm(frmSmallView);
      ConnectSmallViewToMain(frmSmallView);
    }
    Application->Run();
  } catch (const std::exception& e) {
    Application->ShowException(e);
  }
  // The windows leave the screen before the requests are stopped.
  Application->HideAllForms();
  StopAllTransactions();
  // The windows go while the rest of the program still stands.
  Application->DestroyComponents();
  GifimageFinalization();
  return 0;
}
