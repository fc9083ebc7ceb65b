#pragma once
// What TPersistent::DefineProperties is handed: a class names the stored
// properties it reads and writes itself (platform/ui/Layout.h reads and
// writes layouts through it).
#include "platform/rtl/Sysutils.h"

#include <functional>

class TStream;
class TReader;
class TWriter;

class TFiler {
public:
  using TReaderProc = std::function<void(TReader&)>;
  using TWriterProc = std::function<void(TWriter&)>;
  using TStreamProc = std::function<void(TStream&)>;
  virtual ~TFiler() = default;
  // A property of plain values (integers, strings, identifiers, lists).
  virtual void DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc WriteData,
                              bool HasData) = 0;
  // A block of bytes: ReadData gets a stream over exactly the stored bytes,
  // WriteData writes them; HasData false stores nothing.
  virtual void DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData,
                                    TStreamProc WriteData, bool HasData) = 0;
};
