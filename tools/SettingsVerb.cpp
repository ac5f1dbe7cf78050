#include "SettingsVerb.h"

#include <cstring>
#include <string>

#include "KMemoryStream.h"
#include "KUtf8.h"
#include "TSettings.h"
#include "ToolStartUp.h"
#include "VerbOptions.h"

namespace {

KString Arg(const std::string& text) {
    KString s(63, KRString::kMaxValue);
    KAppendUtf8(s, text);
    return s;
}

void Print(FILE* out, const KString& text) {
    const std::string bytes = KUtf8Of(text) + "\n";
    std::fwrite(bytes.data(), 1, bytes.size(), out);
}

// The node's subtree in the line form of the configuration file, UTF-8.
void PrintLines(FILE* out, const KRNode& node) {
    KMemoryStream lines;
    lines.SetWriteEncoding(KStream::kNative);
    lines.SetWriteLineEnd(KStream::kLineLF);
    node.WriteAbsoluteLines(lines);
    std::fwrite(lines.Bytes().data(), 1, lines.Bytes().size(), out);
}

}  // namespace

int RunSettingsVerb(int argc, char** argv, FILE* out, FILE* err) {
    CLI::App verb("Reads and changes the configuration of a display PC.", "settings");
    std::string home, pathText = "\\", valueText;
    verb.add_option("--home", home, "the program's home folder");
    verb.require_subcommand(1);
    CLI::App* get = verb.add_subcommand("get", "print a setting's value");
    get->add_option("PATH", pathText, "the setting's path")->required();
    CLI::App* set = verb.add_subcommand("set", "give a setting a new value and save");
    set->add_option("PATH", pathText, "the setting's path")->required();
    set->add_option("VALUE", valueText, "the new value")->required();
    CLI::App* lines = verb.add_subcommand("lines", "print a subtree in the file's line form");
    lines->add_option("PATH", pathText, "the subtree's path (all when absent)");
    CLI::App* help = verb.add_subcommand("help", "print a setting's help text");
    help->add_option("PATH", pathText, "the setting's path")->required();
    if (const int done = ParseVerbOptions(verb, argc, argv, out, err); done >= 0) return done;

    TSettings settings;
    if (!StartToolSettings(home.empty() ? nullptr : home.c_str(), settings, err, set->parsed()))
        return 1;
    KRegistry& registry = settings.Registry();
    const KString path = Arg(pathText);

    if (help->parsed()) {
        KString key(63, 4095);
        key.Append(u"\\Strings\\Registry\\Comments\\")
            .Append(path.CharAt(0) == u'\\' ? KString(path.Chars() + 1, path.Length() - 1) : path);
        KRString* help = registry.FindString(key);
        if (!help || help->value.IsEmpty()) return 1;
        KString text(help->value);
        text.ExpandNewlineEscapes();
        for (int32_t at = text.Find(u'\r'); at >= 0; at = text.Find(u'\r', at)) text.Delete(at, 1);
        Print(out, text);
        return 0;
    }
    KRNode* node = registry.Find(path);
    if (!node) {
        std::fprintf(err, "tessaron-cli settings: no setting %s\n", pathText.c_str());
        return 1;
    }
    if (lines->parsed()) {
        // The UI texts are shown when asked for, as the configuration leaves them out.
        if (node == &registry) {
            if (KRGroup* strings = registry.FindGroup(KString(u"\\Strings\\")))
                strings->nodeFlags &= ~KRNode::kPersistent;
        }
        PrintLines(out, *node);
        return 0;
    }
    const bool isGroup = dynamic_cast<KRGroup*>(node) != nullptr;
    if (get->parsed()) {
        if (!isGroup) {
            KString value(63, KRString::kMaxValue);
            node->AppendValue(value);
            Print(out, value);
        }
        return 0;
    }
    KString value = Arg(valueText);
    if (isGroup || !node->ParseValue(value)) {
        std::fprintf(err, "tessaron-cli settings: %s does not take the value %s\n",
                     pathText.c_str(), valueText.c_str());
        return 1;
    }
    node->nodeFlags |= KRNode::kAssigned;
    return SaveToolSettings(settings, "settings", err) ? 0 : 1;
}
