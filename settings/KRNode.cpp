#include "KRNode.h"

#include "KRGroup.h"

namespace {

constexpr int32_t kMaxLine = 1 << 20;

// Reads the type text up to '=' into fields (comma-separated, no quoting);
// the cursor stops at the '='.
int SplitTypeText(KString& text, KString31* fields, int max) {
    int count = 0;
    while (text.Length() > 0 && text.CharAt(0) != u'=') {
        const KChar c = text.CharAt(0);
        if (c == u',') {
            ++count;
        } else if (count < max) {
            fields[count].AppendChar(c);
        }
        text.Seek(1, 1);
    }
    return count + 1;
}

}  // namespace

bool KRIsNameChar(KChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || KIsDigit(c) || c == u'_' ||
           (c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7);
}

KRNode* KRNode::Root() {
    KRNode* node = this;
    while (node->Parent()) node = node->Parent();
    return node;
}

bool KRNode::StepOverName(KString& text, KChar terminator) const {
    if (!text.StartsWithIgnoreCase(name) || text.CharAt(name.Length()) != terminator) return false;
    text.Seek(name.Length() + 1, 1);
    return true;
}

bool KRNode::ParseType(KString& text) {
    KString31 fields[4];
    SplitTypeText(text, fields, 4);
    fields[0].TrimLeft();
    fields[0].TrimRight();
    int32_t number;
    if (fields[1].ParseInt(&number, 0)) typeNumber = number;
    ParseLimits(fields[2], fields[3]);
    return fields[0].EqualsIgnoreCase(KString(TypeName()));
}

void KRNode::AppendType(KString& out) const {
    out.Append(TypeName()).AppendChar(u',').AppendInt(typeNumber);
}

void KRNode::WriteLines(KStream& stream, const KString& prefix) const {
    KString line(63, kMaxLine);
    line.Append(prefix).Append(name).AppendChar(u':');
    AppendType(line);
    line.AppendChar(u'=');
    AppendValue(line);
    line.AppendChar(u'\n');
    stream.WriteText(line);
}

void KRNode::Read(KStream& stream) {
    KString line(255, kMaxLine);
    const KString lineEnd(u"\n");
    const KString none(u"");
    stream.ReadUntil(line, lineEnd, none);  // the header
    KRNode* root = Root();
    for (;;) {
        line.Empty();
        const int32_t stop = stream.ReadUntil(line, lineEnd, none);
        if (!line.IsEmpty()) root->Apply(line);
        if (stop < 0) break;
    }
}

void KRNode::WriteAbsoluteLines(KStream& stream) const {
    // Absolute paths, so that the lines apply to a root wherever they are read.
    KString prefix(63, kMaxLine);
    for (const KRGroup* p = Parent(); p; p = p->Parent()) {
        prefix.Insert(KString(u"\\"), 0);
        if (p->Parent()) prefix.Insert(p->name, 0);
    }
    WriteLines(stream, prefix);
}

void KRNode::Write(KStream& stream) const {
    stream.WriteText(KString(u"Registry Version: 1.00\n"));
    WriteAbsoluteLines(stream);
}

KRNode* KRValue::Apply(KString& line) {
    bool typeAccepted;
    bool valueAccepted;
    const int32_t saved = line.Start();
    ApplyToSelf(line, &typeAccepted, &valueAccepted);
    line.Seek(saved, 0);
    return this;
}

void KRValue::ApplyToSelf(KString& line, bool* typeAccepted, bool* valueAccepted) {
    *typeAccepted = *valueAccepted = false;
    if (line.StartsWithIgnoreCase(name) &&
        (line.CharAt(name.Length()) == u':' || line.Length() == name.Length()))
        line.Seek(name.Length(), 1);
    if (line.CharAt(0) != u':') return;
    line.Seek(1, 1);
    *typeAccepted = ParseType(line);
    if (line.CharAt(0) != u'=') return;
    line.Seek(1, 1);
    *valueAccepted = ParseValue(line);
    if (*valueAccepted) nodeFlags |= kAssigned;
}

bool KRValue::MatchesName(const KString& path) const {
    if (!path.StartsWithIgnoreCase(name)) return false;
    return path.Length() == name.Length() || path.CharAt(name.Length()) == u':';
}
