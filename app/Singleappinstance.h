#pragma once
// Lets one instance of the program run per marker name. The first instance
// publishes the handle of a hidden window of its own in a small named shared
// block; a later one finds the block, may send its command line to that
// window, is told through OnSecondInstance and by default ends itself. The
// check runs once the owning form has loaded its stored layout.
#include "platform/rtl/Copydata.h"
#include "platform/rtl/Filemapping.h"
#include "platform/rtl/Syncobjs.h"
#include "platform/ui/Classes.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Typinfo.h"

#include <functional>
#include <memory>

// ShutDown starts true; a handler that clears it keeps the second instance.
using TSecondInstanceEvent = std::function<void(TObject* Sender, bool& ShutDown)>;
using TReceiveCommandLineEvent = std::function<void(TObject* Sender, const char* CommandLine)>;

class TSingleAppInstance : public TComponent {
public:
  // Enabled when made while the owner loads a stored layout.
  explicit TSingleAppInstance(TComponent* AOwner);
  ~TSingleAppInstance() override;

  void Loaded() override;

  bool Enabled() const { return enabled; }
  // Enabling checks at once, unless a layout is being read; refused once an
  // instance of this process holds the block.
  void SetEnabled(bool Value);
  // The name of the shared block; empty means the executable's full path with
  // every path delimiter made "_", filled in at the check.
  const AnsiString& Marker() const { return marker; }
  void SetMarker(const AnsiString& Value);

  bool PassCommandLine = true;
  TSecondInstanceEvent OnSecondInstance;
  // In the first instance, for each command line received; the text is valid
  // during the call.
  TReceiveCommandLineEvent OnReceiveCommandLine;

  // A marker names one block and may not contain a path delimiter.
  static void AssertValidMarkerText(const AnsiString& Text);
  static bool IsValidMarkerText(const AnsiString& Text);
  static AnsiString TranslateSlashes(const AnsiString& Text);

protected:
  virtual void DoOnSecondInstance(bool& ShutDown);
  virtual void DoReceiveCommandLine(const char* CommandLine);

private:
  void PerformSingletonCode();
  bool CreateInternalMapFile();
  void ReleaseInternalMapFile();
  void PassThisInstanceCommandLine();
  void TakeSecondInstanceAction();
  void LocalWinProc(TMessage& Message);

  bool enabled;
  AnsiString marker;
  HANDLE mapFile = nullptr;
  TCriticalSection commandLineLock;
  std::unique_ptr<TCopyDataWindow> window;
  char* commandLine = nullptr;
  uintptr_t commandLineData = 0;
};

WT_DECLARE_META(TSingleAppInstance)
