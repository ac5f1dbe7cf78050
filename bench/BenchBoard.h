#pragma once

// A 1920 x 1080 board on a frame buffer with the default settings and the
// installed fonts, its one layout made from the layout's JSON form.

#include <memory>
#include <string>
#include <vector>

#include "K3DFonts.h"
#include "KClock.h"
#include "KFrameBufferSurface.h"
#include "KTestSupport.h"
#include "LayoutTestSupport.h"
#include "TDefaultSettings.h"
#include "TDisplayEngine.h"
#include "TLayout.h"

struct BenchBoard {
    explicit BenchBoard(const std::string& json) {
        ApplyDefaultSettings(settings);
        fonts = std::make_unique<K3DFonts>(settings, folder.Path(), nullptr);
        engine = std::make_unique<TDisplayEngine>(settings, folder.Path(), *fonts, surface, clock,
                                                  std::vector<KRect>{{0, 0, 1919, 1079}}, nullptr);
        const std::string path = WriteLayoutFile(folder, "board.tly", json);
        engine->Layouts().OpenLayout(KTestText(path));
        layout = engine->Layouts().Window(1);
    }

    KTestFolder folder;
    KRegistry settings;
    KVirtualClock clock;
    KFrameBufferSurface surface;
    std::unique_ptr<K3DFonts> fonts;
    std::unique_ptr<TDisplayEngine> engine;
    TLayout* layout = nullptr;
};
