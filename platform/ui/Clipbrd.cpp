#include "platform/ui/Clipbrd.h"

#include "platform/gfx/Backend.h"
#include "platform/gfx/Graphics.h"
#include "platform/gfx/ScreenText.h"
#include "platform/ui/WindowImpl.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace {

struct TBlock {
  std::vector<uint8_t> Bytes;
};

std::mutex namesLock;

std::vector<AnsiString>& Names() {
  static std::vector<AnsiString> names;
  return names;
}

constexpr UINT firstRegistered = 0xC000;

bool SameName(const AnsiString& a, const AnsiString& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// Each format travels under a MIME type of its own; text as plain text.
QString MimeOf(WORD Format) {
  if (Format == CF_TEXT)
    return "text/plain";
  return QString("application/x-wt-clipboard-%1").arg(Format);
}

// The blocks handed out by GetAsHandle; they live until the next change.
std::vector<std::unique_ptr<TBlock>>& HandedOut() {
  static std::vector<std::unique_ptr<TBlock>> blocks;
  return blocks;
}

} // namespace

HGLOBAL GlobalAlloc(UINT Flags, size_t Bytes) {
  auto block = std::make_unique<TBlock>();
  try {
    block->Bytes.resize(Bytes);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  (void)Flags; // every block starts zeroed and never moves
  return block.release();
}

HGLOBAL GlobalFree(HGLOBAL Block) {
  delete static_cast<TBlock*>(Block);
  return nullptr;
}

void* GlobalLock(HGLOBAL Block) {
  if (Block == nullptr)
    return nullptr;
  auto* b = static_cast<TBlock*>(Block);
  return b->Bytes.empty() ? static_cast<void*>(b) : b->Bytes.data();
}

bool GlobalUnlock(HGLOBAL) {
  return false;
}

size_t GlobalSize(HGLOBAL Block) {
  return Block == nullptr ? 0 : static_cast<TBlock*>(Block)->Bytes.size();
}

UINT RegisterClipboardFormatA(const char* Name) {
  if (Name == nullptr || *Name == '\0')
    return 0;
  std::lock_guard<std::mutex> guard(namesLock);
  auto& names = Names();
  for (size_t i = 0; i < names.size(); ++i)
    if (SameName(names[i], Name))
      return firstRegistered + static_cast<UINT>(i);
  names.emplace_back(Name);
  return firstRegistered + static_cast<UINT>(names.size() - 1);
}

AnsiString GetClipboardFormatName(UINT Format) {
  std::lock_guard<std::mutex> guard(namesLock);
  const auto& names = Names();
  if (Format < firstRegistered || Format - firstRegistered >= names.size())
    return {};
  return names[Format - firstRegistered];
}

namespace {

// What the clipboard holds now, as a new set of data to add to.
QMimeData* CurrentCopy() {
  auto* data = new QMimeData();
  if (const QMimeData* now = QApplication::clipboard()->mimeData())
    for (const QString& f : now->formats())
      data->setData(f, now->data(f));
  return data;
}

} // namespace

void TClipboard::Open() {
  ++openCount;
  if (openCount == 1)
    emptied = false;
}

void TClipboard::Close() {
  if (openCount > 0)
    --openCount;
}

void TClipboard::Clear() {
  GfxEnsureBackend();
  HandedOut().clear();
  QApplication::clipboard()->clear();
  if (openCount > 0)
    emptied = true;
}

bool TClipboard::HasFormat(WORD Format) const {
  GfxEnsureBackend();
  const QMimeData* data = QApplication::clipboard()->mimeData();
  return data != nullptr && data->hasFormat(MimeOf(Format));
}

AnsiString TClipboard::AsText() const {
  GfxEnsureBackend();
  return QStringToAnsi(QApplication::clipboard()->text());
}

void TClipboard::SetAsText(const AnsiString& Value) {
  HGLOBAL block = GlobalAlloc(GHND, Value.size() + 1);
  if (block == nullptr)
    return;
  std::memcpy(GlobalLock(block), Value.c_str(), Value.size() + 1);
  SetAsHandle(CF_TEXT, reinterpret_cast<uintptr_t>(block));
}

void TClipboard::SetAsHandle(WORD Format, uintptr_t Value) {
  if (Format == CF_BITMAP || Format == CF_PALETTE)
    throw EClipboardException("Clipboard does not support this format");
  GfxEnsureBackend();
  const std::unique_ptr<TBlock> block(reinterpret_cast<TBlock*>(Value));
  // The first format put while open replaces the content, later ones join it.
  QMimeData* data = openCount > 0 && emptied ? CurrentCopy() : new QMimeData();
  if (openCount > 0)
    emptied = true;
  const char* bytes = block ? reinterpret_cast<const char*>(block->Bytes.data()) : "";
  const size_t size = block ? block->Bytes.size() : 0;
  if (Format == CF_TEXT)
    data->setText(AnsiToQString(std::string_view(bytes, strnlen(bytes, size))));
  else
    data->setData(MimeOf(Format), QByteArray(bytes, static_cast<qsizetype>(size)));
  HandedOut().clear();
  QApplication::clipboard()->setMimeData(data);
}

uintptr_t TClipboard::GetAsHandle(WORD Format) {
  GfxEnsureBackend();
  const QMimeData* data = QApplication::clipboard()->mimeData();
  if (data == nullptr || !data->hasFormat(MimeOf(Format)))
    return 0;
  auto block = std::make_unique<TBlock>();
  if (Format == CF_TEXT) {
    const std::string text = QStringToAnsi(data->text());
    block->Bytes.assign(text.begin(), text.end());
    block->Bytes.push_back(0);
  } else {
    const QByteArray bytes = data->data(MimeOf(Format));
    block->Bytes.assign(bytes.begin(), bytes.end());
  }
  HandedOut().push_back(std::move(block));
  return reinterpret_cast<uintptr_t>(HandedOut().back().get());
}

void TClipboard::Assign(const TPersistent* Source) {
  const TGraphic* graphic = dynamic_cast<const TGraphic*>(Source);
  if (const auto* picture = dynamic_cast<const TPicture*>(Source))
    graphic = picture->Graphic();
  if (graphic == nullptr)
    throw EClipboardException("Cannot assign to the clipboard");
  WORD format = 0;
  uintptr_t data = 0;
  HPALETTE palette = nullptr;
  Open();
  try {
    const_cast<TGraphic*>(graphic)->SaveToClipboardFormat(format, data, palette);
    SetAsHandle(format, data);
  } catch (...) {
    Close();
    throw;
  }
  Close();
}

TClipboard* Clipboard() {
  static TClipboard clipboard;
  return &clipboard;
}

bool OpenClipboard(void*) {
  Clipboard()->Open();
  return true;
}

bool CloseClipboard() {
  Clipboard()->Close();
  return true;
}

bool EmptyClipboard() {
  Clipboard()->Clear();
  return true;
}

HGLOBAL SetClipboardData(UINT Format, HGLOBAL Data) {
  if (Format == 0 || Format > 0xFFFF || Format == CF_BITMAP || Format == CF_PALETTE)
    return nullptr;
  Clipboard()->SetAsHandle(static_cast<WORD>(Format), reinterpret_cast<uintptr_t>(Data));
  // The handle now names the clipboard's data; the block itself is gone.
  return Data;
}

HGLOBAL GetClipboardData(UINT Format) {
  if (Format == 0 || Format > 0xFFFF)
    return nullptr;
  return reinterpret_cast<HGLOBAL>(Clipboard()->GetAsHandle(static_cast<WORD>(Format)));
}

bool IsClipboardFormatAvailable(UINT Format) {
  return Format != 0 && Format <= 0xFFFF && Clipboard()->HasFormat(static_cast<WORD>(Format));
}
