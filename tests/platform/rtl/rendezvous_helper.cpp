// One instance of a program that uses the single-instance rendezvous, for the
// tests to start as a real process: "rendezvous_helper NAME [COMMAND-LINE]".
// The first instance prints "first" and serves copy-data messages, printing
// "received TEXT" for each, until its standard input closes. A later one
// prints "exists", the first's handle, and, when given a command line, sends
// it and prints the reply.
#include "platform/rtl/Classes.h"
#include "platform/rtl/Copydata.h"
#include "platform/rtl/Filemapping.h"

#include <cstdio>
#include <cstring>
#include <poll.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 2)
    return 2;
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  HANDLE mapping =
      CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE | SEC_COMMIT, 0, 4, argv[1]);
  if (mapping == nullptr)
    return 3;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    HANDLE reader = OpenFileMappingA(FILE_MAP_READ, 0, argv[1]);
    const auto* view = static_cast<const uint32_t*>(MapViewOfFile(reader, FILE_MAP_READ, 0, 0, 0));
    const uint32_t first = view != nullptr ? *view : 0;
    UnmapViewOfFile(view);
    CloseHandle(reader);
    CloseHandle(mapping);
    std::printf("exists\nhandle %u\n", first);
    if (argc > 2) {
      COPYDATASTRUCT data{0, static_cast<DWORD>(std::strlen(argv[2]) + 1), argv[2]};
      std::printf("reply %ld\n", static_cast<long>(SendCopyData(first, 0, data)));
    }
    return 0;
  }
  TCopyDataWindow window([](DWORD, const COPYDATASTRUCT& data) -> LRESULT {
    ReplyMessage(1);
    std::printf("received %s\n", data.lpData != nullptr ? static_cast<char*>(data.lpData) : "");
    return 0;
  });
  auto* view = static_cast<uint32_t*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  *view = window.Handle();
  UnmapViewOfFile(view);
  std::printf("first\nhandle %u\n", window.Handle());
  for (;;) {
    pollfd in{0, POLLIN, 0};
    if (::poll(&in, 1, 0) > 0) {
      char c;
      if (::read(0, &c, 1) <= 0)
        break;
    }
    CheckSynchronize(20);
  }
  CloseHandle(mapping);
  return 0;
}
