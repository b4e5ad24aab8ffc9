// Strings and message boxes by number through the resource module switch, and
// what the dialog's windows send to the UI back end.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "framework/afx.h"
#include "framework/resources.h"
#include "support/record_ui.h"

using ::testing::ElementsAre;

namespace {

const VyrStringResource kProgramStrings[] = {{7, "seven"}};
const VyrResourceTable kProgramTable = {"", kProgramStrings, 1, nullptr, 0, nullptr, 0};

// Puts the resource module back to "none" (the program's own) after a test.
struct ResourceScope {
  ~ResourceScope() {
    AfxSetResourceHandle(nullptr);
    AfxSetProgramResources(nullptr);
  }
};

}  // namespace

TEST(Resources, StringsComeFromTheModuleInUse) {
  ResourceScope scope;
  AfxSetProgramResources(&kProgramTable);
  CString s;
  EXPECT_TRUE(s.LoadString(7));
  EXPECT_STREQ(s, "seven");
  EXPECT_FALSE(s.LoadString(2033));  // the program's own module has no messages
  EXPECT_EQ(s.GetLength(), 0);

  HMODULE eng = LoadLibraryA("vyr_eng.dll");
  HMODULE ger = LoadLibraryA("vyr_ger.dll");
  ASSERT_NE(eng, nullptr);
  ASSERT_NE(ger, nullptr);
  AfxSetResourceHandle(eng);
  EXPECT_EQ(AfxGetResourceHandle(), eng);
  ASSERT_TRUE(s.LoadString(2033));
  std::string english = s.GetString();
  EXPECT_FALSE(english.empty());
  EXPECT_FALSE(s.LoadString(7));  // a module's lookups never fall back to the program
  EXPECT_FALSE(s.LoadString(2002));
  EXPECT_NE(AfxFindDialog(102), nullptr);
  EXPECT_NE(AfxFindIcon(128), nullptr);
  EXPECT_EQ(AfxFindDialog(103), nullptr);

  AfxSetResourceHandle(ger);
  ASSERT_TRUE(s.LoadString(2033));
  EXPECT_NE(english, s.GetString());

  // A module without the export has no resources at all.
  AfxSetResourceHandle(nullptr);
  EXPECT_TRUE(s.LoadString(7));
  FreeLibrary(eng);
  FreeLibrary(ger);
}

TEST(Resources, MessageBoxesByNumber) {
  ResourceScope scope;
  HMODULE eng = LoadLibraryA("vyr_eng.dll");
  ASSERT_NE(eng, nullptr);
  AfxSetResourceHandle(eng);
  RecordUi ui("2026=yes");
  EXPECT_EQ(AfxMessageBox(2004), IDOK);
  EXPECT_EQ(AfxMessageBox(2026, MB_YESNO, 2026), IDYES);
  ui.SetAnswers("2026=no");
  EXPECT_EQ(AfxMessageBox(2026, MB_YESNO), IDNO);
  // An OK box is OK even when the answers say no.
  EXPECT_EQ(AfxMessageBox(2027, MB_OK), IDOK);
  // A number the module lacks still reaches the user by its number.
  EXPECT_EQ(AfxMessageBox(2999), IDOK);
  EXPECT_THAT(ui.Events(), ElementsAre("message 2004 ok", "message 2026 yesno yes",
                                       "message 2026 yesno no", "message 2027 ok",
                                       "message 2999 ok"));
  FreeLibrary(eng);
}

namespace {

// Captures the text a message box is shown with.
std::string g_shownText;
bool CaptureMessage(void*, unsigned, const char* text, bool) {
  g_shownText = text;
  return true;
}

}  // namespace

TEST(Resources, MessageBoxShowsTheModuleText) {
  ResourceScope scope;
  HMODULE fre = LoadLibraryA("vyr_fre.dll");
  ASSERT_NE(fre, nullptr);
  AfxSetResourceHandle(fre);
  UiBackend capture{};
  capture.name = "capture";
  capture.message = CaptureMessage;
  const UiBackend* before = UiCurrent();
  UiInstall(&capture);
  AfxMessageBox(2018);
  UiInstall(before);
  EXPECT_EQ(g_shownText, AfxFindString(2018));
  EXPECT_FALSE(g_shownText.empty());
  FreeLibrary(fre);
}

TEST(DialogWindows, SendCaptionTextEnableAndProgressEvents) {
  RecordUi ui;
  CWnd dialog(0), bar(1001), percent(1003), ok(1);
  dialog.SetWindowText("Printing");
  percent.SetWindowText("0%");
  EXPECT_TRUE(ok.IsWindowEnabled());
  EXPECT_FALSE(ok.EnableWindow(FALSE));  // was enabled
  EXPECT_TRUE(ok.EnableWindow(FALSE));   // was disabled; still reported
  EXPECT_TRUE(ok.EnableWindow(TRUE));
  EXPECT_TRUE(ok.IsWindowEnabled());

  // The default range is 0..100; a new range answers with the old one.
  EXPECT_EQ(bar.SendMessage(PBM_SETRANGE, 0, (100 << 16) | 0), (100 << 16) | 0);
  EXPECT_EQ(bar.SendMessage(PBM_SETPOS, 40), 0);
  EXPECT_EQ(bar.SendMessage(PBM_SETPOS, 40), 40);  // unchanged, still recorded
  bar.SendMessage(PBM_SETPOS, 130);                // held within the range
  EXPECT_EQ(bar.GetPos(), 100);
  bar.SendMessage(PBM_SETPOS, static_cast<WPARAM>(-5));
  EXPECT_EQ(bar.GetPos(), 0);
  EXPECT_EQ(dialog.SendMessage(WM_SETICON, ICON_BIG, 0), 0);

  EXPECT_THAT(ui.Events(),
              ElementsAre("caption Printing", "text 1003 0%", "enable 1 0", "enable 1 0",
                          "enable 1 1", "progress 40", "progress 40", "progress 100",
                          "progress 0"));

  // A range of 10..20 holds positions there.
  bar.SendMessage(PBM_SETRANGE, 0, (20 << 16) | 10);
  bar.SendMessage(PBM_SETPOS, 3);
  EXPECT_EQ(bar.GetPos(), 10);
}

TEST(DialogWindows, GetWindowTextCutsToTheBuffer) {
  RecordUi ui;
  CWnd dialog(0);
  dialog.SetWindowText("Loading the page  Copy 1 of 2");
  char buf[40];
  EXPECT_EQ(dialog.GetWindowText(buf, sizeof buf), 29);
  EXPECT_STREQ(buf, "Loading the page  Copy 1 of 2");
  char small[8];
  EXPECT_EQ(dialog.GetWindowText(small, sizeof small), 7);
  EXPECT_STREQ(small, "Loading");
  EXPECT_EQ(dialog.GetWindowText(small, 0), 0);
  dialog.SetWindowText(nullptr);
  EXPECT_EQ(dialog.GetWindowText(buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "");
}
