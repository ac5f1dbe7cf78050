#include "LayoutVerb.h"

#include <cstdint>
#include <sstream>
#include <string>

#include "KAtomicSave.h"
#include "KFile.h"
#include "KReadCursor.h"
#include "KUtf8.h"
#include "KX.h"
#include "TLayout.h"
#include "TLayoutJson.h"
#include "TLayoutSettings.h"
#include "TProgramHome.h"
#include "VerbOptions.h"

namespace {

using Json = TLayoutJson::Json;

bool HasExtension(const std::string& path, const std::string& extension) {
    if (path.size() < extension.size()) return false;
    std::string tail = path.substr(path.size() - extension.size());
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == extension;
}

KString PathOf(const std::string& path) {
    KString name(255, KFile::kMaxPath);
    KAppendUtf8(name, path);
    return name;
}

// The bytes of a plain file of up to 2 GiB; false for anything else.
bool ReadPlainFile(const std::string& path, std::string* bytes) {
    KFile file(PathOf(path));
    if (file.TryOpen(KFile::kRead | KFile::kRegularOnly, false) != 0) return false;
    const int64_t size = file.GetSize();
    if (size > INT32_MAX) return false;
    bytes->resize(static_cast<size_t>(size));
    KReadCursor cursor(file);
    return cursor.Read(bytes->data(), static_cast<int32_t>(size));
}

// Reads a .tly or .json file into the layout; false after a message on err.
bool ReadLayout(const std::string& path, TLayout& layout, FILE* err) {
    if (HasExtension(path, ".tly")) {
        const int32_t code = layout.Load(PathOf(path), true);
        if (code == 0) return true;
        std::fprintf(err, "tessaron-cli layout: %s: error %d\n", path.c_str(), int(code));
        return false;
    }
    if (!HasExtension(path, ".json")) {
        std::fprintf(err, "tessaron-cli layout: %s: not a .tly or .json file\n", path.c_str());
        return false;
    }
    std::string text;
    if (!ReadPlainFile(path, &text)) {
        std::fprintf(err, "tessaron-cli layout: %s: cannot be read\n", path.c_str());
        return false;
    }
    try {
        TLayoutJson::FromJson(Json::parse(text), layout);
        return true;
    } catch (const Json::exception& e) {
        std::fprintf(err, "tessaron-cli layout: %s: %s\n", path.c_str(), e.what());
    } catch (const TLayoutJsonError& e) {
        std::fprintf(err, "tessaron-cli layout: %s: %s\n", path.c_str(), e.what());
    }
    return false;
}

// Writes the layout as a .tly or .json file, replacing an old one only when
// the new one is complete; false after a message on err.
bool WriteLayout(const TLayout& layout, const std::string& path, FILE* err) {
    const bool json = HasExtension(path, ".json");
    if (!json && !HasExtension(path, ".tly")) {
        std::fprintf(err, "tessaron-cli layout: %s: not a .tly or .json file\n", path.c_str());
        return false;
    }
    try {
        KSaveAtomically(PathOf(path), [&](KStream& stream) {
            if (!json) return layout.Write(stream);
            const std::string text = TLayoutJson::ToText(layout);
            stream.Write(text.data(), static_cast<int32_t>(text.size()));
        });
        return true;
    } catch (const KX& e) {
        std::fprintf(err, "tessaron-cli layout: %s: error %d\n", path.c_str(), int(e.Code()));
        return false;
    }
}

}  // namespace

int RunLayoutVerb(int argc, char** argv, FILE* out, FILE* err) {
    CLI::App verb("Shows, converts and makes layout files; layouts as JSON.", "layout");
    std::string home, in, outPath;
    verb.add_option("--home", home, "the program's home folder (where pictures are found)");
    verb.require_subcommand(1);
    CLI::App* show = verb.add_subcommand("show", "print a layout as one JSON document");
    show->add_option("FILE", in, "a .tly or .json layout")->required();
    CLI::App* convert = verb.add_subcommand("convert", "convert between .tly and .json");
    convert->add_option("IN", in, "the layout to read")->required();
    convert->add_option("OUT", outPath, "the layout to write")->required();
    CLI::App* make = verb.add_subcommand("new", "write a new, empty layout");
    make->add_option("OUT", outPath, "the layout to write")->required();
    if (const int done = ParseVerbOptions(verb, argc, argv, out, err); done >= 0) return done;

    KString folder(255, KFile::kMaxPath);
    KAppendUtf8(folder, ResolveProgramHome(home.empty() ? nullptr : home.c_str()));
    TLayoutSettings::SetApplicationFolder(folder);

    TLayout layout;
    if (!make->parsed() && !ReadLayout(in, layout, err)) return 1;
    if (show->parsed()) {
        const std::string text = TLayoutJson::ToText(layout);
        std::fwrite(text.data(), 1, text.size(), out);
        return 0;
    }
    return WriteLayout(layout, outPath, err) ? 0 : 1;
}
