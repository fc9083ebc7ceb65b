#include <cstdio>

// The entry routine. The windows are not built yet, so the program can only
// say so; the engine runs headless through tools/newsprobe meanwhile.
int main() {
  std::fprintf(stderr, "Welka Tidor: the windows are not built yet; nothing to show.\n");
  return 0;
}
