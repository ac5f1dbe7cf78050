#include "TLayout.h"

#include <gtest/gtest.h>

#include "KTestSupport.h"
#include "TFields.h"
#include "TLayoutDisplay.h"
#include "TReceiver.h"
#include "TTextObject.h"

namespace {

class CountingDisplay : public TLayoutDisplay {
  public:
    void RedrawObject(TLayoutObject&) override { ++redraws; }
    void DrawObject(TLayoutObject& object) override { drawn.push_back(object.Id()); }
    int redraws = 0;
    std::vector<int32_t> drawn;
};

TLayoutObject* Bitmap(TLayout& layout, int32_t x, int32_t y, int32_t w, int32_t h) {
    TLayoutObject* object = layout.AddObject(1);
    object->SetPosition(x, y);
    object->SetSize(w, h);
    return object;
}

TEST(TLayout, SourceSelection) {
    TLayout layout;
    EXPECT_FALSE(layout.SelectSource(32, true));
    EXPECT_FALSE(layout.SelectSource(-1, true));
    EXPECT_FALSE(layout.IsModified());
    EXPECT_TRUE(layout.SelectSource(31, true));
    EXPECT_EQ(layout.State().sourceMask, 0x80000000u);
    EXPECT_FALSE(layout.SelectSource(31, true));
    EXPECT_TRUE(layout.IsSourceSelected(31));
    EXPECT_FALSE(layout.IsSourceSelected(32));
    EXPECT_TRUE(layout.IsModified());
    EXPECT_FALSE(layout.SetBackground(kColorBlue));
    EXPECT_TRUE(layout.SetBackground(kColorRed));
}

TEST(TLayout, BoundsExtentAndRescale) {
    TLayout layout;
    KRect bounds;
    KSize extent;
    Bitmap(layout, -200, 10, 50, 50);
    Bitmap(layout, 10, -100, 50, 50);
    EXPECT_FALSE(layout.GetBounds(bounds));
    EXPECT_FALSE(layout.AutoResize(KSize{640, 480}));

    TLayout other;
    Bitmap(other, 20, 10, 50, 20);
    Bitmap(other, 60, 40, 60, 20);  // right 119, bottom 59
    Bitmap(other, -500, 0, 10, 10);
    ASSERT_TRUE(other.GetBounds(bounds));
    EXPECT_EQ(bounds.left, 20);
    EXPECT_EQ(bounds.top, 10);
    EXPECT_EQ(bounds.right, 119);
    EXPECT_EQ(bounds.bottom, 59);
    ASSERT_TRUE(other.GetExtent(extent));
    EXPECT_EQ(extent.width, 140);
    EXPECT_EQ(extent.height, 70);

    EXPECT_FALSE(other.Rescale(KSize{0, 100}, KSize{100, 100}));
    EXPECT_FALSE(other.Rescale(KSize{100, 100}, KSize{20000, 100}));
    EXPECT_TRUE(other.AutoResize(KSize{280, 35}));
    const TLayoutObject* first = other.State().objects.Head();
    EXPECT_EQ(first->X(), 40);
    EXPECT_EQ(first->Y(), 5);
    EXPECT_EQ(first->Width(), 100);
    EXPECT_EQ(first->Height(), 10);
}

TEST(TLayout, ObjectsFromFarOutsideDoNotOverflowTheGeometry) {
    TLayout layout;
    Bitmap(layout, INT32_MAX - 5, INT32_MAX - 5, INT32_MAX, INT32_MAX);
    KSize extent;
    ASSERT_TRUE(layout.GetExtent(extent));
    EXPECT_EQ(extent.width, INT32_MAX);
    EXPECT_TRUE(layout.Rescale(KSize{1, 1}, KSize{16384, 16384}));
}

TEST(TLayout, OrderAndDrawing) {
    TLayout layout;
    CountingDisplay display;
    layout.SetDisplay(&display);
    TLayoutObject* a = Bitmap(layout, 0, 0, 20, 20);
    TLayoutObject* b = Bitmap(layout, 100, 100, 20, 20);
    TLayoutObject* c = Bitmap(layout, 10, 10, 20, 20);
    EXPECT_FALSE(layout.MoveToFront(c));
    EXPECT_TRUE(layout.MoveToBack(c));
    EXPECT_FALSE(layout.MoveToBack(c));
    layout.DrawRect(KRect{0, 0, 50, 50});
    EXPECT_EQ(display.drawn, (std::vector<int32_t>{3, 1}));
    EXPECT_EQ(layout.FindById(2), b);
    EXPECT_TRUE(layout.RemoveObject(a));
    EXPECT_FALSE(layout.RemoveObject(a == b ? a : nullptr));
    TLayout other;
    EXPECT_FALSE(other.RemoveObject(b));
    EXPECT_EQ(layout.AddObject(7), nullptr);
}

TEST(TLayout, SelectionMarksTheLayoutModified) {
    TLayout layout;
    TLayoutObject* object = layout.AddObject(0);
    layout.ClearModified();
    layout.ClearChangedSinceSnapshot();
    EXPECT_TRUE(object->SetSelected(true));
    EXPECT_TRUE(layout.IsModified());
    EXPECT_TRUE(layout.ChangedSinceSnapshot());
    EXPECT_EQ(object->Flags(), TLayoutObject::kDynamic | TLayoutObject::kSelected);
}

TEST(TLayout, ASnapshotSwappedInKeepsTheIds) {
    TLayout layout;
    layout.AddObject(0);
    layout.AddObject(1);
    layout.AddObject(0);
    layout.RemoveObject(layout.FindById(2));
    std::unique_ptr<TLayoutState> snapshot = layout.Snapshot();
    layout.AddObject(1);
    std::unique_ptr<TLayoutState> previous = layout.SwapState(std::move(snapshot));
    EXPECT_EQ(previous->objects.Count(), 3);
    EXPECT_EQ(layout.State().objects.Count(), 2);
    EXPECT_NE(layout.FindById(1), nullptr);
    EXPECT_NE(layout.FindById(3), nullptr);
    EXPECT_EQ(layout.FindById(4), nullptr);
    EXPECT_EQ(layout.AddObject(0)->Id(), 5);
}

// Packet definitions 0, 1 and 2 of one source, each with a field "Time".
class Delivery : public ::testing::Test {
  protected:
    Delivery() {
        for (int i = 0; i < 3; ++i) {
            auto definition = std::make_unique<TFields>(&receiver, 64);
            auto field = std::make_unique<TField>(definition.get());
            field->name = KTestText("Time");
            field->value = KTestText("1:0" + std::to_string(i));
            definition->fields.Add(std::move(field));
            receiver.Definitions().Add(std::move(definition));
        }
    }
    const TFields& Packet(int32_t index) { return *receiver.Definitions().At(index); }
    std::string Value(const TLayoutObject* object) {
        return KUtf8Of(static_cast<const TTextObject*>(object)->Value());
    }
    TReceiver receiver;
};

TEST_F(Delivery, SelectedSourcesFeedOnlyTheirObjects) {
    TLayout layout;
    TLayoutObject* text = layout.AddObject(0);
    text->SetField(KTestText("Time"));
    layout.SetSourceMode(1);
    layout.SelectSource(2, true);
    layout.OnPacket(Packet(0));
    EXPECT_EQ(Value(text), "");
    layout.OnPacket(Packet(2));
    EXPECT_EQ(Value(text), "1:02");

    // Its own rule, selecting nothing, takes nothing.
    text->SetLocalOverride(true);
    text->SetSourceMode(1);
    layout.SetSourceMode(0);
    layout.OnPacket(Packet(1));
    EXPECT_EQ(Value(text), "1:02");
    text->SelectSource(1, true);
    layout.OnPacket(Packet(1));
    EXPECT_EQ(Value(text), "1:01");

    text->SetDynamic(false);
    layout.OnPacket(Packet(0));
    EXPECT_EQ(Value(text), "1:01");
}

}  // namespace
