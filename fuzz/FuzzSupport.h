#pragma once
// What the fuzz targets share: the input as a file or a stream, and the
// drawing layer started without a screen.
#include "platform/rtl/Streams.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// A file of the process's own holding the input, for readers that take a
// file name; the same name on every call.
std::string InputFile(const uint8_t* data, size_t size, const char* extension = "");

// A memory stream holding the input, positioned at its start.
std::unique_ptr<TMemoryStream> InputStream(const uint8_t* data, size_t size);

// Pictures are drawn offscreen; call from LLVMFuzzerInitialize.
void UseOffscreenDrawing();

// Message boxes of the readers answer at once, unseen.
void SilenceMessageBoxes();
