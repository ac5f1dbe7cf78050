// The program itself, in this process on the offscreen platform: its main
// window's menus while the user lock holds.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "KTestSupport.h"
#include "KZAlerts.h"
#include "TZApplication.h"

namespace {

QMainWindow* MainWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<QMainWindow*>(widget)) return window;
    }
    return nullptr;
}

// Whether each item of a menu is enabled once it is about to open, by its
// text without the accelerator's ampersand and the shortcut after the tab.
std::map<QString, bool> ItemsAsOpened(QMenu* menu) {
    emit menu->aboutToShow();
    std::map<QString, bool> enabled;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator())
            enabled[action->text().remove('&').section('\t', 0, 0)] = action->isEnabled();
    }
    return enabled;
}

// The program's arguments for a run of two seconds in a home of its own,
// with runtime and configuration folders of its own.
class ShortRun {
  public:
    ShortRun() {
        std::filesystem::create_directory(folder.Path("run"));
        std::filesystem::permissions(folder.Path("run"), std::filesystem::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", folder.Path("run").c_str(), 1);
        setenv("XDG_CONFIG_HOME", folder.Path("config").c_str(), 1);
        for (std::string& a : args_) argv_.push_back(a.data());
    }
    int Argc() const { return static_cast<int>(argv_.size()); }
    char** Argv() { return argv_.data(); }

    KTestFolder folder;

  private:
    std::vector<std::string> args_ = {"tessaron",     "--home", folder.Path(),
                                      "--quit-after", "2",      "-noserialport"};
    std::vector<char*> argv_;
};

TEST(TZMainWindow, TheLockDisablesOptionsLockAboutAndWhatChangesLayouts) {
    ShortRun run;
    run.folder.Put("tessaron.cfg",
                   "Registry Version: 1.00\n\\General\\:=\n\\General\\Unlock:String=ab\n");
    TZApplication program(run.Argc(), run.Argv());

    std::map<QString, bool> file, edit, help;
    QTimer::singleShot(300, [&] {
        QMainWindow* window = MainWindow();
        ASSERT_NE(window, nullptr);
        const QList<QAction*> menus = window->menuBar()->actions();
        ASSERT_EQ(menus.size(), 6);  // File, Edit, Layout, View, Window, Help
        program.Lock().Lock();
        file = ItemsAsOpened(menus[0]->menu());
        edit = ItemsAsOpened(menus[1]->menu());
        help = ItemsAsOpened(menus[5]->menu());
        // Typing the text unlocks, so that the program may end.
        for (KChar c : {u'a', u'b'}) program.Lock().Type(c);
    });
    EXPECT_EQ(program.Run(), 0);
    EXPECT_EQ(file, (std::map<QString, bool>{{"New", false},
                                             {"Open...", false},
                                             {"Close window", true},
                                             {"Create profile...", false},
                                             {"Save", false},
                                             {"Save as...", false},
                                             {"Memorize layouts", false},
                                             {"Options...", false},
                                             {"Exit", true},
                                             {"Lock", false}}));
    ASSERT_FALSE(edit.empty());
    for (const auto& [item, enabled] : edit) EXPECT_FALSE(enabled) << item.toStdString();
    EXPECT_EQ(help, (std::map<QString, bool>{{"About...", false}}));
}

// Help|About names the version the build was given, with its day of release.
TEST(TZMainWindow, AboutShowsTheVersion) {
    ShortRun run;
    TZApplication program(run.Argc(), run.Argv());

    QString title, text;
    QTimer::singleShot(300, [&] {
        program.Alerts().SetResponder(
            [&](KZAlerts::Kind, const QString& boxTitle, const QString& boxText) {
                title = boxTitle;
                text = boxText;
                return KZAlerts::Answer::kOk;
            });
        QMainWindow* window = MainWindow();
        ASSERT_NE(window, nullptr);
        const QList<QAction*> menus = window->menuBar()->actions();
        ASSERT_EQ(menus.size(), 6);
        menus[5]->menu()->actions().first()->trigger();
    });
    EXPECT_EQ(program.Run(), 0);
    EXPECT_EQ(title.toStdString(), "About Tessaron");
    EXPECT_EQ(text.toStdString(), "Version: " TESSARON_VERSION "\nReleased: " TESSARON_RELEASED);
}

}  // namespace
