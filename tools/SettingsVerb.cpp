#include "SettingsVerb.h"

#include <cstring>
#include <string>

#include "KMemoryStream.h"
#include "KUtf8.h"
#include "TSettings.h"
#include "ToolStartUp.h"

namespace {

int Usage(FILE* err) {
    std::fputs(
        "usage: tessaron-cli settings [--home DIR] get PATH | set PATH VALUE | lines [PATH] | help "
        "PATH\n",
        err);
    return 2;
}

KString Arg(const char* text) {
    KString s(63, KRString::kMaxValue);
    KAppendUtf8(s, text, std::strlen(text));
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
    const char* homeOption = nullptr;
    int i = 0;
    if (i + 1 < argc && std::strcmp(argv[i], "--home") == 0) {
        homeOption = argv[i + 1];
        i += 2;
    }
    if (i >= argc) return Usage(err);
    const std::string action = argv[i++];
    const int rest = argc - i;
    if (!((action == "get" && rest == 1) || (action == "set" && rest == 2) ||
          (action == "lines" && rest <= 1) || (action == "help" && rest == 1)))
        return Usage(err);

    TSettings settings;
    if (!StartToolSettings(homeOption, settings, err)) return 1;
    KRegistry& registry = settings.Registry();
    const KString path = Arg(rest > 0 ? argv[i] : "\\");

    if (action == "help") {
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
        std::fprintf(err, "tessaron-cli settings: no setting %s\n", argv[i]);
        return 1;
    }
    if (action == "lines") {
        // The UI texts are shown when asked for, as the configuration leaves them out.
        if (node == &registry) {
            if (KRGroup* strings = registry.FindGroup(KString(u"\\Strings\\")))
                strings->nodeFlags &= ~KRNode::kPersistent;
        }
        PrintLines(out, *node);
        return 0;
    }
    const bool isGroup = dynamic_cast<KRGroup*>(node) != nullptr;
    if (action == "get") {
        if (!isGroup) {
            KString value(63, KRString::kMaxValue);
            node->AppendValue(value);
            Print(out, value);
        }
        return 0;
    }
    KString value = Arg(argv[i + 1]);
    if (isGroup || !node->ParseValue(value)) {
        std::fprintf(err, "tessaron-cli settings: %s does not take the value %s\n", argv[i],
                     argv[i + 1]);
        return 1;
    }
    node->nodeFlags |= KRNode::kAssigned;
    if (settings.Save() != 0) {
        std::fprintf(err, "tessaron-cli settings: cannot save %s\n", settings.ConfigPath().c_str());
        return 1;
    }
    return 0;
}
