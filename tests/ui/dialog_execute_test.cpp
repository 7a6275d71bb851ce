// tests/ui/dialog_execute_test.cpp -- executing the main window's confirmation dialog and
// answering it with posted keys and mouse messages: results, focus, modality, placement, drag.
#include "ui/dialog/smooth_message_dialog.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/ui/dialog_test_driver.h"
#include "ui/dialog/overwrite_dialog.h"

namespace vlm {
namespace {

using ui_test::CentreOf;
using ui_test::DialogScript;
using ui_test::PointParam;
using ui_test::PostKey;

// A visible top-level window standing in for the main window, shared by the suite: under wine
// without a window manager, taking down a visible window that had been active costs seconds.
HWND MakeOwnerWindow() {
  return CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPED | WS_VISIBLE, 100, 80, 770, 460,
                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

class OverwriteDialogRun : public ::testing::Test {
protected:
  static void SetUpTestSuite() { OwnerHandle = MakeOwnerWindow(); }
  static void TearDownTestSuite() { DestroyWindow(OwnerHandle); }

  OverwriteDialogRun() : Dialog(OwnerHandle) { ConfigureOverwriteDialog(Dialog); }

  int Run(DialogScript& Script) {
    const int Result = Script.Run(Dialog);
    EXPECT_FALSE(Script.TimedOut()) << "the dialog was still open after its script";
    return Result;
  }

  POINT ButtonCentre(int Index) const {
    return CentreOf(Dialog.LastLayoutForTesting().Buttons[Index]);
  }

  void PostClick(HWND Window, POINT At) {
    PostMessageW(Window, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(At.x, At.y));
    PostMessageW(Window, WM_LBUTTONUP, 0, PointParam(At.x, At.y));
  }

  static inline HWND OwnerHandle = nullptr;
  TSmoothMessageDialog Dialog;
};

TEST_F(OverwriteDialogRun, EnterChoosesTheFocusedNoAndReturns0) {
  DialogScript Script;
  Script.Then([](HWND D) { PostKey(D, VK_RETURN); });
  EXPECT_EQ(Run(Script), 0);
}

TEST_F(OverwriteDialogRun, RightThenEnterChoosesYesAndReturns6) {
  DialogScript Script;
  Script.Then([](HWND D) { PostKey(D, VK_RIGHT); }).Then([](HWND D) { PostKey(D, VK_RETURN); });
  EXPECT_EQ(Run(Script), 6);
}

TEST_F(OverwriteDialogRun, TabThenSpaceChoosesYes) {
  DialogScript Script;
  Script.Then([](HWND D) { PostKey(D, VK_TAB); }).Then([](HWND D) { PostKey(D, VK_SPACE); });
  EXPECT_EQ(Run(Script), 6);
}

TEST_F(OverwriteDialogRun, LeftFromTheFirstButtonWrapsToTheLast) {
  DialogScript Script;
  Script.Then([](HWND D) { PostKey(D, VK_LEFT); }).Then([](HWND D) { PostKey(D, VK_RETURN); });
  EXPECT_EQ(Run(Script), 6);
}

TEST_F(OverwriteDialogRun, RightFromTheLastButtonWrapsToTheFirst) {
  DialogScript Script;
  Script.Then([](HWND D) { PostKey(D, VK_DOWN); })
      .Then([](HWND D) { PostKey(D, VK_RIGHT); })
      .Then([](HWND D) { PostKey(D, VK_RETURN); });
  EXPECT_EQ(Run(Script), 0);
}

TEST_F(OverwriteDialogRun, EscapeKeepsItOpen) {
  bool OpenAfterEscape = false;
  DialogScript Script;
  Script.Then([](HWND D) { PostKey(D, VK_ESCAPE); }).Then([&](HWND D) {
    OpenAfterEscape = IsWindow(D) && IsWindowVisible(D);
    PostKey(D, VK_RETURN);
  });
  EXPECT_EQ(Run(Script), 0);
  EXPECT_TRUE(OpenAfterEscape);
}

TEST(SmoothMessageDialog, EscapeChoosesTheButtonWithResult2) {
  TSmoothMessageDialog Dialog(nullptr);
  Dialog.AddButton(u"OK", 1);
  Dialog.AddButton(u"Cancel", 2);
  DialogScript Script;
  Script.Then([](HWND D) { PostKey(D, VK_ESCAPE); });
  EXPECT_EQ(Script.Run(Dialog), 2);
  EXPECT_FALSE(Script.TimedOut());
}

TEST(SmoothMessageDialog, AltWithAnAcceleratorChoosesItsButton) {
  TSmoothMessageDialog Dialog(nullptr);
  Dialog.AddButton(u"&Abort", 3);
  Dialog.AddButton(u"&Retry", 4);
  DialogScript Script;
  Script.Then([](HWND D) { PostMessageW(D, WM_SYSCHAR, L'r', static_cast<LPARAM>(1 << 29)); });
  EXPECT_EQ(Script.Run(Dialog), 4);
  EXPECT_FALSE(Script.TimedOut());
}

TEST(SmoothMessageDialog, WithoutModalItReturns1AtOnceAndStaysShownUntilChosen) {
  TSmoothMessageDialog Dialog(nullptr);
  Dialog.Modal = false;
  Dialog.AddButton(u"OK", 1);
  int Closed = 0;
  Dialog.OnClose = [&] { ++Closed; };
  EXPECT_EQ(Dialog.ExecuteDialog(), 1);
  const HWND Shown = Dialog.DialogHandle();
  ASSERT_NE(Shown, nullptr);
  EXPECT_TRUE(IsWindowVisible(Shown));
  SendMessageW(Shown, WM_KEYDOWN, VK_RETURN, 1);
  SendMessageW(Shown, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC0000001u));
  EXPECT_FALSE(IsWindow(Shown));
  EXPECT_EQ(Closed, 1);
}

TEST_F(OverwriteDialogRun, EnterReleasedWithoutAPressInsideIsIgnored) {
  bool OpenAfterStrayRelease = false;
  DialogScript Script;
  // The release of the Enter that started the installation arrives after the dialog opened.
  Script
      .Then([](HWND D) { PostMessageW(D, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC0000001u)); })
      .Then([&](HWND D) {
        OpenAfterStrayRelease = IsWindow(D) && IsWindowVisible(D);
        PostKey(D, VK_RIGHT);
      })
      .Then([](HWND D) { PostKey(D, VK_RETURN); });
  EXPECT_EQ(Run(Script), 6);
  EXPECT_TRUE(OpenAfterStrayRelease);
}

TEST_F(OverwriteDialogRun, DefaultButtonFollowsTheFocusIntoTheNextExecution) {
  DialogScript First;
  First.Then([](HWND D) { PostKey(D, VK_RIGHT); }).Then([](HWND D) { PostKey(D, VK_RETURN); });
  EXPECT_EQ(Run(First), 6);
  EXPECT_EQ(Dialog.DefaultButton, 1);

  DialogScript Second;
  Second.Then([](HWND D) { PostKey(D, VK_RETURN); });
  EXPECT_EQ(Run(Second), 6);
}

TEST_F(OverwriteDialogRun, MousePressAndReleaseOnYesReturns6) {
  DialogScript Script;
  Script.Then([&](HWND D) { PostClick(D, ButtonCentre(1)); });
  EXPECT_EQ(Run(Script), 6);
}

TEST_F(OverwriteDialogRun, MousePressAndReleaseOnNoReturns0) {
  Dialog.DefaultButton = 1;
  DialogScript Script;
  Script.Then([&](HWND D) { PostClick(D, ButtonCentre(0)); });
  EXPECT_EQ(Run(Script), 0);
}

TEST_F(OverwriteDialogRun, PressOnYesReleasedOnNoChoosesNothingAndClearsTheMarks) {
  bool Open = false;
  bool PressedShown = false;
  bool MarksCleared = false;
  DialogScript Script;
  Script
      .Then([&](HWND D) {
        const POINT Yes = ButtonCentre(1);
        PostMessageW(D, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(Yes.x, Yes.y));
      })
      .Then([&](HWND D) {
        // Pressed "Yes" shows its down colour #D0DEF0 instead of the idle #DAE5F3.
        const DialogImage& Image = Dialog.LastImageForTesting();
        const POINT Yes = ButtonCentre(1);
        const int Y = Dialog.LastLayoutForTesting().Buttons[1].bottom - 3;
        PressedShown = Image.Straight(Yes.x - 25, Y, 16) == 0xD0;
        const POINT No = ButtonCentre(0);
        PostMessageW(D, WM_MOUSEMOVE, MK_LBUTTON, PointParam(No.x, No.y));
        PostMessageW(D, WM_LBUTTONUP, 0, PointParam(No.x, No.y));
      })
      .Then([&](HWND D) {
        Open = IsWindow(D) && IsWindowVisible(D);
        const DialogImage Idle =
            Dialog.Render(Dialog.LastLayoutForTesting(), /*Focused=*/0, /*Marks=*/{});
        MarksCleared = Idle.Pixels == Dialog.LastImageForTesting().Pixels;
        PostKey(D, VK_RETURN);
      });
  EXPECT_EQ(Run(Script), 0);
  EXPECT_TRUE(PressedShown);
  EXPECT_TRUE(Open);
  EXPECT_TRUE(MarksCleared);
}

TEST_F(OverwriteDialogRun, PressInTheGapBetweenButtonsChoosesNothing) {
  bool Open = false;
  DialogScript Script;
  Script
      .Then([&](HWND D) {
        const RECT No = Dialog.LastLayoutForTesting().Buttons[0];
        PostClick(D, POINT{No.right + 2, (No.top + No.bottom) / 2});
      })
      .Then([&](HWND D) {
        Open = IsWindow(D) && IsWindowVisible(D);
        PostKey(D, VK_RETURN);
      });
  EXPECT_EQ(Run(Script), 0);
  EXPECT_TRUE(Open);
}

TEST_F(OverwriteDialogRun, OpensCentredOnTheOwnerWhichIsDisabledWhileItRuns) {
  RECT DialogRect{};
  bool OwnerEnabledDuring = true;
  DialogScript Script;
  Script.Then([&](HWND D) {
    GetWindowRect(D, &DialogRect);
    OwnerEnabledDuring = IsWindowEnabled(OwnerHandle) != FALSE;
    PostKey(D, VK_RETURN);
  });
  EXPECT_EQ(Run(Script), 0);
  RECT OwnerRect;
  GetWindowRect(OwnerHandle, &OwnerRect);
  const POINT Want = CentreOf(OwnerRect), Got = CentreOf(DialogRect);
  EXPECT_LE(std::abs(Want.x - Got.x), 1);
  EXPECT_LE(std::abs(Want.y - Got.y), 1);
  EXPECT_EQ(DialogRect.right - DialogRect.left, Dialog.LastLayoutForTesting().Width);
  EXPECT_FALSE(OwnerEnabledDuring);
  EXPECT_TRUE(IsWindowEnabled(OwnerHandle));
  EXPECT_EQ(Dialog.DialogHandle(), nullptr);
}

TEST_F(OverwriteDialogRun, IsALayeredBorderlessWindowOwnedByTheOwner) {
  LONG_PTR Style = 0, ExStyle = 0;
  HWND OwnerSeen = nullptr;
  DialogScript Script;
  Script.Then([&](HWND D) {
    Style = GetWindowLongPtrW(D, GWL_STYLE);
    ExStyle = GetWindowLongPtrW(D, GWL_EXSTYLE);
    OwnerSeen = GetWindow(D, GW_OWNER);
    PostKey(D, VK_RETURN);
  });
  EXPECT_EQ(Run(Script), 0);
  EXPECT_TRUE(ExStyle & WS_EX_LAYERED);
  EXPECT_TRUE(Style & WS_POPUP);
  EXPECT_FALSE(Style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU));
  EXPECT_EQ(OwnerSeen, OwnerHandle);
}

TEST_F(OverwriteDialogRun, DragsByTheCaptionBand) {
  RECT Before{}, After{};
  DialogScript Script;
  Script
      .Then([&](HWND D) {
        GetWindowRect(D, &Before);
        PostMessageW(D, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(20, 10));
        PostMessageW(D, WM_MOUSEMOVE, MK_LBUTTON, PointParam(50, 30));
        PostMessageW(D, WM_LBUTTONUP, 0, PointParam(50, 30));
      })
      .Then([&](HWND D) {
        GetWindowRect(D, &After);
        PostKey(D, VK_RETURN);
      });
  EXPECT_EQ(Run(Script), 0);
  EXPECT_EQ(After.left - Before.left, 30);
  EXPECT_EQ(After.top - Before.top, 20);
}

TEST_F(OverwriteDialogRun, EveryExecutionMakesAFreshWindow) {
  HWND First = nullptr, Second = nullptr;
  DialogScript One;
  One.Then([&](HWND D) {
    First = D;
    PostKey(D, VK_RETURN);
  });
  EXPECT_EQ(Run(One), 0);
  EXPECT_FALSE(IsWindow(First));
  DialogScript Two;
  Two.Then([&](HWND D) {
    Second = D;
    PostKey(D, VK_RETURN);
  });
  EXPECT_EQ(Run(Two), 0);
  EXPECT_NE(Second, nullptr);
  EXPECT_FALSE(IsWindow(Second));
}

TEST_F(OverwriteDialogRun, CanCloseMayRefuseAChoice) {
  int Asked = 0;
  Dialog.OnCanClose = [&](int Result) { return ++Asked > 1 || Result != 0; };
  DialogScript Script;
  Script.Then([](HWND D) { PostKey(D, VK_RETURN); })
      .Then([](HWND D) { PostKey(D, VK_RIGHT); })
      .Then([](HWND D) { PostKey(D, VK_RETURN); });
  EXPECT_EQ(Run(Script), 6);
  EXPECT_EQ(Asked, 2);
}

TEST_F(OverwriteDialogRun, AQuitRequestEndsTheDialogAndIsPassedOn) {
  DialogScript Script;
  Script.Then([](HWND) { PostQuitMessage(0); });
  bool QuitPassedOn = false;
  Dialog.OnClose = [&] {
    MSG Msg;
    QuitPassedOn = PeekMessageW(&Msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
  };
  EXPECT_EQ(Script.Run(Dialog), 2);
  EXPECT_TRUE(QuitPassedOn);
}

}  // namespace
}  // namespace vlm
