#pragma once
// The root of every object that can copy itself from another and be stored in
// a layout: fonts, bitmaps, pictures, string lists and components.
#include "platform/rtl/System.h"
#include "platform/rtl/Sysutils.h"

#include <typeinfo>

class TFiler;

// Raised when an object is taken as a class it is not.
class EInvalidCast : public Exception {
public:
  using Exception::Exception;
  EInvalidCast() : Exception("Invalid class typecast") {}
};

class TPersistent : public TObject {
public:
  // Copies Source into this object. A class that knows Source overrides
  // Assign; otherwise Source may know how to copy itself here (AssignTo);
  // otherwise EConvertError "Cannot assign a X to a Y".
  virtual void Assign(const TPersistent* Source);

  // The class's own name as the layouts spell it ("TBitmap", "TfrmMain").
  AnsiString ClassName() const;

  // Lets a class store data that is not a plain property (binary blocks,
  // string lists) in a layout.
  virtual void DefineProperties(TFiler& Filer);

protected:
  virtual void AssignTo(TPersistent* Dest) const;

private:
  [[noreturn]] void AssignError(const TPersistent* Source) const;
};

// The C++ name of a class, for messages and the class registry.
AnsiString ClassNameOf(const std::type_info& Type);
