#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include <ombrin/eventlog.h>
#include <ombrin/machine.h>
#include <ombrin/user32.h>
#include <win32/windows.h>

#include "temp_machine.h"

using namespace ombrin;

namespace {

class MessageBoxes : public test::MachineTest {
 protected:
  MessageBoxes() {
    // Nobody at a terminal: the terminal face must not wait for a person running the tests.
    EXPECT_NE(std::freopen("/dev/null", "r", stdin), nullptr);
  }
  ~MessageBoxes() override {
    ::unsetenv("OMBRIN_MSGBOX_ANSWERS");
    user32::resetMessageBoxScript();
  }
  void script(const char* answers) {
    ::setenv("OMBRIN_MSGBOX_ANSWERS", answers, 1);
    user32::resetMessageBoxScript();
  }
};

TEST_F(MessageBoxes, ScriptedAnswersAreUsedInOrderThenTheDefaultsAnswer) {
  struct Box {
    UINT style;
    int answer;
    const char* complaint;  // on stderr, or null when there is none
  };
  struct Case {
    const char* script;
    std::vector<Box> boxes;
  } cases[] = {
      {"IDOK,IDCANCEL", {{MB_OKCANCEL, IDOK}, {MB_OKCANCEL, IDCANCEL}, {MB_OKCANCEL, IDCANCEL}, {MB_OK, IDOK}}},
      {" idyes , IDNO ,", {{MB_YESNO | MB_ICONQUESTION, IDYES}, {MB_YESNOCANCEL, IDNO}, {MB_YESNO, IDNO}}},
      {"IDYES,IDOK", {{MB_OKCANCEL, IDCANCEL, "IDYES is not a button"}, {MB_OKCANCEL, IDOK}}},
      {"IDMAYBE", {{MB_OK, IDOK, "'IDMAYBE' is no answer"}}},
      {"IDRETRY,IDIGNORE,IDTRYAGAIN", {{MB_RETRYCANCEL, IDRETRY}, {MB_ABORTRETRYIGNORE, IDIGNORE},
                                       {MB_CANCELTRYCONTINUE, IDTRYAGAIN}}},
      {"", {{MB_OK, IDOK}, {MB_OKCANCEL | MB_ICONERROR, IDCANCEL}, {MB_YESNO, IDNO}, {MB_YESNOCANCEL, IDCANCEL},
            {MB_RETRYCANCEL, IDCANCEL}, {MB_ABORTRETRYIGNORE, IDABORT}, {MB_CANCELTRYCONTINUE, IDCANCEL}}},
  };
  for (const auto& c : cases) {
    script(c.script);
    for (const auto& box : c.boxes) {
      testing::internal::CaptureStderr();
      int answer = MessageBoxA(HWND{}, "text", "caption", box.style);
      std::string err = testing::internal::GetCapturedStderr();
      EXPECT_EQ(answer, box.answer) << "script '" << c.script << "', style " << box.style;
      if (box.complaint) {
        EXPECT_NE(err.find(box.complaint), std::string::npos) << err;
      } else {
        EXPECT_EQ(err, "");
      }
    }
  }
}

TEST_F(MessageBoxes, ScriptPositionIsProcessWideAndResetsWithTheMachine) {
  script("IDYES,IDNO");
  EXPECT_EQ(MessageBoxA(HWND{}, "a", "b", MB_YESNO), IDYES);
  machine::resetCurrent();
  EXPECT_EQ(MessageBoxA(HWND{}, "a", "b", MB_YESNO), IDYES);
  EXPECT_EQ(MessageBoxA(HWND{}, "a", "b", MB_YESNO), IDNO);
}

TEST_F(MessageBoxes, InstalledFaceAnswersWhenTheScriptHasNoneLeft) {
  std::vector<user32::MessageBoxRequest> shown;
  int reply = IDYES;
  user32::setMessageBoxFace([&](const user32::MessageBoxRequest& r) {
    shown.push_back(r);
    return reply;
  });
  script("IDNO");
  EXPECT_EQ(MessageBoxA(HWND{0x40}, "first", "c", MB_YESNO), IDNO);  // the script wins
  EXPECT_EQ(MessageBoxA(HWND{0x40}, "second", "c", MB_YESNO), IDYES);
  reply = IDRETRY;  // not a button of the box: the next face answers
  EXPECT_EQ(MessageBoxA(HWND{}, "third", "c", MB_OKCANCEL), IDCANCEL);
  reply = 0;  // the face cannot show it
  EXPECT_EQ(MessageBoxA(HWND{}, "fourth", "c", MB_OK), IDOK);
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].text, "second");
  EXPECT_EQ(shown[0].owner, HWND{0x40});
  EXPECT_EQ(shown[0].style, UINT{MB_YESNO});
  machine::resetCurrent();  // the face goes with the machine
  reply = IDYES;
  EXPECT_EQ(MessageBoxA(HWND{}, "fifth", "c", MB_YESNO), IDNO);
  EXPECT_EQ(shown.size(), 3u);
}

TEST_F(MessageBoxes, EveryBoxIsLoggedWithEscapedText) {
  script("IDOK");
  MessageBoxA(HWND{}, "It is required that you restart Windows\nDo you wish to do so now?", "Restart Windows?",
              MB_OKCANCEL | MB_ICONQUESTION);
  MessageBoxA(HWND{}, nullptr, nullptr, MB_ICONERROR);
  auto events = eventlog::readAll();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].kind, "msgbox");
  EXPECT_EQ(events[0].fields,
            (std::vector<std::string>{"Restart Windows?",
                                      "It is required that you restart Windows\nDo you wish to do so now?", "0x21",
                                      "IDOK"}));
  EXPECT_EQ(events[1].fields, (std::vector<std::string>{"Error", "", "0x10", "IDOK"}));
  std::ifstream raw(machine::current().logDir() / "events.log");
  std::stringstream text;
  text << raw.rdbuf();
  EXPECT_NE(text.str().find("\tmsgbox\tRestart Windows?\tIt is required that you restart Windows\\nDo you wish"),
            std::string::npos)
      << text.str();
}

TEST_F(MessageBoxes, UnknownBoxTypeFailsWithoutShowingAnything) {
  script("IDOK");
  SetLastError(0);
  EXPECT_EQ(MessageBoxA(HWND{}, "t", "c", 7), 0);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_MSGBOX_STYLE});
  EXPECT_TRUE(eventlog::readAll().empty());
  EXPECT_EQ(MessageBoxA(HWND{}, "t", "c", MB_OKCANCEL), IDOK);  // the answer is still there
}

TEST(TerminalFace, ShowsTheBoxAndReadsAChoice) {
  struct Case {
    UINT style;
    const char* typed;
    int answer;
  } cases[] = {
      {MB_OKCANCEL, "2\n", IDCANCEL},
      {MB_OKCANCEL, "ok\n", IDOK},
      {MB_OKCANCEL, "\n", IDOK},
      {MB_YESNO | MB_DEFBUTTON2, "\n", IDNO},
      {MB_YESNO, "Y\n", IDYES},
      {MB_YESNOCANCEL, "c\n", IDCANCEL},
      {MB_YESNOCANCEL, "IDNO\n", IDNO},
      {MB_OKCANCEL, "maybe\n7\n1\n", IDOK},  // asks again until a button is named
      {MB_ABORTRETRYIGNORE, "", 0},          // end of input: no answer from this face
      {MB_RETRYCANCEL, "nothing", 0},
  };
  for (const auto& c : cases) {
    std::string typed = c.typed;
    FILE* in = typed.empty() ? std::fopen("/dev/null", "r") : fmemopen(typed.data(), typed.size(), "r");
    ASSERT_NE(in, nullptr);
    char* shown = nullptr;
    std::size_t shownSize = 0;
    FILE* out = open_memstream(&shown, &shownSize);
    user32::MessageBoxRequest request{HWND{}, "Remove everything?", "UnOmbrin", c.style};
    EXPECT_EQ(user32::askOnTerminal(request, in, out), c.answer) << c.typed;
    std::fclose(in);
    std::fclose(out);
    std::string screen(shown, shownSize);
    std::free(shown);
    EXPECT_NE(screen.find("UnOmbrin"), std::string::npos);
    EXPECT_NE(screen.find("Remove everything?"), std::string::npos);
    if (c.style == MB_OKCANCEL) {
      EXPECT_NE(screen.find("[1] OK  [2] Cancel"), std::string::npos) << screen;
    }
  }
}

}  // namespace
