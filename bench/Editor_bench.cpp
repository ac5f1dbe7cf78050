// The layout editor's costs on board-sized layouts: one step of a drag on a
// 1920 x 1080 layout of 60 texts (the object moved, the editor's picture of
// the layout composed again and the board redrawn; the toolkit's scaling of
// the picture onto the window is left out), and an undo and a redo of a step
// on a layout of 200 objects (one iteration is both).

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "BenchBoard.h"
#include "TLayout.h"
#include "TLayoutObject.h"
#include "TLayoutPicture.h"
#include "TUndoHistory.h"

namespace {

// n texts of 40 pixels in a grid of 6 columns, each showing a lane's result.
std::string Texts(int n) {
    std::string objects;
    for (int i = 0; i < n; ++i) {
        if (i > 0) objects += ",";
        objects += R"({"class": "TTextObject", "flags": 0, "x": )" + std::to_string(i % 6 * 320) +
                   R"(, "y": )" + std::to_string(i / 6 * 100) +
                   R"(, "width": 310, "height": 60, "text": "Lane )" + std::to_string(i % 10) +
                   R"( 1:02.)" + std::to_string(10 + i % 90) +
                   R"(", "font": {"name": "DejaVu Sans", "size": 40}})";
    }
    return R"({"objects": [)" + objects + "]}";
}

void BM_DragStepOnSixtyTexts(benchmark::State& state) {
    BenchBoard board(Texts(60));
    if (!board.layout) return state.SkipWithError("the layout did not open");
    board.engine->Window().ShowLayout(board.layout, -1);
    TLayoutPicture picture(*board.fonts);
    TLayoutObject& dragged = *board.layout->State().objects.Head();
    picture.Compose(*board.layout, {1920, 1080});  // glyphs made once, as in a real drag
    int32_t step = 0;
    for (auto _ : state) {
        dragged.SetPosition(100 + step++ % 50, 100);
        picture.Compose(*board.layout, {1920, 1080});
        board.engine->Window().FullRedraw();
    }
}

void BM_UndoAndRedoOfTwoHundredObjects(benchmark::State& state) {
    TLayout layout;
    for (int i = 0; i < 200; ++i) layout.AddObject(i % 3)->SetPosition(i * 7 % 1900, i * 5 % 1060);
    TUndoHistory history(layout);
    history.Begin();
    for (TLayoutObject& o : layout.Objects()) o.SetPosition(o.X() + 3, o.Y());
    history.End();
    for (auto _ : state) {
        history.Undo();
        history.Redo();
    }
}

}  // namespace

BENCHMARK(BM_DragStepOnSixtyTexts)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UndoAndRedoOfTwoHundredObjects)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
