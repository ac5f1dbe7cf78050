#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

class KFile;
class TLayout;
class TLayoutObject;

// Layouts as text: a JSON document that holds what a layout file holds and
// nothing else. Colours are table names for indexes 0-10, "#RRGGBB" for a
// direct colour and numbers otherwise. Reading takes missing keys from a new
// layout or a new object of the class and stores given values as they are;
// an unknown key, a value of the wrong type or out of range, or an unknown
// class raises TLayoutJsonError naming the key (and the object's index).
class TLayoutJson {
  public:
    using Json = nlohmann::ordered_json;

    // The layout with the file version it was read from.
    static Json ToJson(const TLayout& layout, uint32_t version);
    // Fills an empty layout from the document.
    static void FromJson(const Json& document, TLayout& layout);
    // The document as a file holds it: indented, ending in a line break.
    static std::string ToText(const TLayout& layout);
    // Fills an empty layout from a JSON file of at most kMaxFileBytes;
    // raises KXPersistent(kErrFileContents) for any other file.
    static void ReadFile(KFile& file, TLayout& layout);
    static constexpr int64_t kMaxFileBytes = int64_t{64} << 20;

    // The selected objects of a layout as a document of objects only, the
    // clipboard's form of objects.
    static Json SelectionToJson(const TLayout& layout);

  private:
    static Json ObjectToJson(const TLayoutObject& object);
    static void ObjectFromJson(const Json& item, TLayout& layout, const std::string& where);
};

class TLayoutJsonError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};
