#pragma once
// The class library's string lists: TStrings is the interface that controls
// expose for their lines and items, TStringList the list that stores them.
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Sysutils.h"

#include <vector>

class EStringListError : public Exception {
public:
  using Exception::Exception;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

// Comparison in the user's collation (LC_COLLATE) of the text as the screen
// shows it; -1, 0 or 1, and 0 only for equal texts. AnsiCompareText ignores
// case and is the string lists' default comparison.
int AnsiCompareText(const AnsiString& a, const AnsiString& b);
int AnsiCompareStr(const AnsiString& a, const AnsiString& b);
// AnsiCompareText(a, b) == 0 without the collation: names of keys, classes
// and properties are looked up often and are mostly plain ASCII.
bool AnsiSameText(const AnsiString& a, const AnsiString& b);
// The form of a text that two texts share exactly when AnsiCompareText finds
// them equal: a key for sets of names compared without case.
std::string CaseBlindKey(const AnsiString& s);
// The text as the screen shows it (UTF-8), in lower case as AnsiCompareText
// lowers it: every letter, whether the code page has it or not.
std::string LowerScreenText(const AnsiString& s);

class TStream;

class TStrings : public TPersistent {
public:
  ~TStrings() override = default;

  // What a list must provide; the rest is built on these.
  virtual AnsiString Get(int index) const = 0;
  virtual int GetCount() const = 0;
  virtual TObject* GetObject(int index) const;
  virtual void Put(int index, const AnsiString& s);
  virtual void PutObject(int index, TObject* object);
  virtual void Clear() = 0;
  virtual void Delete(int index) = 0;
  virtual void Insert(int index, const AnsiString& s) = 0;
  virtual void InsertObject(int index, const AnsiString& s, TObject* object);
  virtual void Move(int curIndex, int newIndex);
  virtual void Exchange(int index1, int index2);
  virtual int IndexOf(const AnsiString& s) const;
  virtual int Add(const AnsiString& s);
  virtual int AddObject(const AnsiString& s, TObject* object);

  int Count() const { return GetCount(); }
  AnsiString Strings(int index) const { return Get(index); }
  void SetStrings(int index, const AnsiString& s) { Put(index, s); }
  TObject* Objects(int index) const { return GetObject(index); }
  void SetObjects(int index, TObject* object) { PutObject(index, object); }

  void Append(const AnsiString& s) { Add(s); }
  void AddStrings(const TStrings& strings);
  // A string list source replaces the contents with a copy of its strings
  // and objects; other sources go to the inherited assignment.
  void Assign(const TPersistent* Source) override;
  bool Equals(const TStrings& other) const;
  int IndexOfName(const AnsiString& name) const;
  int IndexOfObject(const TObject* object) const;

  // Every line followed by CR LF; setting splits at CR LF, LF or CR.
  AnsiString Text() const;
  void SetText(const AnsiString& text);
  // Comma-separated, items with blanks, commas or quotes in double quotes.
  AnsiString CommaText() const;
  void SetCommaText(const AnsiString& text);

  // "name=value" lines.
  AnsiString Names(int index) const;
  AnsiString Values(const AnsiString& name) const;
  // An empty value removes the line.
  void SetValues(const AnsiString& name, const AnsiString& value);
  AnsiString ValueFromIndex(int index) const;

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount; }

  // The bytes as they are (Windows-1252), the rest of a stream from its
  // position; the stream and file errors propagate and a failed load keeps
  // the contents.
  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;
  void LoadFromFile(const AnsiString& fileName);
  void SaveToFile(const AnsiString& fileName) const;

protected:
  // Called when the first BeginUpdate starts and the last EndUpdate ends.
  virtual void SetUpdateState(bool updating);
  virtual int CompareStrings(const AnsiString& a, const AnsiString& b) const;
  [[noreturn]] static void Error(const char* format, int index);

private:
  int updateCount = 0;
};

class TStringList : public TStrings {
public:
  AnsiString Get(int index) const override;
  int GetCount() const override { return static_cast<int>(items.size()); }
  TObject* GetObject(int index) const override;
  void Put(int index, const AnsiString& s) override;
  void PutObject(int index, TObject* object) override;
  void Clear() override;
  void Delete(int index) override;
  void Insert(int index, const AnsiString& s) override;
  void InsertObject(int index, const AnsiString& s, TObject* object) override;
  void Exchange(int index1, int index2) override;
  int IndexOf(const AnsiString& s) const override;
  int Add(const AnsiString& s) override;
  int AddObject(const AnsiString& s, TObject* object) override;

  // Binary search of a sorted list: true when found; index is the match or
  // the place where s would be inserted.
  bool Find(const AnsiString& s, int& index) const;
  void Sort();

  bool Sorted() const { return sorted; }
  void SetSorted(bool value);
  TDuplicates Duplicates() const { return duplicates; }
  void SetDuplicates(TDuplicates value) { duplicates = value; }
  bool CaseSensitive() const { return caseSensitive; }
  void SetCaseSensitive(bool value);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  void SetUpdateState(bool updating) override;
  int CompareStrings(const AnsiString& a, const AnsiString& b) const override;
  virtual void Changed();
  virtual void Changing();

private:
  struct Item {
    AnsiString text;
    TObject* object;
  };
  void CheckIndex(int index) const;
  void InsertItem(int index, const AnsiString& s, TObject* object);

  std::vector<Item> items;
  bool sorted = false;
  bool caseSensitive = false;
  TDuplicates duplicates = dupIgnore;
};
