#pragma once
// Lets one instance of the program run per marker name. The first instance
// publishes the handle of a hidden window of its own in a small named shared
// block; a later one finds the block, may send its command line to that
// window, is told through OnSecondInstance and by default ends itself. The
// check runs once the owning form has loaded its stored layout.
//
// With the default marker the files beside the executable are what one
// instance must own alone, so the first instance also holds an exclusive lock
// on "<executable>.lock" for its whole life: a start in another session (its
// own runtime folder) or by another user is a second instance too, even where
// it cannot reach the first's block.
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
  // The name of the shared block; empty means MarkerForPath of the
  // executable's full path, filled in at the check.
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
  // The marker of a program path: its delimiters made "_" as TranslateSlashes
  // does, after every "_" and "%" of the path was written as "%5F" and "%25",
  // so that two paths never share a marker.
  static AnsiString MarkerForPath(const AnsiString& Path);

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
  // The data lock's file, set when the default marker is filled in.
  AnsiString lockFile;
  HANDLE mapFile = nullptr;
  HANDLE dataLock = nullptr;
  TCriticalSection commandLineLock;
  std::unique_ptr<TCopyDataWindow> window;
  char* commandLine = nullptr;
  uintptr_t commandLineData = 0;
};

WT_DECLARE_META(TSingleAppInstance)
