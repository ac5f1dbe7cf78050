#include "KRGroup.h"

#include "KRegistry.h"

namespace {

constexpr int32_t kMaxLine = 1 << 20;

}  // namespace

std::unique_ptr<KRNode> KRGroup::NewChildValue(const KString& typeName) const {
    const auto* root = dynamic_cast<const KRegistry*>(const_cast<KRGroup*>(this)->Root());
    return root ? root->NewValue(typeName) : nullptr;
}

KRNode& KRGroup::AddChild(std::unique_ptr<KRNode> child) {
    child->parent = this;
    KRNode& added = *child;
    children.Add(std::move(child));
    return added;
}

bool KRGroup::MatchesName(const KString& path) const {
    return path.StartsWithIgnoreCase(name) && path.CharAt(name.Length()) == u'\\';
}

bool KRGroup::ParseType(KString& text) {
    KString31 word;
    while (text.Length() > 0 && text.CharAt(0) != u'=' && text.CharAt(0) != u',') {
        word.AppendChar(text.CharAt(0));
        text.Seek(1, 1);
    }
    if (text.CharAt(0) == u',') {
        text.Seek(1, 1);
        KString15 number;
        while (text.Length() > 0 && text.CharAt(0) != u'=') {
            number.AppendChar(text.CharAt(0));
            text.Seek(1, 1);
        }
        int32_t n;
        if (number.ParseInt(&n, 0)) typeNumber = n;
    }
    word.TrimLeft();
    word.TrimRight();
    if (className.IsEmpty()) className.Assign(word);
    return true;
}

void KRGroup::AppendType(KString& out) const {
    out.Append(className).AppendChar(u',').AppendInt(typeNumber);
}

void KRGroup::WriteLines(KStream& stream, const KString& prefix) const {
    KString line(63, kMaxLine);
    line.Append(prefix).Append(name).Append(u"\\:");
    AppendType(line);
    line.Append(u"=\n");
    stream.WriteText(line);
    KString inner(63, kMaxLine);
    inner.Append(prefix).Append(name).AppendChar(u'\\');
    for (const KRNode& child : children)
        if (child.IsPersistent()) child.WriteLines(stream, inner);
}

KRNode* KRGroup::Apply(KString& line) {
    const int32_t saved = line.Start();
    KRNode* result = ApplyHere(line);
    line.Seek(saved, 0);
    return result;
}

KRNode* KRGroup::ApplyHere(KString& line) {
    StepOverName(line, u'\\');
    if (line.IsEmpty()) return this;
    if (line.CharAt(0) == u':') {
        line.Seek(1, 1);
        ParseType(line);
        if (line.CharAt(0) == u'=') {
            line.Seek(1, 1);
            ParseValue(line);
        }
        return this;
    }
    if (!KRIsNameChar(line.CharAt(0))) return nullptr;
    for (KRNode& child : children) {
        if (!child.MatchesName(line)) continue;
        if (KRNode* found = child.Apply(line)) return found;
    }
    return CreateChild(line);
}

KRNode* KRGroup::CreateChild(KString& line) {
    const int32_t colon = line.Find(u':');
    if (colon < 0 || line.Find(u'=', colon) < 0) return nullptr;
    const int32_t slash = line.Find(u'\\');
    const bool isGroup = slash >= 0 && slash == colon - 1;
    if (slash >= 0 && slash < colon && !isGroup)
        return nullptr;  // groups are never made implicitly
    KString31 typeName;
    for (int32_t i = colon + 1;
         i < line.Length() && (KRIsNameChar(line.CharAt(i)) || line.CharAt(i) == u' '); ++i)
        typeName.AppendChar(line.CharAt(i));
    typeName.TrimLeft();
    typeName.TrimRight();
    std::unique_ptr<KRNode> node = isGroup ? NewChildGroup() : NewChildValue(typeName);
    if (!node) return nullptr;
    line.SubString(node->name, 0, isGroup ? slash : colon);
    // The line is applied past the whole name, which may be longer than
    // the node's.
    line.Seek(isGroup ? slash + 1 : colon, 1);
    bool typeAccepted = true;
    bool valueAccepted = true;
    if (auto* value = dynamic_cast<KRValue*>(node.get())) {
        value->ApplyToSelf(line, &typeAccepted, &valueAccepted);
    } else if (auto* group = dynamic_cast<KRGroup*>(node.get())) {
        group->ApplyHere(line);
    }
    if (!typeAccepted || !valueAccepted) return nullptr;
    return &AddChild(std::move(node));
}
