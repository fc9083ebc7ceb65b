#include "platform/rtl/Resources.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

namespace {

struct Registry {
  std::mutex lock;
  std::map<unsigned, const char*> texts;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

const char* Find(unsigned id) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.lock);
  const auto it = r.texts.find(id);
  return it == r.texts.end() ? nullptr : it->second;
}

} // namespace

bool RegisterStringTable(const TStringResource* table, std::size_t count) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> guard(r.lock);
  for (std::size_t i = 0; i < count; ++i)
    r.texts[table[i].Id] = table[i].Text;
  return true;
}

int LoadString(HINSTANCE, unsigned id, char* buffer, int bufferMax) {
  if (buffer == nullptr || bufferMax <= 0)
    return 0;
  const char* text = Find(id);
  const int length =
      text == nullptr ? 0 : static_cast<int>(std::min<size_t>(std::strlen(text), bufferMax - 1));
  std::memcpy(buffer, text == nullptr ? "" : text, length);
  buffer[length] = '\0';
  return length;
}

AnsiString LoadStr(unsigned id) {
  const char* text = Find(id);
  return text == nullptr ? AnsiString() : AnsiString(text);
}
