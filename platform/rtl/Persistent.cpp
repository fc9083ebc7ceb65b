#include "platform/rtl/Persistent.h"

#include <cstdlib>
#include <cxxabi.h>
#include <memory>
#include <typeinfo>

AnsiString ClassNameOf(const std::type_info& Type) {
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> name(
      abi::__cxa_demangle(Type.name(), nullptr, nullptr, &status), &std::free);
  AnsiString result = status == 0 && name ? AnsiString(name.get()) : AnsiString(Type.name());
  // Only the class's own name counts, not a namespace around it.
  const auto colon = result.rfind("::");
  return colon == AnsiString::npos ? result : result.substr(colon + 2);
}

AnsiString TPersistent::ClassName() const {
  return ClassNameOf(typeid(*this));
}

void TPersistent::Assign(const TPersistent* Source) {
  if (Source != nullptr) {
    Source->AssignTo(this);
    return;
  }
  AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) const {
  Dest->AssignError(this);
}

void TPersistent::DefineProperties(TFiler&) {}

void TPersistent::AssignError(const TPersistent* Source) const {
  const AnsiString source = Source != nullptr ? Source->ClassName() : AnsiString("nil");
  throw EConvertError("Cannot assign a " + source + " to a " + ClassName());
}
