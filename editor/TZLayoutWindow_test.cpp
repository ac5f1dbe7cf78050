// The layout editor's window, driven by keys and the mouse as a user drives
// it: selection, moves, sizes, snapping, undo, and the board drawn beneath.

#include "TZLayoutWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "K3DFonts.h"
#include "KMemoryStream.h"
#include "KRegistry.h"
#include "KTestSupport.h"
#include "TDefaultSettings.h"
#include "TFields.h"
#include "TLayout.h"
#include "TLayoutObject.h"
#include "TTextObject.h"

namespace {

class LayoutWindow : public ::testing::Test {
  protected:
    LayoutWindow() {
        ApplyDefaultSettings(settings);
        Add(0, {20, 30, 119, 59});     // backmost
        Add(0, {300, 100, 399, 139});  // front
        layout.ClearModified();
    }
    TLayoutObject& Add(int32_t prototype, const KRect& r) {
        TLayoutObject& o = *layout.AddObject(prototype);
        o.SetPosition(r.left, r.top);
        o.SetSize(r.Width(), r.Height());
        return o;
    }
    // A window at one window pixel per layout pixel unless told otherwise.
    TZLayoutWindow& Window(int32_t numer = 1, int32_t denom = 1) {
        window = std::make_unique<TZLayoutWindow>(layout, settings, numer, denom, nullptr);
        window->resize(640 * numer / denom, 360 * numer / denom);
        return *window;
    }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(window.get(), &press);
    }
    void Mouse(QEvent::Type type, QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
        QMouseEvent event(type, QPointF(at), QPointF(at), Qt::LeftButton, held, mods);
        QApplication::sendEvent(window.get(), &event);
    }
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        Mouse(QEvent::MouseButtonPress, from, mods);
        Mouse(QEvent::MouseMove, (from + to) / 2, mods);
        Mouse(QEvent::MouseMove, to, mods);
        Mouse(QEvent::MouseButtonRelease, to, mods);
    }
    std::string Bytes() {
        KMemoryStream stream;
        layout.Write(stream);
        return stream.TakeBytes();
    }
    TLayoutObject& At(int32_t i) { return *layout.State().objects.At(i); }
    // Leaves the window's picture in the test build's screenshots folder.
    void Screenshot(const char* name) {
        const char* bin = std::getenv("TESSARON_BIN");
        if (!bin) return;
        const std::filesystem::path folder = std::filesystem::path(bin) / ".." / "screenshots";
        std::filesystem::create_directories(folder);
        window->grab().save(QString::fromStdString((folder / name).string()));
    }
    int32_t Selected() {
        int32_t n = 0;
        for (const TLayoutObject& o : layout.Objects()) n += o.IsSelected();
        return n;
    }

    KRegistry settings;
    TLayout layout;
    std::unique_ptr<TZLayoutWindow> window;
};

TEST_F(LayoutWindow, KeysMoveTheSelectionAndEachPressIsOneUndoStep) {
    Window();
    const std::string original = Bytes();
    Key(Qt::Key_Tab);  // the backmost object first
    for (int i = 0; i < 5; ++i) Key(Qt::Key_Right);
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    Key(Qt::Key_Right, Qt::ShiftModifier);  // by the grid, 3
    EXPECT_EQ(At(0).X(), 28);
    EXPECT_EQ(At(0).Y(), 32);
    EXPECT_EQ(At(1).X(), 300);
    EXPECT_TRUE(layout.IsModified());
    for (int i = 0; i < 8; ++i) Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(At(0).X(), 20);
    EXPECT_EQ(At(0).Y(), 30);
    // The layout saves its selection: chosen again as it was, the bytes are
    // the original ones.
    Key(Qt::Key_Escape);
    EXPECT_EQ(Bytes(), original);
    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(At(0).X(), 21);
}

TEST_F(LayoutWindow, SelectAllDeleteAndUndoGiveTheOriginalBytes) {
    Window();
    const std::string original = Bytes();
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Selected(), 2);
    Key(Qt::Key_Delete);
    EXPECT_EQ(layout.State().objects.Count(), 0);
    Key(Qt::Key_Z, Qt::ControlModifier);
    Key(Qt::Key_Escape);
    EXPECT_EQ(Bytes(), original);
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);  // redo
    EXPECT_EQ(layout.State().objects.Count(), 0);
}

TEST_F(LayoutWindow, NewObjectsComeInFrontAloneSelectedAndTabWalksTheDrawingOrder) {
    Window();
    Key(Qt::Key_T, Qt::ControlModifier);
    Key(Qt::Key_B, Qt::ControlModifier);
    ASSERT_EQ(layout.State().objects.Count(), 4);
    EXPECT_TRUE(layout.State().objects.Tail()->IsSelected());
    EXPECT_EQ(Selected(), 1);
    Key(Qt::Key_Tab);  // after the last comes the first
    EXPECT_TRUE(At(0).IsSelected());
    Key(Qt::Key_Backtab);
    EXPECT_TRUE(At(3).IsSelected());
    Key(Qt::Key_Escape);
    EXPECT_EQ(Selected(), 0);
    window->InvertSelection();
    EXPECT_EQ(Selected(), 4);
    Key(Qt::Key_Z, Qt::ControlModifier);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(layout.State().objects.Count(), 2);
}

TEST_F(LayoutWindow, ClicksAndABandSelect) {
    Window();
    Mouse(QEvent::MouseButtonPress, {50, 40});
    Mouse(QEvent::MouseButtonRelease, {50, 40});
    EXPECT_TRUE(At(0).IsSelected());
    Mouse(QEvent::MouseButtonPress, {350, 120}, Qt::ControlModifier);
    Mouse(QEvent::MouseButtonRelease, {350, 120}, Qt::ControlModifier);
    EXPECT_EQ(Selected(), 2);
    Mouse(QEvent::MouseButtonPress, {50, 40}, Qt::ControlModifier);  // toggles off
    Mouse(QEvent::MouseButtonRelease, {50, 40}, Qt::ControlModifier);
    EXPECT_FALSE(At(0).IsSelected());
    // A band from empty space selects what it touches, and only that.
    Drag({5, 5}, {25, 35});
    EXPECT_TRUE(At(0).IsSelected());
    EXPECT_FALSE(At(1).IsSelected());
}

TEST_F(LayoutWindow, ADragSnapsShowsItsGuideAndIsOneStep) {
    Window(3, 4);  // the editor's usual scale
    const std::string original = Bytes();
    // Grab the backmost object and bring its right edge near the front
    // object's left edge (x 299 against 300).
    const QPoint grab(window->ToWindow(50), window->ToWindow(40));
    Mouse(QEvent::MouseButtonPress, grab);
    Mouse(QEvent::MouseMove, grab + QPoint(window->ToWindow(180), window->ToWindow(70)));
    EXPECT_EQ(At(0).Rect().right, 299);
    ASSERT_FALSE(window->Guides().empty());
    Screenshot("editor-snap.png");
    Mouse(QEvent::MouseButtonRelease, grab + QPoint(window->ToWindow(180), window->ToWindow(70)));
    EXPECT_TRUE(window->Guides().empty());
    Key(Qt::Key_Z, Qt::ControlModifier);
    Key(Qt::Key_Escape);
    EXPECT_EQ(Bytes(), original);
    // With Alt held the object goes exactly where the mouse takes it.
    Drag(grab, grab + QPoint(30, 30), Qt::AltModifier);
    EXPECT_EQ(At(0).X(), 20 + window->ToLayout(30));
}

// An edit while the button still holds a drag (a key, or a dialog that took
// the button's release) ends the drag first, as a step of its own.
TEST_F(LayoutWindow, AnEditDuringADragEndsItAsAStepOfItsOwn) {
    Window();
    const Qt::KeyboardModifiers exact = Qt::AltModifier;
    Mouse(QEvent::MouseButtonPress, {350, 120}, exact);
    Mouse(QEvent::MouseMove, {360, 130}, exact);
    Key(Qt::Key_Delete);  // what the drag held is gone
    Mouse(QEvent::MouseMove, {380, 150}, exact);
    Mouse(QEvent::MouseButtonRelease, {380, 150}, exact);
    ASSERT_EQ(layout.State().objects.Count(), 1);
    ASSERT_TRUE(window->Undo());
    ASSERT_EQ(layout.State().objects.Count(), 2);
    EXPECT_EQ(At(1).X(), 310);
    ASSERT_TRUE(window->Undo());
    EXPECT_EQ(At(1).X(), 300);

    // A release that never came: a cancelled edit takes back only itself,
    // and undo goes on working.
    Mouse(QEvent::MouseButtonPress, {350, 120}, exact);
    Mouse(QEvent::MouseMove, {360, 130}, exact);
    const KRect moved = At(1).Rect();
    EXPECT_EQ(moved.left, 310);
    window->EditInStep([&] {
        At(1).SetSize(50, 20);
        return false;
    });
    EXPECT_EQ(At(1).Rect(), moved);
    Mouse(QEvent::MouseMove, {390, 160});  // no button held any more
    EXPECT_EQ(At(1).X(), 310);
    ASSERT_TRUE(window->Undo());
    EXPECT_EQ(At(1).X(), 300);
}

TEST_F(LayoutWindow, AGripSizesItsObjectAndNeverBelowTheLeastSide) {
    TLayoutObject& video = Add(2, {400, 200, 499, 279});
    Window();
    video.SetSelected(true);
    // The bottom-right grip, dragged left and up past the top-left corner.
    Drag({499, 279}, {300, 150}, Qt::AltModifier);
    EXPECT_EQ(video.Rect().right - video.Rect().left + 1, TLayoutObject::kMinSide);
    EXPECT_EQ(video.X(), 400);
    Drag({video.Rect().right, video.Rect().bottom}, {549, 329}, Qt::AltModifier);
    EXPECT_EQ(video.Rect().right, 549);
    EXPECT_EQ(video.Rect().bottom, 329);
}

TEST_F(LayoutWindow, NothingChangesWhileLocked) {
    Window();
    window->SetEditable([] { return false; });
    const std::string original = Bytes();
    Key(Qt::Key_Tab);
    Key(Qt::Key_Right);
    Key(Qt::Key_Delete);
    Key(Qt::Key_T, Qt::ControlModifier);
    Drag({50, 40}, {150, 140});
    EXPECT_EQ(Bytes(), original);
}

// The picture under the frames is the board's own: the layout's background
// and its texts drawn by the fonts.
TEST_F(LayoutWindow, ShowsTheBoardBeneathTheFramesAndFollowsItsValues) {
    KTestFolder home;
    K3DFonts fonts(settings, home.Path(), nullptr);
    auto& text = dynamic_cast<TTextObject&>(At(1));
    Window(3, 4);
    window->SetShowLabels(false);
    const QImage before = window->grab().toImage();
    const QColor background = before.pixelColor(window->ToWindow(600), window->ToWindow(300));
    EXPECT_EQ(background, QColor(0, 0, 255));  // a new layout's blue
    K3DFontInfo font;
    font.SetFaceName(KTestText("DejaVu Sans"));
    font.SetSize(30);
    text.SetFont(font);
    text.SetText(KTestText("88:88"));
    const QImage after = window->grab().toImage();
    int lit = 0;
    for (int y = window->ToWindow(100); y < window->ToWindow(139); ++y)
        for (int x = window->ToWindow(302); x < window->ToWindow(398); ++x)
            lit += after.pixelColor(x, y).lightness() > 200;
    EXPECT_GT(lit, 50);
    At(0).SetSelected(true);
    Screenshot("editor-plain.png");
    window->SetShowLabels(true);
    Screenshot("editor-labels.png");
}

// A new value composes only its object's part of the picture again; what
// shows there must still be every object that reaches into it, as a window
// composing the whole layout shows it.
TEST_F(LayoutWindow, ANewValueShowsAsTheWholeLayoutComposedAgain) {
    KTestFolder home;
    K3DFonts fonts(settings, home.Path(), nullptr);
    K3DFontInfo font;
    font.SetFaceName(KTestText("DejaVu Sans"));
    font.SetSize(30);
    auto& clock = dynamic_cast<TTextObject&>(At(1));
    auto& over = dynamic_cast<TTextObject&>(Add(0, {350, 120, 469, 169}));
    for (TTextObject* text : {&clock, &over}) text->SetFont(font);
    clock.SetText(KTestText("%s"));
    over.SetText(KTestText("17"));
    TFields definition(nullptr, 64);
    TField value(&definition);
    value.value = KTestText("88:88");
    clock.SetValue(&value);
    Window(3, 4);
    window->SetShowLabels(false);
    const QImage before = window->grab().toImage();
    value.value = KTestText("10:05");
    clock.SetValue(&value);
    const QImage after = window->grab().toImage();
    EXPECT_NE(after, before);
    window.reset();
    EXPECT_EQ(after, Window(3, 4).grab().toImage());
}

TEST_F(LayoutWindow, CopyAndPasteCarryObjectsAsLayoutJsonWithNewIds) {
    Window();
    At(1).SetSelected(true);
    ASSERT_TRUE(window->Copy());
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(copied.contains("\"class\": \"TTextObject\""));
    ASSERT_TRUE(window->Paste());
    ASSERT_EQ(layout.State().objects.Count(), 3);
    TLayoutObject& pasted = *layout.State().objects.Tail();
    EXPECT_TRUE(pasted.IsSelected());
    EXPECT_FALSE(At(1).IsSelected());
    EXPECT_NE(pasted.Id(), At(1).Id());
    EXPECT_EQ(pasted.X(), At(1).X());
    window->Cut();  // the pasted copy goes again
    EXPECT_EQ(layout.State().objects.Count(), 2);
    // Text that is no layout JSON changes nothing.
    const std::string before = Bytes();
    for (const char* text :
         {"lane 4 00:52.31", "{\"objects\": [{\"class\": \"TNothing\"}]}", "{\"objects\": []}"}) {
        QGuiApplication::clipboard()->setText(text);
        EXPECT_FALSE(window->Paste()) << text;
    }
    EXPECT_EQ(Bytes(), before);
    Key(Qt::Key_Z, Qt::ControlModifier);  // the cut
    EXPECT_EQ(layout.State().objects.Count(), 3);
}

TEST_F(LayoutWindow, TheSelectionMovesToTheFrontAndBackAsTheSettingSays) {
    Add(1, {0, 0, 9, 9});
    Add(2, {0, 0, 9, 9});
    Window();
    const int32_t ids[4] = {At(0).Id(), At(1).Id(), At(2).Id(), At(3).Id()};
    auto order = [&] {
        std::string s;
        for (const TLayoutObject& o : layout.Objects())
            for (int i = 0; i < 4; ++i)
                if (o.Id() == ids[i]) s += char('a' + i);
        return s;
    };
    At(0).SetSelected(true);
    At(1).SetSelected(true);
    window->MoveToFront();  // all the way, keeping their order
    EXPECT_EQ(order(), "cdab");
    window->MoveToBack();
    EXPECT_EQ(order(), "abcd");
    settings.FindInt(KTestText("\\Layout\\ZOrderChange"))->value = 0;  // one step each
    window->MoveToFront();
    EXPECT_EQ(order(), "cabd");
    window->MoveToBack();
    EXPECT_EQ(order(), "abcd");
    window->MoveToBack();  // already at the back
    EXPECT_EQ(order(), "abcd");
}

TEST_F(LayoutWindow, AlignLinesTheSelectionUpOnTheFirstAndResizeRescalesTheLayout) {
    Window();
    At(0).SetSelected(true);
    At(1).SetSelected(true);
    window->Align(true);  // under the first one's left edge
    EXPECT_EQ(At(1).X(), 20);
    EXPECT_EQ(At(1).Y(), 100);
    window->Align(false);
    EXPECT_EQ(At(1).Y(), 30);
    EXPECT_EQ(At(0).X(), 20);
    Key(Qt::Key_Z, Qt::ControlModifier);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(At(1).X(), 300);
    EXPECT_TRUE(window->RescaleLayout({640, 360}, {1280, 720}));
    EXPECT_EQ(At(0).X(), 40);
    EXPECT_EQ(At(1).Y(), 200);
    EXPECT_FALSE(window->RescaleLayout({0, 360}, {1280, 720}));
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(At(0).X(), 20);
}

}  // namespace
