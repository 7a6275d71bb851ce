// tests/zip/win32/zip_dialog_box_test.cpp -- the Windows zip dialog box as real windows: its
// children, their texts and styles, the default and cancel buttons, the layout, and the modal
// results (buttons are pressed through the messages a click sends).
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "zip/win32/zip_dialog_box.h"
#include "zip/zf_core.h"

namespace vlm {
namespace {

String TextOf(HWND Window) {
  wchar_t Buffer[512] = {};
  const int Length = ::GetWindowTextW(Window, Buffer, 512);
  return FromWide(Buffer, static_cast<size_t>(Length));
}

RECT ClientRectIn(HWND Child, HWND Parent) {
  RECT R{};
  ::GetWindowRect(Child, &R);
  ::MapWindowPoints(nullptr, Parent, reinterpret_cast<POINT*>(&R), 2);
  return R;
}

// Queues the click of Button; the modal loop of ShowModal delivers it.
void QueueClick(TZipDialogBox& Box, HWND Button) {
  ::PostMessageW(Box.Window(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(Button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(Button));
}

void CALLBACK PressCancelOfOpenBox(HWND, UINT, UINT_PTR, DWORD) {
  if (HWND Box = ::FindWindowW(L"TZipDialogBox", nullptr)) {
    ::PostMessageW(Box, WM_COMMAND, IDCANCEL, 0);
  }
}

TEST(ZipDialogBoxTest, WarningBoxWithOkButton) {
  TZipDialogBox Box(
      DescribeZipDialog(u"Setup", u"Failed to load VlmZip190.dll", {mbOK}, kShowMsgContext),
      nullptr);
  Box.Build();
  EXPECT_EQ(TextOf(Box.Window()), u"Setup");
  ASSERT_NE(Box.Child(u"Image"), nullptr);
  ASSERT_NE(Box.Child(u"zmdText"), nullptr);
  EXPECT_EQ(TextOf(Box.Child(u"zmdText")), u"Failed to load VlmZip190.dll");
  HWND Ok = Box.Child(u"ZFDlg191");
  ASSERT_NE(Ok, nullptr);
  EXPECT_EQ(TextOf(Ok), u"&OK");
  EXPECT_EQ(::GetWindowLongW(Ok, GWL_STYLE) & 0x0F, BS_DEFPUSHBUTTON);
  EXPECT_EQ(Box.DefaultButtonWindow(), Ok);
  EXPECT_EQ(Box.CancelButtonWindow(), Ok);
  EXPECT_EQ(Box.Child(u"zmdEdit"), nullptr);

  // The text stands right of the icon; the button lies inside the client area, below the text.
  RECT Client{};
  ::GetClientRect(Box.Window(), &Client);
  const RECT Icon = ClientRectIn(Box.Child(u"Image"), Box.Window());
  const RECT Text = ClientRectIn(Box.Child(u"zmdText"), Box.Window());
  const RECT Button = ClientRectIn(Ok, Box.Window());
  EXPECT_GT(Text.left, Icon.right);
  EXPECT_GE(Button.top, Text.bottom);
  EXPECT_LE(Button.right, Client.right);
  EXPECT_LE(Button.bottom, Client.bottom);
  // One button: centred.
  EXPECT_LE(std::abs((Button.left - Client.left) - (Client.right - Button.right)), 1);

  QueueClick(Box, Ok);
  String Entered;
  EXPECT_EQ(Box.ShowModal(Entered), mrOk);
}

TEST(ZipDialogBoxTest, YesNoBoxDefaultsToYesAndCancelsWithNo) {
  TZipDialogBox Box(DescribeZipDialog(u"Question", u"Replace?", {mbNo, mbYes},
                                      ZipDialogContext(kZipDlgConfirmation, 1)),
                    nullptr);
  Box.Build();
  EXPECT_EQ(TextOf(Box.Child(u"ZFDlg191")), u"&Yes");  // fixed order, whatever the set's order
  EXPECT_EQ(TextOf(Box.Child(u"ZFDlg192")), u"&No");
  EXPECT_EQ(Box.DefaultButtonWindow(), Box.Child(u"ZFDlg191"));
  EXPECT_EQ(Box.CancelButtonWindow(), Box.Child(u"ZFDlg192"));
  // Escape arrives as IDCANCEL: the cancel button's result.
  ::PostMessageW(Box.Window(), WM_COMMAND, IDCANCEL, 0);
  String Entered;
  EXPECT_EQ(Box.ShowModal(Entered), mrNo);
}

TEST(ZipDialogBoxTest, PasswordBoxReturnsTheTypedText) {
  TZipDialogBox Box(DescribeZipDialog(u"Password", u"Enter Password ", {mbOK, mbCancel, mbAll},
                                      ZipDialogContext(kZipDlgPassword, 10003)),
                    nullptr);
  Box.Build();
  EXPECT_EQ(Box.Child(u"Image"), nullptr);
  HWND Edit = Box.Child(u"zmdEdit");
  ASSERT_NE(Edit, nullptr);
  EXPECT_NE(::GetWindowLongW(Edit, GWL_STYLE) & ES_PASSWORD, 0);
  EXPECT_EQ(::SendMessageW(Edit, EM_GETPASSWORDCHAR, 0, 0), L'*');
  EXPECT_EQ(TextOf(Box.Child(u"ZFDlg193")), u"CancelAll");
  const RECT Text = ClientRectIn(Box.Child(u"zmdText"), Box.Window());
  EXPECT_GE(ClientRectIn(Edit, Box.Window()).top, Text.bottom);
  ::SetWindowTextW(Edit, L"letmein");
  QueueClick(Box, Box.Child(u"ZFDlg191"));
  String Entered;
  EXPECT_EQ(Box.ShowModal(Entered), mrOk);
  EXPECT_EQ(Entered, u"letmein");
}

TEST(ZipDialogBoxTest, CancelAllButtonAndClosing) {
  const auto Desc = DescribeZipDialog(u"Password", u"Enter Password ", {mbOK, mbCancel, mbAll},
                                      ZipDialogContext(kZipDlgPassword, 10003));
  {
    TZipDialogBox Box(Desc, nullptr);
    Box.Build();
    QueueClick(Box, Box.Child(u"ZFDlg193"));
    String Entered;
    EXPECT_EQ(Box.ShowModal(Entered), mrAll);
  }
  {
    TZipDialogBox Box(Desc, nullptr);
    Box.Build();
    ::PostMessageW(Box.Window(), WM_CLOSE, 0, 0);
    String Entered;
    EXPECT_EQ(Box.ShowModal(Entered), mrCancel);
  }
}

TEST(ZipDialogBoxTest, CoreShowsItsBoxThroughTheWindowPresenter) {
  // A box shown by the worker: the presenter builds a real window; a timer presses its button.
  TZFCore Core;
  Core.DialogPresenter = std::make_shared<TZFWindowDialog>();
  const UINT_PTR Timer = ::SetTimer(nullptr, 0, 50, &PressCancelOfOpenBox);
  EXPECT_EQ(Core.ZipMessageDlg(u"Zip file could not be opened", kShowMsgContext), mrOk);
  ::KillTimer(nullptr, Timer);
}

}  // namespace
}  // namespace vlm
