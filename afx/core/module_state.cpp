#include "module_state.h"

AfxModuleState& AfxGetModuleState() {
  static AfxModuleState state;
  return state;
}

CWinApp* AfxGetApp() { return AfxGetModuleState().app; }
HINSTANCE AfxGetInstanceHandle() { return AfxGetModuleState().instance; }
HINSTANCE AfxGetResourceHandle() { return AfxGetModuleState().resource; }
void AfxSetResourceHandle(HINSTANCE hInstResource) { AfxGetModuleState().resource = hInstResource; }

LPCSTR AfxGetAppName() {
  CWinApp* app = AfxGetApp();
  return app && app->m_pszAppName ? app->m_pszAppName : "";
}
