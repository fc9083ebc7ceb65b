#pragma once
// The standard controls: labels, push buttons, check boxes, line and text
// editors and the owner-drawn combo box. Labels and buttons paint themselves; the editors
// leave text editing to the toolkit and keep the text in the control.
#include "platform/rtl/Stringlist.h"
#include "platform/ui/Controls.h"

#include <memory>

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };

class TLabel : public TGraphicControl {
public:
  explicit TLabel(TComponent* AOwner);

  TAlignment Alignment() const { return alignment; }
  void SetAlignment(TAlignment Value);
  TTextLayout Layout() const { return layout; }
  void SetLayout(TTextLayout Value);
  // Fits the size to the caption whenever it or the font changes.
  bool AutoSize() const { return autoSize; }
  void SetAutoSize(bool Value);
  // Lets the parent show through around the text.
  bool Transparent() const { return transparent; }
  void SetTransparent(bool Value);
  bool WordWrap() const { return wordWrap; }
  void SetWordWrap(bool Value);

protected:
  void Paint() override;
  void Loaded() override;
  void CMTextChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;

private:
  void AdjustBounds();
  unsigned TextFlags() const;

  TAlignment alignment = taLeftJustify;
  TTextLayout layout = tlTop;
  bool autoSize = true;
  bool transparent = false;
  bool wordWrap = false;
};

class TButton : public TCustomControl {
public:
  explicit TButton(TComponent* AOwner);

  // Return anywhere on the form presses the default button, Escape the
  // cancel button.
  bool Default() const { return isDefault; }
  void SetDefault(bool Value) { isDefault = Value; }
  bool Cancel() const { return isCancel; }
  void SetCancel(bool Value) { isCancel = Value; }
  // Given to the form on a click: it ends the form's modal loop.
  int ModalResult() const { return modalResult; }
  void SetModalResult(int Value) { modalResult = Value; }

  void Click() override;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyPress(char& Key) override;
  void CMDialogKey(TMessage& Message) override;
  void CMFocusChanged(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;

private:
  bool isDefault = false;
  bool isCancel = false;
  int modalResult = 0;
  bool pressed = false;
};

// A check box with its caption; a change of Checked, by the user or the
// program, raises OnClick.
class TCheckBox : public TCustomControl {
public:
  explicit TCheckBox(TComponent* AOwner);

  bool Checked() const { return checked; }
  void SetChecked(bool Value);
  // taRightJustify: the caption right of the box (the usual); taLeftJustify:
  // left of it.
  TAlignment Alignment() const { return alignment; }
  void SetAlignment(TAlignment Value);

  void Click() override;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyPress(char& Key) override;
  void CMTextChanged(TMessage& Message) override;
  void CMFocusChanged(TMessage& Message) override;

private:
  bool checked = false;
  TAlignment alignment = taRightJustify;
};

struct TNativeEditor;

// The single-line editor. Text follows every edit; OnChange comes with each
// change of the text, by the user or by the program.
class TEdit : public TWinControl {
public:
  explicit TEdit(TComponent* AOwner);
  ~TEdit() override;

  // 0: no limit.
  int MaxLength() const { return maxLength; }
  void SetMaxLength(int Value);
  bool ReadOnly() const { return readOnly; }
  void SetReadOnly(bool Value);
  // The caret and the selection, in characters from the start.
  int SelStart();
  void SetSelStart(int Value);
  int SelLength();
  void SetSelLength(int Value);
  void SelectAll();

  TNotifyEvent OnChange;

protected:
  virtual void Change();
  virtual bool MultiLine() const { return false; }
  void WndProc(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  void CMColorChanged(TMessage& Message) override;
  void WMGetDlgCode(TMessage& Message) override;

  std::unique_ptr<TNativeEditor> editor;
  // Where the text given next begins to differ from the one before, when
  // all it does is add to its end; npos otherwise.
  size_t appendedFrom = AnsiString::npos;

private:
  friend struct TNativeEditor;
  // The user edited: the control takes the editor's text.
  void EditorChanged(const AnsiString& Value);
  // The editor, made with the window.
  TNativeEditor* Editor();

  int maxLength = 0;
  bool readOnly = false;
  bool fromEditor = false;
};

// The multi-line editor; Lines is its text, one string a line.
class TMemo : public TEdit {
public:
  explicit TMemo(TComponent* AOwner);
  ~TMemo() override;

  TStrings* Lines() const { return lines.get(); }
  void SetLines(const TStrings* Value) { lines->Assign(Value); }
  bool WordWrap() const { return wordWrap; }
  void SetWordWrap(bool Value);

protected:
  bool MultiLine() const override { return true; }
  void CMTextChanged(TMessage& Message) override;
  void WMGetDlgCode(TMessage& Message) override;

private:
  void LinesChanged(TObject* Sender);

  std::unique_ptr<TStringList> lines;
  bool wordWrap = true;
  bool syncing = false;
  // The text is the lines joined, as the lines last made it.
  bool textIsLines = true;
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
enum TOwnerDrawStateItem { odSelected, odGrayed, odDisabled, odChecked, odFocused, odComboBoxEdit };
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;
using TDrawItemEvent =
    std::function<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;

class TComboDropDown;

// A pick list: the chosen item shows in the box, the list drops below it.
// Owner-drawn styles paint every item through OnDrawItem, the box too.
class TComboBox : public TCustomControl {
public:
  explicit TComboBox(TComponent* AOwner);
  ~TComboBox() override;

  TStrings* Items() const { return items.get(); }
  void SetItems(const TStrings* Value) { items->Assign(Value); }
  // -1: none.
  int ItemIndex() const { return itemIndex; }
  void SetItemIndex(int Value);
  TComboBoxStyle Style() const { return style; }
  void SetStyle(TComboBoxStyle Value);
  int ItemHeight() const { return itemHeight; }
  void SetItemHeight(int Value);
  int DropDownCount() const { return dropDownCount; }
  void SetDropDownCount(int Value) { dropDownCount = Value < 1 ? 1 : Value; }
  bool DroppedDown() const;
  void SetDroppedDown(bool Value);

  TNotifyEvent OnChange;
  TDrawItemEvent OnDrawItem;

  // Paints item Index into Rect of Canvas: OnDrawItem for the owner-drawn
  // styles, else the text on the selection colours. While the open list
  // paints, Canvas draws into the list.
  void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);

protected:
  void Paint() override;
  void Loaded() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void WMGetDlgCode(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void CMFocusChanged(TMessage& Message) override;

private:
  friend class TComboDropDown;
  // The user picked Index: select it and tell.
  void Pick(int Index);
  void ItemsChanged(TObject* Sender);

  std::unique_ptr<TStringList> items;
  int itemIndex = -1;
  TComboBoxStyle style = csDropDown;
  int itemHeight = 16;
  int dropDownCount = 8;
  std::unique_ptr<TComboDropDown> dropDown;
};

WT_DECLARE_META(TLabel)
WT_DECLARE_META(TButton)
WT_DECLARE_META(TCheckBox)
WT_DECLARE_META(TEdit)
WT_DECLARE_META(TMemo)
WT_DECLARE_META(TComboBox)
