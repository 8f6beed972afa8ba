// The framework's application object and the functions every module built on it has.
#pragma once

#include "afx.h"

class CWnd;

// Commands and messages are routed through command targets; the window part adds their maps.
class CCmdTarget : public CObject {
  DECLARE_DYNAMIC(CCmdTarget)

 public:
  CCmdTarget() = default;
};

// A thread of the framework; the application object is the module's main one.
class CWinThread : public CCmdTarget {
  DECLARE_DYNAMIC(CWinThread)

 public:
  CWinThread() = default;
  CWnd* m_pMainWnd = nullptr;

  virtual BOOL InitInstance();
  virtual int ExitInstance();
  // Without windows there is no message loop: running ends the instance.
  virtual int Run();
};

class CWinApp : public CWinThread {
  DECLARE_DYNAMIC(CWinApp)

 public:
  // Only one application object exists per module; it makes itself the module's at construction.
  explicit CWinApp(LPCSTR lpszAppName = nullptr);
  ~CWinApp() override;
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  LPCSTR m_pszAppName = nullptr;  // the given name, else the module's file name without extension
  HINSTANCE m_hInstance{};
  LPSTR m_lpCmdLine = nullptr;  // a program's command line after its name
  int m_nCmdShow = SW_SHOWDEFAULT;

  virtual BOOL InitApplication();
  BOOL InitInstance() override;
  int ExitInstance() override;

  HICON LoadIcon(UINT nIDResource) const;
  HICON LoadStandardIcon(LPCSTR lpszIconName) const;

 private:
  friend void AfxSetUpApp(HINSTANCE hInstance);
  std::string appName_;
};

// The module's application object, instance and the module resources are taken from.
CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hInstResource);
LPCSTR AfxGetAppName();

// A message box titled with the application's name.
int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = UINT(-1));

// The framework's entry points: a program's main and a module's DllMain call these.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
BOOL AfxDllAttach(HINSTANCE hInstance);
void AfxDllDetach();
// Gives the application object its instance and name; part of both entry points.
void AfxSetUpApp(HINSTANCE hInstance);
