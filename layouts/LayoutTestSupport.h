#pragma once

// Builders of layout file bytes for the tests, record by record.

#include <cstdint>
#include <string>

#include "ImagesTestSupport.h"
#include "KTestSupport.h"
#include "TLayout.h"
#include "TLayoutJson.h"

struct LayoutBytes {
    std::string bytes;

    LayoutBytes& Int(uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes += static_cast<char>(v >> (8 * i) & 0xFF);
        return *this;
    }
    // A string record of 16-bit units.
    LayoutBytes& Wide(const std::string& ascii) {
        Int(0x10010005).Int(static_cast<uint32_t>(ascii.size()));
        for (char c : ascii) bytes += std::string{c, '\0'};
        return *this;
    }
    // A string record of single bytes.
    LayoutBytes& Narrow(const std::string& ascii) {
        Int(0x00010005).Int(static_cast<uint32_t>(ascii.size()));
        bytes += ascii;
        return *this;
    }
    LayoutBytes& Colour(uint32_t c, uint32_t tag = 0x1000A) { return Int(tag).Int(c); }
    // The base part of an object record of the given version.
    LayoutBytes& Base(uint32_t version, int32_t id, uint32_t flags, uint32_t legacyDynamic = 0) {
        Int(version).Int(id).Int(flags).Int(20).Int(30).Int(100).Int(40).Int(legacyDynamic);
        Wide("Time");
        if (version >= 0x30005) Int(1).Int(0x4);
        if (version >= 0x30006) Wide("F1").Int(3000);
        return *this;
    }
    // A font record of the newest version: 40-pixel "Sport".
    LayoutBytes& Font() {
        Int(0x1000F).Int(40).Colour(5).Colour(4).Colour(3);
        Wide("Sport").Colour(0).Int(1).Int(60).Int(90);
        return *this;
    }
    LayoutBytes& Header(uint32_t version, int32_t lastId, int32_t count) {
        return Int(version).Int(lastId).Int(7).Int(0x10007).Int(count);
    }
};

// A 24-bit uncompressed Targa of this size, every pixel grey.
inline std::string GreyTarga(int width, int height) {
    return TargaHeader(2, width, height, 24, 0) + std::string(size_t(width) * height * 3, '\x80');
}

// Writes a layout file from its JSON form into the folder; its path.
inline std::string WriteLayoutFile(const KTestFolder& folder, const std::string& name,
                                   const std::string& json) {
    TLayout layout;
    TLayoutJson::FromJson(TLayoutJson::Json::parse(json), layout);
    const std::string path = folder.Put(name, "");
    layout.Load(KTestText(path), false);
    return layout.Save(TLayout::kSave) == 0 ? path : "";
}
