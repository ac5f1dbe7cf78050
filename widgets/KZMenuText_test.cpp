#include "KZMenuText.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QKeySequence>
#include <QMenu>

#include "KRegistry.h"
#include "KTestSupport.h"
#include "KZMenuAction.h"
#include "KZText.h"
#include "TDefaultSettings.h"
#include "TTrigger.h"

namespace {

class MenuTextTest : public testing::Test {
  protected:
    MenuTextTest() { ApplyDefaultSettings(settings); }

    // What the menu shows, the shortcut the item carries, and its mnemonic,
    // read from the menu the item was made for.
    struct Item {
        QString shown;
        QKeySequence shortcut;
        QKeySequence mnemonic;
    };
    Item Make(const std::string& text) {
        QMenu menu;
        KZNewMenuAction(settings, KTestText(text), &menu);
        const QList<QAction*> items = menu.actions();
        EXPECT_EQ(items.size(), 1);
        if (items.isEmpty()) return {};
        const QAction* action = items.front();
        return {action->text(), action->shortcut(), QKeySequence::mnemonic(action->text())};
    }

    KRegistry settings;
};

TEST_F(MenuTextTest, AcceleratorsTakeTheirModifiersAndKeys) {
    struct Case {
        const char* text;
        const char* shown;
        QKeySequence shortcut;
    };
    const Case cases[] = {
        {"&New,N", "&New\tCtrl+N", QKeySequence(Qt::CTRL | Qt::Key_N)},
        // A single letter, or a rest that is no key name, is Ctrl and its first character.
        {"&Duplicate,D", "&Duplicate\tCtrl+D", QKeySequence(Qt::CTRL | Qt::Key_D)},
        {"E&xport,Xy", "E&xport\tCtrl+X", QKeySequence(Qt::CTRL | Qt::Key_X)},
        {"&Remove,Del", "&Remove\tDel", QKeySequence(Qt::Key_Delete)},
        {"&Clear,A+C", "&Clear\tAlt+C", QKeySequence(Qt::ALT | Qt::Key_C)},
        {"&Big,S+B", "&Big\tShift+Ctrl+B", QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_B)},
        {"&Page,C+PgDn", "&Page\tCtrl+PgDn", QKeySequence(Qt::CTRL | Qt::Key_PageDown)},
        {"&Go,A+Enter", "&Go\tAlt+Enter", QKeySequence(Qt::ALT | Qt::Key_Return)},
        // Key names are exact: "del" is the letter d.
        {"&Lower,del", "&Lower\tCtrl+d", QKeySequence(Qt::CTRL | Qt::Key_D)},
        // Function keys show their number (no default text for "Func").
        {"&Help,F1", "&Help\t1", QKeySequence(Qt::Key_F1)},
        {"&All,S+C+A+F12", "&All\tShift+Ctrl+Alt+12",
         QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::ALT | Qt::Key_F12)},
        // "F" without a digit is a letter; prefixes stop when fewer than three characters remain.
        {"&Find,Fx", "&Find\tCtrl+F", QKeySequence(Qt::CTRL | Qt::Key_F)},
        {"&Plus,C++", "&Plus\tCtrl++", QKeySequence(Qt::CTRL | Qt::Key_Plus)},
        {"&Alone,A+", "&Alone\tCtrl+A", QKeySequence(Qt::CTRL | Qt::Key_A)},
        // No comma, or nothing after it: no accelerator and no tab.
        {"&Cascade", "&Cascade", QKeySequence()},
        {"&Empty,", "&Empty", QKeySequence()},
        {"&Only,S+C+", "&Only\tShift+Ctrl+C", QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_C)},
        // A number too large for any keyboard is shown but has no shortcut.
        {"&Far,F99999999999", "&Far\t99", QKeySequence()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Item item = Make(c.text);
        EXPECT_EQ(item.shown, QString::fromUtf8(c.shown));
        EXPECT_EQ(item.shortcut, c.shortcut);
    }
}

TEST_F(MenuTextTest, ShownTextsComeFromTheSettings) {
    settings.ApplyLine(KTestText("Strings\\Menu\\Ctrl:String="));
    EXPECT_EQ(Make("&New,N").shown, "&New\t+N");
    settings.ApplyLine(KTestText("Strings\\Menu\\Shift:String=Umschalt"));
    settings.ApplyLine(KTestText("Strings\\Menu\\Alt:String=Alt Gr"));
    settings.ApplyLine(KTestText("Strings\\Menu\\Func:String=F"));
    EXPECT_EQ(Make("&Tor,S+A+F5").shown, "&Tor\tUmschalt+Alt Gr+F5");
    // The texts change what is shown, never the key.
    EXPECT_EQ(Make("&New,N").shortcut, QKeySequence(Qt::CTRL | Qt::Key_N));
}

TEST_F(MenuTextTest, CaptionKeepsItsMnemonicAndParsedParts) {
    EXPECT_EQ(Make("Cu&t,X").mnemonic, QKeySequence(Qt::ALT | Qt::Key_T));
    EXPECT_EQ(Make("&File").mnemonic, QKeySequence(Qt::ALT | Qt::Key_F));
    const KZMenuText text(settings, KTestText("Cu&t,C+S+ArUp,ignored"));
    EXPECT_EQ(KUtf8Of(text.Caption()), "Cu&t");
    EXPECT_EQ(text.Modifiers(), uint32_t{kKeyCtrl | kKeyShift});
    EXPECT_EQ(text.NamedKey(), 5);
    EXPECT_EQ(text.FunctionKey(), 0);
    EXPECT_EQ(text.Character(), 0);
}

}  // namespace
