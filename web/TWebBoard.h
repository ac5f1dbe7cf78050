#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <mutex>
#include <vector>

#include "KScreenSurface.h"

// The board as the web output shows it: one more screen of the display
// window, with its own copy of the pixels the engine copies to its screens.
// For every viewer (a browser's /board connection) it keeps one rectangle,
// the bounding box of everything that changed since the viewer's last
// picture, so a slow viewer is owed one merged picture, never a queue.
//
// The engine's thread copies bands in; viewers' threads take changes out.
// Both hold the lock only to copy pixels, so the engine waits at most for
// the copy of one changed rectangle, never for a network.
class TWebBoard : public KScreenSurface {
  public:
    // One viewer's share of the board; owned by the board between Join and
    // Leave.
    struct Viewer {
        KRect changed;
        KSize size;  // the size the viewer was last told
        bool stopped = false;
    };
    // A change taken by a viewer: the board's size, whether it differs from
    // the size the viewer had, the board's version (it grows with every
    // change of a pixel, so equal versions and rectangles mean equal
    // pixels), the rectangle and its pixels (rows of its width).
    struct Change {
        KSize size;
        bool resized = false;
        uint64_t version = 0;
        KRect rect;
        std::vector<uint32_t> pixels;
    };

    void Move(const KRect& rect) override;
    void SetTopmost(bool) override {}
    KSize ClientSize() const override;
    void CopyBand(const KRect& physical, const uint32_t* pixels) override;
    bool CopyRegion(const KRect& physical, int32_t dx, int32_t dy) override;
    void Present() override;

    // A new viewer, owed the whole board.
    Viewer* Join();
    void Leave(Viewer* viewer);
    // Makes Take return false for the viewer from now on.
    void Stop(Viewer* viewer);
    // Waits until the viewer has a change and the time is at least notBefore,
    // then hands it over; false when the viewer was stopped.
    bool Take(Viewer* viewer, std::chrono::steady_clock::time_point notBefore, Change& change);
    // A copy of the whole board, as a viewer would rebuild it.
    std::vector<uint32_t> Pixels() const;

  private:
    // Adds rect, cut to the board, to every viewer's change; under the lock.
    void MarkChanged(const KRect& rect);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    KSize size_;
    uint64_t version_ = 0;
    std::vector<uint32_t> pixels_;
    std::list<Viewer> viewers_;
};
