#include "cplapp.h"

#include "resource.h"

CCplApp theApp;

CCplApp::CCplApp() = default;

BOOL CCplApp::InitInstance() {
  m_hLocDll = ::LoadLibraryA("qv10loc.dll");
  if (m_hLocDll) AfxSetResourceHandle(m_hLocDll);
  m_hIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_AUDIO_CPL));
  return CWinApp::InitInstance();
}

int CCplApp::ExitInstance() {
  if (m_hLocDll) ::FreeLibrary(m_hLocDll);
  return CWinApp::ExitInstance();
}
