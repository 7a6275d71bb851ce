// ui/main_form.cpp -- the main window: its components with their places, fonts and colours, the
// event bindings, the close rule and the window's own handlers (toggles, dot timer, progress).
#include "ui/main_form.h"

#include <exception>

#include "runtime/application.h"
#include "runtime/socket.h"
#include "ui/dialog/overwrite_dialog.h"

namespace vlm {

namespace {

constexpr int kClientWidth = 770;
constexpr int kClientHeight = 460;
// How often the progress handlers process messages at most: the progress bar's animation tick.
constexpr std::chrono::milliseconds kPumpInterval{10};

// The labels' font: Tahoma at a character height in pixels (96 dpi).
TFont Tahoma(int Height, bool Bold = false) {
  return TFont{u"Tahoma", Height, Bold, clBlack};
}

std::unique_ptr<TSmoothLabel> MakeLabel(TForm& Form, int Left, int Top, int Width, int Height,
                                        const char16_t* Caption, int FontHeight,
                                        TLabelLocation Location) {
  auto Label = std::make_unique<TSmoothLabel>(Form, Left, Top, Width, Height);
  Label->SetCaption(Caption);
  Label->SetFont(Tahoma(FontHeight));
  Label->SetLocation(Location);
  return Label;
}

std::unique_ptr<TSmoothStatusIndicator> MakeToggle(TForm& Form, int Left, int Top) {
  auto Toggle = std::make_unique<TSmoothStatusIndicator>(Form, Left, Top, 31, 33);
  TSmoothStatusAppearance Look;
  Look.Fill.GradientType = TGradientType::Solid;
  Look.Fill.Color = kToggleOnColor;
  Look.Fill.BorderColor = 0x808080;
  Look.Fill.BorderWidth = 1;
  Look.Font = Tahoma(16, /*Bold=*/true);
  Toggle->SetAppearance(Look);
  Toggle->SetCaption(u"V");
  return Toggle;
}

}  // namespace

std::optional<double> UnpackBarPosition(TZFProgressType Order, int ItemPerCent) {
  switch (Order) {
    case NewFile:
    case EndOfBatch: return 0.0;
    case ProgressUpdate: return static_cast<double>(ItemPerCent);
    default: return std::nullopt;
  }
}

TMainForm::TMainForm() : TForm(L"TMainForm", kClientWidth, kClientHeight) {
  Application().SetHandle(Handle());
  CreateComponents();
  BindEvents();
  DescribeForScreenReaders();
  try {
    FormCreate(this);
  } catch (...) {
    // The window opens all the same; the rest of the creation handler does not run.
    Application().HandleException(std::current_exception());
  }
}

TMainForm::~TMainForm() {
  SocketSetIdleHook({});
  DropAccessible();  // it names the controls, which go before the window does
  if (Application().Handle() == Handle()) Application().SetHandle(nullptr);
}

void TMainForm::CreateComponents() {
  // Windowless controls, in painting order: later ones paint over earlier ones.
  Image1 = std::make_unique<TImage>(*this, 175, 95, 593, 361);
  Image1->LoadFromResource(L"IMAGE1");
  SmoothLabel1 = MakeLabel(*this, 145, 8, 617, 81, u"Velmora", 64, TLabelLocation::CenterCenter);
  SmoothLabel2 = MakeLabel(*this, 624, 56, 160, 81, u"Setup", 37, TLabelLocation::CenterCenter);
  SmoothLabel3 = MakeLabel(*this, 20, 216, 287, 33, u"Installation directory :", 27,
                           TLabelLocation::CenterCenter);
  StartMenuCheckbox = MakeToggle(*this, 26, 135);
  SmoothLabel4 = MakeLabel(*this, 63, 135, 338, 33, u"Create entry in Start menu", 27,
                           TLabelLocation::CenterLeft);
  SmoothLabel5 = MakeLabel(*this, 63, 174, 314, 33, u"Create desktop shortcut", 27,
                           TLabelLocation::CenterLeft);
  DesktopShortcutCheckbox = MakeToggle(*this, 26, 174);
  ProgressText =
      MakeLabel(*this, 20, 383, 287, 33, u"Downloading...", 27, TLabelLocation::CenterLeft);
  ProgressText->SetVisible(false);

  // Windowed controls, in tab order: the button, the bar, the folder.
  InstallButton = std::make_unique<TSmoothButton>(*this, 26, 303, 175, 73);
  InstallButton->SetCaption(u"Install");
  TSmoothButtonAppearance ButtonLook;
  ButtonLook.Font = Tahoma(37);
  InstallButton->SetAppearance(ButtonLook);
  InstallButton->SetColor(0x808080);

  ProgressBar = std::make_unique<TSmoothProgressBar>(*this, 26, 422, 281, 19);
  ProgressBar->BackGroundFill.GradientType = TGradientType::Solid;
  ProgressBar->BackGroundFill.Color = 0xAFD2FF;
  ProgressBar->BackGroundFill.ColorTo = 0xAFD2FF;
  ProgressBar->BackGroundFill.BorderColor = 0xC0C0C0;
  ProgressBar->BackGroundFill.Rounding = 0;
  ProgressBar->ProgressFill.Color = 0x00FF00;
  ProgressBar->ProgressFill.ColorTo = 0x00FF00;
  ProgressBar->ProgressFill.ColorMirror = 0x00FF00;
  ProgressBar->ProgressFill.ColorMirrorTo = 0x00FF00;
  ProgressBar->ProgressFill.BorderColor = 0xADD1FF;
  ProgressBar->ProgressFill.Rounding = 0;
  ProgressBar->SetMaximum(100);
  ProgressBar->SetMinimum(0);
  ProgressBar->SetStep(10);
  ProgressBar->SetVisible(false);

  InstallDirectory = std::make_unique<TDirectoryEdit>(Handle(), 26, 256, 351, 31, Scale());
  // The text stored with the form; the creation handler sets the real folder.
  InstallDirectory->SetText(u"InstallDirectory");

  // Non-visual components.
  NetHTTP1 = std::make_unique<TNetHTTP>();
  ApplyInstallerSettings(*NetHTTP1);
  ZipFront = std::make_unique<TZipFront19>();
  OverwriteDialog = std::make_unique<TSmoothMessageDialog>(Handle());
  ConfigureOverwriteDialog(*OverwriteDialog);
  Timer1 = std::make_unique<TTimer>();
  Timer1->SetInterval(1000);
  Timer1->SetEnabled(false);
}

void TMainForm::BindEvents() {
  StartMenuCheckbox->OnClick = [this](TObject* Sender) { StartMenuCheckboxClick(Sender); };
  DesktopShortcutCheckbox->OnClick = [this](TObject* Sender) {
    DesktopShortcutCheckboxClick(Sender);
  };
  InstallButton->OnClick = [this](TObject* Sender) { RunInstallButtonClick(Sender); };
  Timer1->OnTimer = [this](TObject* Sender) { Timer1Timer(Sender); };
  NetHTTP1->OnWorkBegin = [this](TNetComponent& Sender, TWorkMode Mode, int64_t Max) {
    NetHTTP1WorkBegin(Sender, Mode, Max);
  };
  NetHTTP1->OnWork = [this](TNetComponent& Sender, TWorkMode Mode, int64_t Count) {
    NetHTTP1Work(Sender, Mode, Count);
  };
  NetHTTP1->OnWorkEnd = [this](TNetComponent& Sender, TWorkMode Mode) {
    NetHTTP1WorkEnd(Sender, Mode);
  };
  ZipFront->OnProgress = [this](TObject* Sender, TZFProgressDetails& Details) {
    ZipFrontProgress(Sender, Details);
  };
  // While a download waits for the network (name, connect, send, receive), this thread keeps
  // processing the window's messages, as the work events do between blocks: a slow or silent
  // server must not make the window stop answering.
  SocketSetIdleHook([] { Application().ProcessMessages(); });
}

void TMainForm::RunInstallButtonClick(TObject* Sender) {
  // Marks the installation as running for the close rule, also when the handler raises.
  struct RunningMark {
    bool& Flag;
    bool Saved;
    explicit RunningMark(bool& F) : Flag(F), Saved(F) { Flag = true; }
    ~RunningMark() { Flag = Saved; }
  } Mark(FInstallRunning);
  InstallButtonClick(Sender);
}

void TMainForm::CloseRequested() {
  if (FInstallRunning) {
    // The window stays; the install sequence notices the request in its wait and the program
    // ends once the handler is back in the message loop.
    Application().Terminate();
    return;
  }
  TForm::CloseRequested();
}

void TMainForm::FlipToggle(TObject* Sender) {
  auto* Toggle = dynamic_cast<TSmoothStatusIndicator*>(Sender);
  if (!Toggle) return;
  if (Toggle->FillColor() == kToggleOffColor) {
    Toggle->SetFillColor(kToggleOnColor);
    Toggle->SetCaption(u"V");
  } else {
    Toggle->SetFillColor(kToggleOffColor);
    Toggle->SetCaption(u"X");
  }
}

void TMainForm::StartMenuCheckboxClick(TObject* Sender) {
  FlipToggle(Sender);
}

void TMainForm::DesktopShortcutCheckboxClick(TObject* Sender) {
  FlipToggle(Sender);
}

void TMainForm::Timer1Timer(TObject*) {
  ProgressText->SetCaption(ProgressText->Caption() + u".");
}

void TMainForm::ProcessMessagesPerTick() {
  const auto Now = std::chrono::steady_clock::now();
  if (Now - FLastPump < kPumpInterval) return;
  FLastPump = Now;
  Application().ProcessMessages();
}

void TMainForm::NetHTTP1WorkBegin(TNetComponent&, TWorkMode, int64_t AWorkCountMax) {
  ProgressBar->SetMaximum(static_cast<double>(AWorkCountMax));
  ProgressBar->SetPosition(0);
  Application().ProcessMessages();
}

void TMainForm::NetHTTP1Work(TNetComponent&, TWorkMode, int64_t AWorkCount) {
  ProgressBar->SetPosition(static_cast<double>(AWorkCount));
  ProcessMessagesPerTick();
}

void TMainForm::NetHTTP1WorkEnd(TNetComponent&, TWorkMode) {
  ProgressBar->SetPosition(0);
  Application().ProcessMessages();
}

void TMainForm::ZipFrontProgress(TObject*, TZFProgressDetails& Details) {
  if (const auto Position = UnpackBarPosition(Details.Order(), Details.ItemPerCent()))
    ProgressBar->SetPosition(*Position);
  ProcessMessagesPerTick();
}

}  // namespace vlm
