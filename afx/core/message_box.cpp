#include <afxwin.h>

int AfxMessageBox(LPCSTR lpszText, UINT nType, UINT) {
  return ::MessageBoxA(HWND{}, lpszText, AfxGetAppName(), nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp) {
  CString text;
  text.LoadString(nIDPrompt);
  return AfxMessageBox(text, nType, nIDHelp == UINT(-1) ? nIDPrompt : nIDHelp);
}
