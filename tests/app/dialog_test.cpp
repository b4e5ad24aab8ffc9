// The framework's modal dialog and application object: templates, items,
// timers on the virtual clock, the close box, the end of the dialog.
#include <gmock/gmock.h>
#include <signal.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "app/print_dlg.h"
#include "framework/dialog.h"
#include "framework/resources.h"
#include "framework/winapp.h"
#include "job_fixture.h"

namespace {

using ::testing::ElementsAre;

const VyrDialogItem kItems[] = {
    {1001, kVyrItemProgress, "", 10, 10, 200, 12},
    {1002, kVyrItemStatic, "elapsed", 10, 30, 80, 10},
    {1003, kVyrItemStatic, "percent", 100, 30, 40, 10},
    {1, kVyrItemButton, "OK", 150, 50, 50, 14},
};
const VyrDialogTemplate kDialogs[] = {{500, "Test dialog", 240, 80, kItems, 4}};
const VyrResourceTable kTable = {"Test", nullptr, 0, kDialogs, 1, nullptr, 0};

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClockSelect(ClockKind::Virtual);
    VirtualClockSet(50000);
    AfxSetResourceHandle(nullptr);
    AfxSetProgramResources(&kTable);
  }
  void TearDown() override { AfxSetProgramResources(nullptr); }
};

// A dialog that records what the framework calls, with a script per tick.
class ScriptDlg : public CDialog {
 public:
  explicit ScriptDlg(UINT id = 500) : CDialog(id) {}
  std::vector<std::string> calls;
  std::vector<uint32_t> tickTimes;
  std::vector<UINT_PTR> tickIds;
  std::function<void(ScriptDlg&)> onInit;
  std::function<void(ScriptDlg&, UINT_PTR)> onTick;
  std::string itemTextAtDestroy;

  BOOL OnInitDialog() override {
    calls.push_back("init");
    if (onInit) onInit(*this);
    return TRUE;
  }
  void OnTimer(UINT_PTR id) override {
    tickTimes.push_back(ClockPeek());
    tickIds.push_back(id);
    if (onTick) onTick(*this, id);
  }
  void OnPaint() override { calls.push_back("paint"); }
  void OnClose() override {
    calls.push_back("close");
    CDialog::OnClose();
  }
  void OnDestroy() override {
    calls.push_back("destroy");
    char text[32] = "";
    if (CWnd* item = GetDlgItem(1002)) item->GetWindowText(text, sizeof text);
    itemTextAtDestroy = text;
  }
};

TEST_F(DialogTest, NoTemplateFailsAtOnce) {
  apptest::HookedUi ui;
  ScriptDlg dlg(501);
  EXPECT_EQ(dlg.DoModal(), -1);
  EXPECT_TRUE(dlg.calls.empty());
  EXPECT_TRUE(ui.Events().empty());
  EXPECT_EQ(dlg.GetDlgItem(1001), nullptr);
}

TEST_F(DialogTest, ItemsComeFromTheTemplate) {
  apptest::HookedUi ui;
  ScriptDlg dlg;
  dlg.onInit = [](ScriptDlg& d) {
    char text[64];
    d.GetWindowText(text, sizeof text);
    EXPECT_STREQ(text, "Test dialog");
    ASSERT_NE(d.GetDlgItem(1003), nullptr);
    d.GetDlgItem(1003)->GetWindowText(text, sizeof text);
    EXPECT_STREQ(text, "percent");
    EXPECT_EQ(d.GetDlgItem(1001)->GetDlgCtrlID(), 1001);
    EXPECT_NE(d.GetDlgItem(IDOK), nullptr);
    EXPECT_EQ(d.GetDlgItem(1004), nullptr);
    d.GetDlgItem(1002)->SetWindowText("00: 00: 00");
    d.GetDlgItem(IDOK)->EnableWindow(FALSE);
    d.SetWindowText("Other");
    d.EndDialog(IDOK);
    d.EndDialog(IDCANCEL);  // too late: the first end stands
  };
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_THAT(ui.Events(), ElementsAre("caption Test dialog", "text 1002 00: 00: 00", "enable 1 0",
                                       "caption Other", "end ok"));
  // Ended inside OnInitDialog: no paint, but the window is destroyed with its
  // items still there.
  EXPECT_THAT(dlg.calls, ElementsAre("init", "destroy"));
  EXPECT_EQ(dlg.itemTextAtDestroy, "00: 00: 00");
  EXPECT_FALSE(dlg.IsRunning());
}

TEST_F(DialogTest, TimersFireOnTheVirtualClockAndCanBeStopped) {
  apptest::HookedUi ui;
  ScriptDlg dlg;
  uint32_t start = 0;
  dlg.onInit = [&](ScriptDlg& d) {
    start = ClockPeek();
    EXPECT_EQ(d.SetTimer(1225, 5), 1225u);
    EXPECT_EQ(d.SetTimer(9, 12), 9u);
    EXPECT_EQ(d.SetTimer(10, 0), 0u);  // no period, no timer
  };
  dlg.onTick = [&](ScriptDlg& d, UINT_PTR id) {
    if (id == 9) {
      EXPECT_TRUE(d.KillTimer(9));
    }
    if (d.tickIds.size() == 4) {
      // A step that takes long: the timer stops, and starts again after it.
      d.KillTimer(1225);
      EXPECT_FALSE(d.IsTimerRunning(1225));
      VirtualClockAdvance(1000);
      d.SetTimer(1225, 5);
    }
    if (d.tickIds.size() == 6) d.OnOK();
  };
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_THAT(dlg.tickIds, ElementsAre(1225, 1225, 9, 1225, 1225, 1225));
  ASSERT_EQ(dlg.tickTimes.size(), 6u);
  EXPECT_EQ(dlg.tickTimes[0] - start, 5u);
  EXPECT_EQ(dlg.tickTimes[1] - start, 10u);
  EXPECT_EQ(dlg.tickTimes[2] - start, 12u);
  EXPECT_EQ(dlg.tickTimes[3] - start, 15u);
  EXPECT_EQ(dlg.tickTimes[4] - start, 1020u);
  EXPECT_EQ(dlg.tickTimes[5] - start, 1025u);
  EXPECT_THAT(dlg.calls, ElementsAre("init", "paint", "destroy"));
  EXPECT_FALSE(dlg.KillTimer(1225));
}

TEST_F(DialogTest, CloseBoxCancelsBetweenTicks) {
  apptest::HookedUi ui;
  ScriptDlg dlg;
  dlg.onInit = [](ScriptDlg& d) { d.SetTimer(1, 5); };
  dlg.onTick = [&](ScriptDlg& d, UINT_PTR) {
    if (d.tickIds.size() == 3) ui.RequestClose();
  };
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(dlg.tickIds.size(), 3u);
  EXPECT_THAT(dlg.calls, ElementsAre("init", "paint", "close", "destroy"));
  EXPECT_EQ(ui.Events().back(), "end cancel");
}

void MarkerHandler(int) {}

TEST_F(DialogTest, SignalsAreTheCloseBoxWhileTheDialogRuns) {
  for (int sig : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(sig);
    struct sigaction marker {}, before {};
    marker.sa_handler = MarkerHandler;
    sigemptyset(&marker.sa_mask);
    sigaction(sig, &marker, &before);
    apptest::HookedUi ui(/*withCloseBox=*/false);
    ScriptDlg dlg;
    bool pendingInTick = false;
    dlg.onInit = [](ScriptDlg& d) { d.SetTimer(1, 5); };
    dlg.onTick = [&](ScriptDlg& d, UINT_PTR) {
      if (d.tickIds.size() != 3) return;
      raise(sig);  // caught: the process goes on
      pendingInTick = AfxIsCloseRequested();
    };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(pendingInTick);  // seen by the engine's waits, not yet taken
    EXPECT_EQ(dlg.tickIds.size(), 3u);  // taken before the next tick
    EXPECT_THAT(dlg.calls, ElementsAre("init", "paint", "close", "destroy"));
    EXPECT_FALSE(AfxIsCloseRequested());
    struct sigaction after {};
    sigaction(sig, &before, &after);
    EXPECT_EQ(after.sa_handler, &MarkerHandler);  // put back when the dialog ended
  }
}

TEST_F(DialogTest, SecondSignalBeforeTheFirstIsTakenEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        apptest::HookedUi ui(/*withCloseBox=*/false);
        ScriptDlg dlg;
        dlg.onInit = [](ScriptDlg& d) {
          d.SetTimer(1, 5);
          raise(SIGTERM);
          raise(SIGTERM);
        };
        dlg.DoModal();
        _exit(0);
      },
      ::testing::KilledBySignal(SIGTERM), "");
}

TEST_F(DialogTest, NothingLeftToWaitForEndsAsClosed) {
  // No timer and no close box: the dialog would wait for ever.
  apptest::HookedUi ui(/*withCloseBox=*/false);
  ScriptDlg dlg;
  dlg.onInit = [](ScriptDlg& d) { d.SetTimer(1, 5); };
  dlg.onTick = [](ScriptDlg& d, UINT_PTR) { d.KillTimer(1); };
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(dlg.tickIds.size(), 1u);
  EXPECT_THAT(dlg.calls, ElementsAre("init", "paint", "close", "destroy"));
  EXPECT_THAT(ui.Events(), ElementsAre("caption Test dialog", "end cancel"));
}

TEST_F(DialogTest, MinimisedProgressDialogDrawsItsIconCentred) {
  apptest::HookedUi ui;
  const VyrDialogTemplate kPrint[] = {{IDD_PRINT_DIALOG, "Print", 240, 80, kItems, 4}};
  const VyrResourceTable table = {"Test", nullptr, 0, kPrint, 1, nullptr, 0};
  AfxSetProgramResources(&table);
  struct Probe : CPrintDlg {
    int x = -1, y = -1;
    RECT rect{};
    BOOL OnInitDialog() override {
      SetIconic(TRUE);
      OnPaint();
      x = GetLastIconX();
      y = GetLastIconY();
      GetClientRect(&rect);
      EndDialog(IDCANCEL);
      return TRUE;
    }
    void OnDestroy() override {}
  } dlg;
  dlg.DoModal();
  EXPECT_GT(dlg.rect.right, 32);
  EXPECT_EQ(dlg.x, (dlg.rect.right - 32 + 1) / 2);
  EXPECT_EQ(dlg.y, (dlg.rect.bottom - 32 + 1) / 2);
}

TEST(Application, CommandLineIsTheArgumentsJoinedByBlanks) {
  struct App : CWinApp {
    std::string seen;
    bool mainWindowClear = false;
    BOOL InitInstance() override {
      seen = m_lpCmdLine;
      mainWindowClear = m_pMainWnd == nullptr;
      EXPECT_EQ(AfxGetApp(), this);
      return FALSE;
    }
  };
  App app;
  char a0[] = "vyr", a1[] = "3", a2[] = "2", a3[] = "x y";
  char* argv[] = {a0, a1, a2, a3, nullptr};
  EXPECT_EQ(RunApplication(4, argv, app), 0);
  EXPECT_EQ(app.seen, "3 2 x y");
  EXPECT_TRUE(app.mainWindowClear);
  EXPECT_EQ(RunApplication(1, argv, app), 0);
  EXPECT_EQ(app.seen, "");
}

}  // namespace
