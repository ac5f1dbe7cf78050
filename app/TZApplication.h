#pragma once

#include <QObject>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "K3DFonts.h"
#include "KClock.h"
#include "KCopyCounter.h"
#include "KLog.h"
#include "KMirroredSurface.h"
#include "KRequestSocket.h"
#include "KStopSignals.h"
#include "KZAlerts.h"
#include "KZDisplaySurface.h"
#include "KZScreenEvents.h"
#include "TDisplayEngine.h"
#include "TLayoutRecovery.h"
#include "TSettings.h"
#include "TWebOutput.h"
#include "TZEventLoop.h"
#include "TZUserLock.h"

class TZMainWindow;

// The program: start-up in its order, the loop, and shutdown in its order.
// It owns the settings, the fonts, the display window and its engine, the
// main window, the request socket of the first copy and the user lock.
class TZApplication : public QObject, public TZIdleWork, public KZScreenEvents {
  public:
    // How often unsaved changes are written to the recovery file.
    static constexpr int kRecoveryMs = 30000;

    // argv after the toolkit took its own arguments; a QApplication exists.
    TZApplication(int argc, char** argv);
    ~TZApplication() override;

    // Runs the program; the exit code.
    int Run();
    // The user's exit: memorise, ask about modified layouts, end the loop.
    void Exit();
    // Saves the configuration at once, so that a change the user confirmed
    // survives a crash or a power cut; a failure is alerted.
    void SaveSettings();

    KRegistry& Settings() { return settings_.Registry(); }
    TSettings& Configuration() { return settings_; }
    KZAlerts& Alerts() { return *alerts_; }
    TZUserLock& Lock() { return *lock_; }
    TDisplayEngine& Engine() { return *engine_; }
    const std::string& ProfileName() const { return profile_; }
    // The application directory: configuration, scripts, profiles.
    const std::string& Home() const { return settings_.Home(); }

    bool IdlePass(int32_t count) override;
    bool NoDelay() override;
    void WaitDescriptors(std::vector<int>& out) override;
    int64_t MsUntilDue() override;
    void LoopFailed() override;

    void RedrawNeeded(const KRect& rect) override;
    void KeyPressed(int32_t functionKey, KChar character, uint32_t modifiers) override;
    void MenuRequested(const QPoint& desktop) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The first argument after the program that begins with option.
    const char* FindArgument(const char* option) const;
    // The layout files named on the command line.
    std::vector<std::string> LayoutArguments() const;
    // Hands the layout files to the running copy; the exit code, or -1 when
    // no copy answers.
    int SendToRunningCopy(const std::vector<std::string>& files) const;
    bool StartUp();
    // Memorises the open layouts when Layout\RestoreOpen asks for it (bit 2).
    void MemorizeIfAsked();
    // A stop signal: memorise, close what is open over the main window and
    // end the loop, asking nothing; modified layouts stay as they are on disk.
    void EndBySignal();
    void OpenArguments();
    // Offers the unsaved changes a previous run left, then keeps writing
    // them every kRecoveryMs.
    void StartRecovery();
    // Serves the board on the web when \Web\Port is set; a refusal is alerted.
    void StartWeb();
    void Shutdown();

    // The value after an option ("--home DIR"), or null.
    const char* OptionValue(const char* option) const;

    std::vector<std::string> arguments_;
    int64_t quitAtMs_ = -1;
    std::unique_ptr<KCopyCounter> copies_;
    KMonotonicClock clock_;
    TSettings settings_;
    std::string profile_;
    std::unique_ptr<KZAlerts> alerts_;
    std::unique_ptr<TZUserLock> lock_;
    std::unique_ptr<KLog> log_;
    std::unique_ptr<K3DFonts> fonts_;
    std::unique_ptr<KZDisplaySurface> surface_;
    // The display window's surface with the web board beside it.
    std::unique_ptr<KMirroredSurface> screens_;
    std::unique_ptr<TDisplayEngine> engine_;
    std::unique_ptr<TWebOutput> web_;
    std::unique_ptr<TZMainWindow> mainWindow_;
    KRequestServer requests_;
    std::unique_ptr<TZEventLoop> loop_;
    std::unique_ptr<KStopSignals> stopSignals_;
    std::unique_ptr<TLayoutRecovery> recovery_;
    QTimer recoveryTimer_;
    bool endedBySignal_ = false;
};
