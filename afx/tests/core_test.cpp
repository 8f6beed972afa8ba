// The framework's core: run-time class information, CString, and the application object's
// start-up and exit as a program's and a module's entry points drive them.
#include <cstdarg>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <afxwin.h>
#include <temp_machine.h>

namespace {

class CShape : public CObject {
  DECLARE_DYNAMIC(CShape)
};
class CCircle : public CShape {
  DECLARE_DYNCREATE(CCircle)
};
IMPLEMENT_DYNAMIC(CShape, CObject)
IMPLEMENT_DYNCREATE(CCircle, CShape)

TEST(RuntimeClass, KindsAndCreation) {
  CCircle circle;
  EXPECT_STREQ(circle.GetRuntimeClass()->m_lpszClassName, "CCircle");
  EXPECT_TRUE(circle.IsKindOf(RUNTIME_CLASS(CShape)));
  EXPECT_TRUE(circle.IsKindOf(RUNTIME_CLASS(CObject)));
  EXPECT_FALSE(circle.IsKindOf(RUNTIME_CLASS(CWinApp)));
  EXPECT_EQ(RUNTIME_CLASS(CShape)->CreateObject(), nullptr);
  CObject* made = RUNTIME_CLASS(CCircle)->CreateObject();
  ASSERT_NE(made, nullptr);
  EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CCircle)));
  delete made;
  EXPECT_TRUE(RUNTIME_CLASS(CWinApp)->IsDerivedFrom(RUNTIME_CLASS(CCmdTarget)));
}

TEST(CString, Operations) {
  CString s("  Hello, World  ");
  s.TrimLeft();
  s.TrimRight();
  EXPECT_EQ(s, "Hello, World");
  EXPECT_EQ(s.GetLength(), 12);
  EXPECT_EQ(s.Left(5), "Hello");
  EXPECT_EQ(s.Mid(7), "World");
  EXPECT_EQ(s.Mid(7, 2), "Wo");
  EXPECT_EQ(s.Right(5), "World");
  EXPECT_EQ(s.Left(99), s);
  EXPECT_EQ(s.Mid(-3, 2), "He");
  EXPECT_EQ(s.Find('o'), 4);
  EXPECT_EQ(s.Find("World"), 7);
  EXPECT_EQ(s.Find('o', 99), -1);
  EXPECT_EQ(s.ReverseFind('o'), 8);
  EXPECT_EQ(s.GetAt(99), '\0');
  EXPECT_EQ(s.Replace("o", "0"), 2);
  EXPECT_EQ(s, "Hell0, W0rld");
  CString accented("caf\xe9");
  accented.MakeUpper();
  EXPECT_EQ(accented, "CAF\xc9");
  EXPECT_EQ(accented.CompareNoCase("Caf\xe9"), 0);
  EXPECT_LT(CString("a").Compare("b"), 0);
  EXPECT_EQ(CString("x") + "y" + 'z', "xyz");
  CString formatted;
  formatted.Format("%s=%d", "gain", -14);
  EXPECT_EQ(formatted, "gain=-14");
  CString buffer;
  std::snprintf(buffer.GetBuffer(16), 16, "%s", "abc");
  buffer.ReleaseBuffer();
  EXPECT_EQ(buffer, "abc");
  EXPECT_TRUE(CString(static_cast<LPCSTR>(nullptr)).IsEmpty());
}

// The test program's application object: it records what the entry points do with it.
class CTestApp : public CWinApp {
 public:
  explicit CTestApp(LPCSTR name = nullptr) : CWinApp(name) {}
  BOOL initResult = TRUE;
  std::vector<std::string> calls;

  BOOL InitInstance() override {
    calls.push_back("InitInstance");
    return initResult;
  }
  int ExitInstance() override {
    calls.push_back("ExitInstance");
    return 7;
  }
};

class AppTest : public ombrin::test::MachineTest {};

TEST_F(AppTest, ProgramStartUp) {
  for (BOOL init : {TRUE, FALSE}) {
    CTestApp app;
    app.initResult = init;
    ASSERT_EQ(AfxGetApp(), &app);
    HINSTANCE program = GetModuleHandleA(nullptr);
    char args[] = "a b";
    // Started or not, the program ends through ExitInstance, whose result is the exit code.
    EXPECT_EQ(AfxWinMain(program, HINSTANCE{}, args, SW_SHOWNORMAL), 7);
    EXPECT_EQ(app.calls, (std::vector<std::string>{"InitInstance", "ExitInstance"}));
    EXPECT_EQ(AfxGetInstanceHandle(), program);
    EXPECT_EQ(AfxGetResourceHandle(), program);
    EXPECT_STREQ(app.m_lpCmdLine, "a b");
    EXPECT_EQ(app.m_nCmdShow, SW_SHOWNORMAL);
    EXPECT_STREQ(AfxGetAppName(), "afx_core_test");
  }
  EXPECT_EQ(AfxGetApp(), nullptr);
}

TEST_F(AppTest, ModuleStartUpAndResourceModule) {
  CTestApp app("Named");
  HINSTANCE self = GetModuleHandleA(nullptr);
  EXPECT_TRUE(AfxDllAttach(self));
  EXPECT_STREQ(AfxGetAppName(), "Named");
  AfxSetResourceHandle(HINSTANCE{0x40u});
  EXPECT_EQ(AfxGetResourceHandle(), HINSTANCE{0x40u});
  EXPECT_EQ(AfxGetInstanceHandle(), self);
  AfxDllDetach();
  EXPECT_EQ(app.calls, (std::vector<std::string>{"InitInstance", "ExitInstance"}));

  // A module whose start-up fails does not load; it still cleans up.
  CTestApp failing;
  failing.initResult = FALSE;
  EXPECT_FALSE(AfxDllAttach(self));
  EXPECT_EQ(failing.calls, (std::vector<std::string>{"InitInstance", "ExitInstance"}));
}

}  // namespace
