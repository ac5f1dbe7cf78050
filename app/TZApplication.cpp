#include "TZApplication.h"

#include <sys/resource.h>

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "KSerialPort.h"
#include "KUtf8.h"
#include "KZMonitors.h"
#include "TProgramHome.h"
#include "TSources.h"
#include "TZMainWindow.h"

namespace {

KString Text(const std::string& utf8) {
    KString text(63, KString::kMaxLimit);
    KAppendUtf8(text, utf8);
    return text;
}

// The board must keep its pace when the machine is busy: a higher
// scheduling priority, where the user is allowed one (root, CAP_SYS_NICE, a
// service's Nice=, or a nice limit in limits.conf). False when refused.
bool RaisePriority() {
    constexpr int kNice = -5;
    errno = 0;
    const int now = getpriority(PRIO_PROCESS, 0);
    if (errno == 0 && now <= kNice) return true;
    return setpriority(PRIO_PROCESS, 0, kNice) == 0;
}

// Ends the loops of the dialogs and menus open over the main window, the
// topmost first, each as if the user had cancelled it.
void CloseModalWindows() {
    for (int i = 0; i < 100; ++i) {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            popup->close();
        } else if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialog->done(QDialog::Rejected);
        } else {
            return;
        }
    }
}

bool CtrlAndShiftHeld() {
    const Qt::KeyboardModifiers held = QGuiApplication::queryKeyboardModifiers();
    return (held & Qt::ControlModifier) && (held & Qt::ShiftModifier);
}

}  // namespace

TZApplication::TZApplication(int argc, char** argv) : arguments_(argv, argv + argc) {}

TZApplication::~TZApplication() {
    qApp->removeEventFilter(this);
}

const char* TZApplication::FindArgument(const char* option) const {
    const std::string_view wanted(option);
    for (size_t i = 1; i < arguments_.size(); ++i) {
        if (std::string_view(arguments_[i]).starts_with(wanted)) return arguments_[i].c_str();
    }
    return nullptr;
}

// Options that take a value: the folder of the program's files, the seconds
// to run before exiting by itself (a demo without a person), and a PNG file
// that receives the display window's last picture at exit.
constexpr const char* kValueOptions[] = {"--home", "--quit-after", "--display-png"};

const char* TZApplication::OptionValue(const char* option) const {
    for (size_t i = 1; i + 1 < arguments_.size(); ++i)
        if (arguments_[i] == option) return arguments_[i + 1].c_str();
    return nullptr;
}

std::vector<std::string> TZApplication::LayoutArguments() const {
    std::vector<std::string> files;
    for (size_t i = 1; i < arguments_.size(); ++i) {
        const std::string& a = arguments_[i];
        if (std::find(std::begin(kValueOptions), std::end(kValueOptions), a) !=
            std::end(kValueOptions)) {
            ++i;  // its value follows
        } else if (!a.empty() && !a.starts_with("-")) {
            files.push_back(std::filesystem::absolute(a).string());
        }
    }
    return files;
}

int TZApplication::SendToRunningCopy(const std::vector<std::string>& files) const {
    int code = 0;
    for (const std::string& file : files) {
        switch (SendRequest(RequestSocketPath(), "OpenLayout,\"" + file + "\"")) {
            case KRequestReply::kAck:
                break;
            case KRequestReply::kBusy:
            case KRequestReply::kError:
                code = 2;
                break;
            case KRequestReply::kNoServer:
                return -1;
        }
    }
    return code;
}

int TZApplication::Run() {
    copies_ = std::make_unique<KCopyCounter>(KCopyCounter::DefaultFolder());
    const std::vector<std::string> files = LayoutArguments();
    if (copies_->Number() > 1 && !files.empty()) {
        // Another copy runs: it opens them; this one saves nothing.
        if (const int code = SendToRunningCopy(files); code >= 0) return code;
    }
    if (!StartUp()) return 0;
    stopSignals_ = std::make_unique<KStopSignals>();
    // -plainpause: the loop of old, a pass every millisecond, for comparison.
    loop_ = std::make_unique<TZEventLoop>(*this, !FindArgument("-plainpause"));
    const int code = loop_->Run();
    Shutdown();
    return code;
}

bool TZApplication::StartUp() {
    KRegistry& settings = settings_.Registry();
    // Alerts are shown before the settings are read with the defaults only.
    alerts_ = std::make_unique<KZAlerts>(settings);
    const bool higherPriority = RaisePriority();
    const bool first = copies_->Number() == 1;
    // A display PC: the board on its monitor, the main window out of the way.
    // Started at each login, it leaves the board to a copy that runs already.
    const bool kiosk = FindArgument("--kiosk") != nullptr;
    if (!first && kiosk) return false;
    const bool serving = first && requests_.Open(RequestSocketPath());
    if (settings_.Start(ResolveProgramHome(OptionValue("--home"))) != 0)
        alerts_->ShowError(kErrConfigLoad);
    ReadProfileName(&profile_);  // as start-up left it: a missing profile is none
    if (first && !serving) alerts_->ShowError(kErrRequestServer);
    lock_ = std::make_unique<TZUserLock>(settings);
    if (!first) {
        KString title(63, KString::kMaxLimit);
        title.Append(settings.StringOf(KString(u"\\Strings\\Alerts\\CopyTitle")));
        title.Append(KString(u" ")).AppendInt(copies_->Number());
        // Unless confirmed, this copy ends here and saves nothing.
        if (!alerts_->Ask(title, settings.StringOf(KString(u"\\Strings\\Alerts\\CopyText"))))
            return false;
    }
    log_ = std::make_unique<KLog>(Text(settings_.Home() + "/tessaron.log"));
    KLog::SetProgramLog(log_.get());
    if (!higherPriority)
        log_->Write(
            KString(u"TZApplication::StartUp: a higher priority (nice -5) is not "
                    u"permitted; the program runs at its normal priority"));
    TZDisplayWindow::AdjustAtStartUp(settings);
    KSerialPorts::Program().Enumerate(settings, FindArgument("-noserialport") != nullptr);
    TSources::Prepare(settings, settings_.ConfigLoaded());
    fonts_ = std::make_unique<K3DFonts>(settings, settings_.Home(), log_.get());
    surface_ = std::make_unique<KZDisplaySurface>(this);
    screens_ = std::make_unique<KMirroredSurface>(*surface_);
    engine_ = std::make_unique<TDisplayEngine>(settings, settings_.Home(), *fonts_, *screens_,
                                               clock_, KZMonitors(), log_.get());
    engine_->StartSources();
    StartWeb();
    surface_->show();
    mainWindow_ = std::make_unique<TZMainWindow>(*this);
    alerts_->SetParent(mainWindow_.get());
    mainWindow_->RestorePlacement();
    if (kiosk)
        mainWindow_->showMinimized();
    else
        mainWindow_->show();
    qApp->installEventFilter(this);
    engine_->Layouts().RestoreLayouts();
    OpenArguments();
    StartRecovery();
    if (const char* seconds = OptionValue("--quit-after"))
        quitAtMs_ =
            clock_.Ms() + std::clamp(std::strtol(seconds, nullptr, 10), 0L, 1000000000L) * 1000;
    return true;
}

void TZApplication::StartWeb() {
    const TWebOutput::Options options = TWebOutput::FromSettings(Settings());
    if (options.server.port == 0) return;
    web_ = std::make_unique<TWebOutput>(*engine_, *screens_);
    std::string error;
    if (web_->Start(options, &error)) {
        log_->Write(Text("TZApplication: the web output serves http://" + options.server.address +
                         ":" + std::to_string(web_->Port()) + "/"));
        return;
    }
    web_.reset();
    log_->Write(Text("TZApplication: the web output does not start: " + error), u'E');
    alerts_->ShowError(Settings().StringOf(KString(u"\\Strings\\Alerts\\WebRefused")), Text(error));
}

void TZApplication::OpenArguments() {
    for (const std::string& file : LayoutArguments()) engine_->Layouts().OpenLayout(Text(file));
}

void TZApplication::StartRecovery() {
    const std::string& config = settings_.ConfigPath();
    const size_t slash = config.rfind('/');
    recovery_ = std::make_unique<TLayoutRecovery>(
        slash == std::string::npos ? settings_.Home() : config.substr(0, slash));
    KRegistry& settings = Settings();
    if (recovery_->Exists()) {
        // A refused recovery is gone for good, as a finished one.
        if (alerts_->Ask(settings.StringOf(KString(u"\\Strings\\Alerts\\RecoverTitle")),
                         settings.StringOf(KString(u"\\Strings\\Alerts\\RecoverText"))))
            recovery_->Restore(engine_->Layouts());
        recovery_->Remove();
    }
    recoveryTimer_.callOnTimeout(this, [this] { recovery_->Write(engine_->Layouts()); });
    recoveryTimer_.start(kRecoveryMs);
}

void TZApplication::MemorizeIfAsked() {
    const KRInt* restore = Settings().FindInt(KString(u"\\Layout\\RestoreOpen"));
    if (restore && (restore->value & 2)) engine_->Layouts().MemorizeLayouts();
}

void TZApplication::Exit() {
    if (lock_->IsLocked()) return;
    // Remembered once every layout is saved, so that one named on the way
    // out opens again too.
    if (!mainWindow_->AgreeToExit()) return;
    MemorizeIfAsked();
    recovery_->Remove();  // every change was saved or given up
    loop_->Quit(0);
}

void TZApplication::EndBySignal() {
    endedBySignal_ = true;
    log_->Write(KString(u"TZApplication: a stop signal ends the program"));
    mainWindow_->LogModifiedLayouts();
    recovery_->Write(engine_->Layouts());
    CloseModalWindows();
    // After the settings editor, which applies its text as it closes: it
    // may be editing a memorised layout's value, which memorising replaces.
    MemorizeIfAsked();
    loop_->Quit(0);
}

void TZApplication::SaveSettings() {
    if (endedBySignal_) return;  // the shutdown saves, last
    if (settings_.Save() != 0) alerts_->ShowError(kErrConfigSave);
}

void TZApplication::Shutdown() {
    recoveryTimer_.stop();
    qApp->removeEventFilter(this);
    if (const char* png = OptionValue("--display-png")) surface_->Image().save(png, "PNG");
    mainWindow_->StorePlacement();
    alerts_->SetParent(nullptr);  // later alerts have no window to belong to
    mainWindow_.reset();
    web_.reset();     // its threads end before the engine goes
    engine_.reset();  // stops the sources
    screens_.reset();
    surface_.reset();
    fonts_.reset();
    if (CtrlAndShiftHeld()) settings_.ExportLanguage();
    const int saved = settings_.Save();
    // After a stop signal nobody may be there to answer an alert.
    if (saved != 0 && endedBySignal_)
        log_->Write(KString(u"TZApplication::Shutdown: the configuration could not be saved"),
                    u'E');
    else if (saved != 0)
        alerts_->ShowError(kErrConfigSave);
    KLog::SetProgramLog(nullptr);
}

bool TZApplication::IdlePass(int32_t) {
    if (stopSignals_->Take() && !endedBySignal_) EndBySignal();
    if (quitAtMs_ >= 0 && clock_.Ms() >= quitAtMs_) {
        quitAtMs_ = -1;
        Exit();  // as if the user chose File|Exit
    }
    requests_.Poll([this](const std::string& request) { return engine_->Request(Text(request)); },
                   clock_.Ms());
    const bool received = engine_->Pass();
    if (web_) web_->Pass();
    return received;
}

bool TZApplication::NoDelay() {
    return engine_->Window().NoDelay();
}

void TZApplication::WaitDescriptors(std::vector<int>& out) {
    if (TSources* sources = engine_->Sources()) sources->WaitDescriptors(out);
    requests_.WaitDescriptors(out);
    if (web_ && web_->Descriptor() >= 0) out.push_back(web_->Descriptor());
    if (stopSignals_->Descriptor() >= 0) out.push_back(stopSignals_->Descriptor());
}

int64_t TZApplication::MsUntilDue() {
    const int64_t now = clock_.Ms();
    int64_t due = std::min(engine_->MsUntilDue(), requests_.PollDueIn(now));
    if (quitAtMs_ >= 0) due = std::min(due, std::max<int64_t>(quitAtMs_ - now, 0));
    return due;
}

void TZApplication::LoopFailed() {
    alerts_->ShowError(kErrLoopException);
}

void TZApplication::RedrawNeeded(const KRect& rect) {
    if (engine_) engine_->Window().Paint(rect);
}

void TZApplication::KeyPressed(int32_t functionKey, KChar character, uint32_t modifiers) {
    if (engine_) engine_->KeyPress(functionKey, character, modifiers);
}

void TZApplication::MenuRequested(const QPoint& desktop) {
    if (mainWindow_) mainWindow_->ShowLayoutMenu(desktop);
}

bool TZApplication::eventFilter(QObject* watched, QEvent* event) {
    // While locked, what is typed goes to the lock and nowhere else.
    if (!lock_ || !lock_->IsLocked()) return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        for (QChar c : text) {
            if (lock_->Type(c.unicode())) QApplication::beep();
        }
        return true;
    }
    return event->type() == QEvent::KeyRelease || event->type() == QEvent::ShortcutOverride;
}
