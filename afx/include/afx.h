// The framework's non-window core: objects with run-time class information, and CString.
// Linked statically into each module or program, as the framework always is here: every
// module has its own application object and its own current resource module.
#pragma once

#include <cstdarg>
#include <string>

#include <win32/windows.h>

class CObject;

// What a class declared with DECLARE_DYNAMIC knows about itself at run time.
struct CRuntimeClass {
  LPCSTR m_lpszClassName;
  int m_nObjectSize;
  UINT m_wSchema;                     // 0xFFFF: not serialisable
  CObject* (*m_pfnCreateObject)();    // null unless DECLARE_DYNCREATE
  const CRuntimeClass* m_pBaseClass;  // null for CObject

  CObject* CreateObject() const;
  BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)                 \
 public:                                            \
  static const CRuntimeClass class##class_name;     \
  const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
  DECLARE_DYNAMIC(class_name)         \
  static CObject* CreateObject();

#define AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, schema, create)                              \
  const CRuntimeClass class_name::class##class_name{#class_name, static_cast<int>(sizeof(class_name)), schema, \
                                                    create, RUNTIME_CLASS(base_class_name)};                   \
  const CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
  AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)               \
  CObject* class_name::CreateObject() { return new class_name; }      \
  AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, class_name::CreateObject)

class CObject {
 public:
  static const CRuntimeClass classCObject;

  virtual ~CObject() = default;
  virtual const CRuntimeClass* GetRuntimeClass() const;
  BOOL IsKindOf(const CRuntimeClass* pClass) const;

 protected:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
};

// 8-bit text in the machine's code page, with value semantics.
class CString {
 public:
  CString() = default;
  CString(LPCSTR text);  // NOLINT: converts as the framework's string does
  CString(LPCSTR text, int length);
  CString(char ch, int repeat = 1);
  CString(const CString&) = default;
  CString(CString&&) noexcept = default;
  CString& operator=(const CString&) = default;
  CString& operator=(CString&&) noexcept = default;
  CString& operator=(LPCSTR text);
  CString& operator=(char ch);

  int GetLength() const { return static_cast<int>(text_.size()); }
  BOOL IsEmpty() const { return text_.empty(); }
  void Empty() { text_.clear(); }
  char GetAt(int index) const;
  void SetAt(int index, char ch);
  char operator[](int index) const { return GetAt(index); }
  operator LPCSTR() const { return text_.c_str(); }  // NOLINT

  CString& operator+=(const CString& other);
  CString& operator+=(LPCSTR text);
  CString& operator+=(char ch);
  friend CString operator+(const CString& a, const CString& b);
  friend CString operator+(const CString& a, LPCSTR b);
  friend CString operator+(LPCSTR a, const CString& b);
  friend CString operator+(const CString& a, char b);

  int Compare(LPCSTR text) const;
  int CompareNoCase(LPCSTR text) const;
  friend bool operator==(const CString& a, const CString& b) { return a.text_ == b.text_; }
  friend bool operator==(const CString& a, LPCSTR b) { return a.Compare(b) == 0; }
  friend bool operator<(const CString& a, const CString& b) { return a.text_ < b.text_; }

  CString Left(int count) const;
  CString Mid(int first) const;
  CString Mid(int first, int count) const;
  CString Right(int count) const;
  int Find(char ch, int start = 0) const;
  int Find(LPCSTR sub, int start = 0) const;
  int ReverseFind(char ch) const;
  int Replace(LPCSTR oldText, LPCSTR newText);
  void MakeUpper();
  void MakeLower();
  void TrimLeft();
  void TrimRight();

  void Format(LPCSTR format, ...) __attribute__((format(printf, 2, 3)));
  void FormatV(LPCSTR format, va_list args);
  // Loads a string of the current resource module; FALSE (and an empty string) when it has none.
  BOOL LoadString(UINT id);

  // A writable buffer of at least minLength characters; ReleaseBuffer(-1) takes its text up to the terminator.
  LPSTR GetBuffer(int minLength);
  void ReleaseBuffer(int newLength = -1);
  LPSTR GetBufferSetLength(int length);

 private:
  std::string text_;
};
