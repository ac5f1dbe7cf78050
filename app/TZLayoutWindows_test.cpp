#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMenu>
#include <QPointer>

#include "KRegistry.h"
#include "KTestSupport.h"
#include "KZAlerts.h"
#include "LayoutTestSupport.h"
#include "TDefaultSettings.h"
#include "TLayout.h"
#include "TLayoutObject.h"
#include "TZLayoutMDI.h"
#include "TZLayoutWindow.h"

namespace {

// A program around the layout windows whose alerts answer as told.
struct Host : TZLayoutHost {
    Host() {
        ApplyDefaultSettings(settings);
        alerts.SetResponder([this](KZAlerts::Kind, const QString& title, const QString& text) {
            asked.push_back(title + "|" + text);
            return answer;
        });
    }
    KRegistry& Settings() override { return settings; }
    KZAlerts& Alerts() override { return alerts; }
    bool IsLocked() const override { return locked; }
    void CloseLayout(TLayout& layout) override { closed = &layout; }

    KRegistry settings;
    KZAlerts alerts{settings};
    KZAlerts::Answer answer = KZAlerts::Answer::kCancel;
    QStringList asked;
    bool locked = false;
    TLayout* closed = nullptr;
};

TEST(TZLayoutWindow, ObjectsAreShownAtTheEditorsScale) {
    TLayout layout;
    KRegistry settings;
    TZLayoutWindow window(layout, settings, 3, 4, nullptr);
    EXPECT_EQ(window.ToWindow(800), 600);
    EXPECT_EQ(window.ToWindow(600), 450);
    const KRect object{100, 40, 249, 89};
    EXPECT_EQ(window.ToWindow(object), (KRect{75, 30, 186, 66}));
    EXPECT_EQ(window.ToLayout(75), 100);
}

TEST(TZLayoutMDI, AModifiedLayoutAsksBeforeItCloses) {
    KTestFolder folder;
    const std::string path = WriteLayoutFile(folder, "Heat.tly", R"({"objects": []})");
    TLayout layout;
    ASSERT_EQ(layout.Load(KTestText(path), true), 0);
    Host host;
    QMdiArea area;
    QPointer<TZLayoutMDI> frame = new TZLayoutMDI(layout, host, {800, 600});
    area.addSubWindow(frame);
    EXPECT_EQ(frame->windowTitle(), "Heat");
    EXPECT_EQ(frame->widget()->size(), QSize(600, 450));
    // Ctrl+W is File|Close window's alone: with two owners it does nothing.
    for (const QAction* action : frame->systemMenu()->actions())
        EXPECT_FALSE(action->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_W)))
            << action->text().toStdString();

    // Unchanged: closes without a question.
    EXPECT_TRUE(frame->AgreeToClose(false));
    EXPECT_TRUE(host.asked.empty());

    layout.SetBackground(kColorRed);  // modified, and the title says so
    EXPECT_EQ(frame->windowTitle(), "Heat*");
    host.locked = true;
    frame->close();  // a locked program keeps its windows
    EXPECT_TRUE(host.asked.empty());
    host.locked = false;

    frame->close();  // cancel: stays
    ASSERT_EQ(host.asked.size(), 1);
    EXPECT_EQ(host.asked[0], "Close Layout Window|'Heat.tly' has changed. Save before closing?");
    EXPECT_EQ(host.closed, nullptr);
    EXPECT_TRUE(frame->AgreeToClose(false) == false);

    host.answer = KZAlerts::Answer::kYes;  // saved, then the exit asks nothing more
    EXPECT_TRUE(frame->AgreeToClose(true));
    EXPECT_FALSE(layout.IsModified());
    EXPECT_EQ(frame->windowTitle(), "Heat");
    EXPECT_TRUE(
        host.asked.last().startsWith("Exit Tessaron|'Heat.tly' has changed. Save before exiting?"));

    layout.SetBackground(kColorBlue);
    host.answer = KZAlerts::Answer::kNo;  // closes without saving
    frame->close();
    EXPECT_EQ(host.closed, &layout);
    EXPECT_TRUE(layout.IsModified());
    QApplication::processEvents();
    EXPECT_TRUE(frame.isNull() || !frame->isVisible());
}

}  // namespace
