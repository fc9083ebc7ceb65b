#include "app/Singleappinstance.h"

#include "platform/rtl/Fileutils.h"
#include "platform/ui/Forms.h"

#include <cstdint>
#include <cstring>
#include <mutex>

namespace {

// Set once a component of this process has created its block; a later
// component in the same process stays inert.
bool InstanceEstablished = false;

} // namespace

WT_PUBLISH(TSingleAppInstance, TComponent) {
  p.Property("Enabled", &TSingleAppInstance::Enabled, &TSingleAppInstance::SetEnabled);
  p.Property("Marker", &TSingleAppInstance::Marker, &TSingleAppInstance::SetMarker)
      .Default(AnsiString());
  p.Property("PassCommandLine", &TSingleAppInstance::PassCommandLine,
             &TSingleAppInstance::PassCommandLine)
      .Default(true);
  p.Event("OnSecondInstance", &TSingleAppInstance::OnSecondInstance);
  p.Event("OnReceiveCommandLine", &TSingleAppInstance::OnReceiveCommandLine);
}

TSingleAppInstance::TSingleAppInstance(TComponent* AOwner)
    : TComponent(AOwner),
      enabled(AOwner != nullptr && AOwner->ComponentState().Contains(csLoading)) {
  window = std::make_unique<TCopyDataWindow>([this](DWORD sender, const COPYDATASTRUCT& data) {
    TMessage message{WM_COPYDATA, sender, reinterpret_cast<LPARAM>(&data), 0};
    LocalWinProc(message);
    return message.Result;
  });
}

TSingleAppInstance::~TSingleAppInstance() {
  Destroying();
  ReleaseInternalMapFile();
  window.reset();
  delete[] commandLine;
}

void TSingleAppInstance::Loaded() {
  TComponent::Loaded();
  if (ComponentState().Contains(csDesigning))
    return;
  if (!InstanceEstablished)
    PerformSingletonCode();
  else if (enabled)
    enabled = false;
}

void TSingleAppInstance::SetEnabled(bool Value) {
  if (Value == enabled)
    return;
  const bool designing = ComponentState().Contains(csDesigning);
  if (InstanceEstablished && Value && !designing)
    return;
  enabled = Value;
  if (!designing && !ComponentState().Contains(csReading))
    PerformSingletonCode();
}

void TSingleAppInstance::SetMarker(const AnsiString& Value) {
  if (Value == marker)
    return;
  AssertValidMarkerText(Value);
  marker = Value;
}

void TSingleAppInstance::AssertValidMarkerText(const AnsiString& Text) {
  if (!IsValidMarkerText(Text))
    throw Exception(AnsiString("A marker may not contain the '") + PathDelim + "' character");
}

bool TSingleAppInstance::IsValidMarkerText(const AnsiString& Text) {
  return Text.find(PathDelim) == AnsiString::npos;
}

AnsiString TSingleAppInstance::TranslateSlashes(const AnsiString& Text) {
  AnsiString result = Text;
  for (char& c : result)
    if (c == PathDelim)
      c = '_';
  return result;
}

AnsiString TSingleAppInstance::MarkerForPath(const AnsiString& Path) {
  AnsiString escaped;
  for (char c : Path)
    escaped += c == '_' ? AnsiString("%5F") : c == '%' ? AnsiString("%25") : AnsiString(1, c);
  return TranslateSlashes(escaped);
}

void TSingleAppInstance::PerformSingletonCode() {
  if (!enabled) {
    ReleaseInternalMapFile();
    return;
  }
  if (marker.empty()) {
    // The kernel's path of the running executable has its links resolved.
    const AnsiString program = ParamStr(0);
    SetMarker(MarkerForPath(program));
    lockFile = program + ".lock";
  }
  if (CreateInternalMapFile())
    InstanceEstablished = true;
  else
    TakeSecondInstanceAction();
}

bool TSingleAppInstance::CreateInternalMapFile() {
  // A block from an earlier check is let go first, so that no handle leaks.
  ReleaseInternalMapFile();
  if (!lockFile.empty()) {
    dataLock = LockFileExclusively(lockFile);
    // Another instance owns the files. Its block is out of reach when it
    // runs in another session or as another user: then nobody is sent the
    // command line.
    if (dataLock == nullptr && GetLastError() == ERROR_LOCK_VIOLATION) {
      mapFile = OpenFileMappingA(FILE_MAP_READ, 0, marker.c_str());
      return false;
    }
  }
  mapFile = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE | SEC_COMMIT, 0,
                               sizeof(uint32_t), marker.c_str());
  if (mapFile == nullptr)
    RaiseLastOSError();
  if (GetLastError() == ERROR_ALREADY_EXISTS)
    return false;
  void* view = MapViewOfFile(mapFile, FILE_MAP_ALL_ACCESS, 0, 0, 0);
  if (view == nullptr)
    RaiseLastOSError();
  *static_cast<uint32_t*>(view) = window->Handle();
  if (!UnmapViewOfFile(view))
    RaiseLastOSError();
  return true;
}

void TSingleAppInstance::ReleaseInternalMapFile() {
  if (dataLock != nullptr)
    CloseHandle(dataLock);
  dataLock = nullptr;
  if (mapFile == nullptr)
    return;
  CloseHandle(mapFile);
  mapFile = nullptr;
}

void TSingleAppInstance::PassThisInstanceCommandLine() {
  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, 0, marker.c_str());
  if (mapping == nullptr)
    RaiseLastOSError();
  const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  if (view == nullptr) {
    const DWORD error = GetLastError();
    CloseHandle(mapping);
    SetLastError(error);
    RaiseLastOSError();
  }
  const DWORD first = *static_cast<const uint32_t*>(view);
  if (!UnmapViewOfFile(view) || !CloseHandle(mapping))
    RaiseLastOSError();
  char* line = const_cast<char*>(GetCommandLineA());
  const COPYDATASTRUCT data{0, static_cast<DWORD>(std::strlen(line) + 1), line};
  SendCopyData(first, window->Handle(), data);
}

void TSingleAppInstance::TakeSecondInstanceAction() {
  if (PassCommandLine && mapFile != nullptr)
    PassThisInstanceCommandLine();
  bool shutDown = true;
  DoOnSecondInstance(shutDown);
  if (shutDown)
    Application->Terminate();
}

void TSingleAppInstance::LocalWinProc(TMessage& Message) {
  if (Message.Msg != WM_COPYDATA) {
    Message.Result = 0; // a hidden window has nothing else to do
    return;
  }
  const auto& data = *reinterpret_cast<const COPYDATASTRUCT*>(Message.LParam);
  std::lock_guard<TCriticalSection> guard(commandLineLock);
  delete[] commandLine;
  // One byte more than was sent, zeroed: a sender that left out the
  // terminating zero cannot make the text run past its buffer.
  commandLine = new char[data.cbData + 1]();
  if (data.lpData != nullptr)
    std::memcpy(commandLine, data.lpData, data.cbData);
  commandLineData = data.dwData;
  // The sender waits in its send until this reply.
  if (!ReplyMessage(1))
    RaiseLastOSError();
  Message.Result = 1;
  DoReceiveCommandLine(commandLine);
}

void TSingleAppInstance::DoOnSecondInstance(bool& ShutDown) {
  if (OnSecondInstance)
    OnSecondInstance(this, ShutDown);
}

void TSingleAppInstance::DoReceiveCommandLine(const char* CommandLine) {
  if (OnReceiveCommandLine)
    OnReceiveCommandLine(this, CommandLine);
}
