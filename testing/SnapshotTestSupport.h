#pragma once

// Snapshot tests: a rendered picture compared pixel for pixel with a PNG
// committed under testing/snapshots/. When a change of the pictures is
// meant, `make snapshots` runs the tests with TESSARON_UPDATE_SNAPSHOTS=1,
// which writes the references instead of comparing; review them and commit.
//
// The test program needs the images library (KPngWriter) and libpng.
// TESSARON_SNAPSHOTS (the reference folder in the source tree) and
// TESSARON_SNAPSHOTS_ACTUAL (where a mismatching picture is written, in the
// build tree) come from testing/CMakeLists.txt.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <span>
#include <string>

#include "ImagesTestSupport.h"
#include "KPngWriter.h"

namespace snapshot_detail {

inline bool WritePicture(const std::string& path, int32_t width, int32_t height,
                         std::span<const uint32_t> pixels) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    return KPngWriter::Write(path, width, height, [&](int32_t y, uint8_t* rgb) {
        for (int32_t x = 0; x < width; ++x, rgb += 3) {
            const uint32_t p = pixels[size_t(y) * size_t(width) + size_t(x)];
            rgb[0] = uint8_t(p >> 16), rgb[1] = uint8_t(p >> 8), rgb[2] = uint8_t(p);
        }
    });
}

inline bool Updating() {
    const char* update = std::getenv("TESSARON_UPDATE_SNAPSHOTS");
    return update && std::strcmp(update, "1") == 0;
}

}  // namespace snapshot_detail

// Compares width × height pixels (0x00RRGGBB, rows top-down, each `width`
// long) with testing/snapshots/<name>.png. All 32 bits are compared, so a
// pixel with its top byte set (the transparent key) never matches. On a
// mismatch the picture is written to <build>/snapshots-actual/<name>.png
// and the message gives the number of differing pixels and the first one.
// With TESSARON_UPDATE_SNAPSHOTS=1 the reference is written instead.
// Use: EXPECT_TRUE(MatchesSnapshot("video-board", w, h, pixels));
inline ::testing::AssertionResult MatchesSnapshot(const std::string& name, int32_t width,
                                                  int32_t height,
                                                  std::span<const uint32_t> pixels) {
    using snapshot_detail::WritePicture;
    if (width < 1 || height < 1 || pixels.size() != size_t(width) * size_t(height)) {
        return ::testing::AssertionFailure()
               << name << ": " << pixels.size() << " pixels for " << width << " x " << height;
    }
    const std::string reference = std::string(TESSARON_SNAPSHOTS) + "/" + name + ".png";
    if (snapshot_detail::Updating()) {
        if (!WritePicture(reference, width, height, pixels))
            return ::testing::AssertionFailure() << "cannot write " << reference;
        return ::testing::AssertionSuccess() << "wrote " << reference;
    }
    const std::string actual = std::string(TESSARON_SNAPSHOTS_ACTUAL) + "/" + name + ".png";
    auto failure = [&](const std::string& reason) {
        const bool written = WritePicture(actual, width, height, pixels);
        return ::testing::AssertionFailure()
               << name << ": " << reason << "; this picture: " << (written ? actual : "not written")
               << " (`make snapshots` rewrites the references when the change is meant)";
    };
    const TestPicture expected = ReadPng(reference);
    if (expected.pixels.empty()) return failure("no readable reference " + reference);
    if (expected.width != width || expected.height != height) {
        return failure(std::to_string(width) + " x " + std::to_string(height) + ", the reference " +
                       std::to_string(expected.width) + " x " + std::to_string(expected.height));
    }
    size_t differing = 0, first = 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (pixels[i] != expected.pixels[i] && differing++ == 0) first = i;
    }
    if (differing == 0) {
        std::error_code ignored;
        std::filesystem::remove(actual, ignored);  // left by an earlier mismatch
        return ::testing::AssertionSuccess();
    }
    char where[96];
    std::snprintf(where, sizeof where, "the first at (%d, %d): %06X, the reference %06X",
                  int(first % size_t(width)), int(first / size_t(width)), unsigned(pixels[first]),
                  unsigned(expected.pixels[first]));
    return failure(std::to_string(differing) + " pixels differ, " + where);
}
