#include <cstring>

#include "module_state.h"

BOOL CWinThread::InitInstance() { return FALSE; }
int CWinThread::ExitInstance() { return 0; }
int CWinThread::Run() { return ExitInstance(); }

CWinApp::CWinApp(LPCSTR lpszAppName) {
  if (lpszAppName != nullptr) {
    appName_ = lpszAppName;
    m_pszAppName = appName_.c_str();
  }
  AfxGetModuleState().app = this;
}

CWinApp::~CWinApp() {
  AfxModuleState& state = AfxGetModuleState();
  if (state.app == this) state.app = nullptr;
}

BOOL CWinApp::InitApplication() { return TRUE; }
BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return 0; }

HICON CWinApp::LoadIcon(UINT nIDResource) const {
  return ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
}

HICON CWinApp::LoadStandardIcon(LPCSTR lpszIconName) const { return ::LoadIconA(HINSTANCE{}, lpszIconName); }

void AfxSetUpApp(HINSTANCE hInstance) {
  AfxModuleState& state = AfxGetModuleState();
  state.instance = hInstance;
  state.resource = hInstance;
  CWinApp* app = state.app;
  if (app == nullptr) return;
  app->m_hInstance = hInstance;
  if (app->m_pszAppName == nullptr) {
    // Without a given name, the application is called after its module file.
    char path[MAX_PATH] = {};
    GetModuleFileNameA(hInstance, path, sizeof path);
    const char* name = path;
    for (const char* p = path; *p != '\0'; ++p)
      if (*p == '\\' || *p == '/') name = p + 1;
    app->appName_ = name;
    auto dot = app->appName_.rfind('.');
    if (dot != std::string::npos && dot > 0) app->appName_.resize(dot);
    app->m_pszAppName = app->appName_.c_str();
  }
}

BOOL AfxDllAttach(HINSTANCE hInstance) {
  AfxSetUpApp(hInstance);
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return TRUE;
  if (app->InitInstance()) return TRUE;
  // A module whose start-up failed is not loaded; it still gets to clean up.
  app->ExitInstance();
  return FALSE;
}

void AfxDllDetach() {
  if (CWinApp* app = AfxGetApp()) app->ExitInstance();
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow) {
  AfxSetUpApp(hInstance);
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return -1;
  app->m_lpCmdLine = lpCmdLine;
  app->m_nCmdShow = nCmdShow;
  if (!app->InitApplication() || !app->InitInstance()) return app->ExitInstance();
  return app->Run();
}
