// Undo steps: whole edits, exact restores, a bounded number of levels.

#include "TUndoHistory.h"

#include <gtest/gtest.h>

#include "KMemoryStream.h"
#include "TLayout.h"
#include "TLayoutObject.h"

namespace {

class TUndoHistoryTest : public ::testing::Test {
  protected:
    TUndoHistoryTest() {
        layout.AddObject(0)->SetPosition(20, 30);
        layout.AddObject(1)->SetPosition(200, 40);
    }
    std::string Bytes() {
        KMemoryStream stream;
        layout.Write(stream);
        return stream.TakeBytes();
    }
    TLayoutObject& Backmost() { return *layout.State().objects.Head(); }
    void Move(int32_t dx) {
        history.Begin();
        TLayoutObject& o = Backmost();
        o.SetPosition(o.X() + dx, o.Y());
        history.End();
    }

    TLayout layout;
    TUndoHistory history{layout};
};

TEST_F(TUndoHistoryTest, UndoAndRedoRestoreTheBytesOfEveryStep) {
    const std::string original = Bytes();
    Move(5);
    const std::string moved = Bytes();
    history.Begin();
    layout.AddObject(2);
    history.End();
    const std::string added = Bytes();
    history.Begin();
    layout.RemoveObject(&Backmost());
    history.End();
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(Bytes(), added);
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(Bytes(), moved);  // the id counter went back with the added object
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(Bytes(), original);
    EXPECT_FALSE(history.Undo());
    ASSERT_TRUE(history.Redo());
    ASSERT_TRUE(history.Redo());
    EXPECT_EQ(Bytes(), added);
    // A new step forgets what could still be redone.
    Move(1);
    EXPECT_FALSE(history.CanRedo());
}

TEST_F(TUndoHistoryTest, AnEditIsOneStepOnlyWhenItChangedSomething) {
    history.Begin();
    Move(1);  // a command made of commands
    Move(1);
    history.End();
    history.Begin();
    Backmost().SetPosition(Backmost().X(), Backmost().Y());
    history.End();
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(Backmost().X(), 20);
    EXPECT_FALSE(history.CanUndo());
}

TEST_F(TUndoHistoryTest, TheOldestStepsGoBeyondTheLevels) {
    history.SetLevels(25);
    for (int i = 0; i < 30; ++i) Move(1);
    int undone = 0;
    while (history.Undo()) ++undone;
    EXPECT_EQ(undone, 25);
    EXPECT_EQ(Backmost().X(), 25);
    history.SetLevels(0);
    Move(1);
    EXPECT_FALSE(history.CanUndo());
}

}  // namespace

TEST_F(TUndoHistoryTest, AnAbandonedEditLeavesTheLayoutAsItWasAndNoStep) {
    Move(5);
    layout.ClearModified();
    const std::string before = Bytes();
    history.Begin();
    Backmost().SetSize(300, 300);
    layout.AddObject(2);
    history.Abandon();
    EXPECT_EQ(Bytes(), before);
    EXPECT_FALSE(layout.IsModified());
    EXPECT_FALSE(history.CanRedo());
    ASSERT_TRUE(history.Undo());  // the earlier move, not the abandoned edit
    EXPECT_FALSE(history.CanUndo());
}
