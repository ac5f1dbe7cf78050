#include "TLayoutJson.h"

#include <climits>
#include <cstdio>
#include <set>

#include "KErrors.h"
#include "KFile.h"
#include "KReadCursor.h"
#include "KUtf8.h"
#include "KX.h"
#include "TBitmapObject.h"
#include "TLayout.h"
#include "TPrototypes.h"
#include "TTextObject.h"
#include "TVideoDisplayObject.h"

namespace {

using Json = TLayoutJson::Json;

std::string Utf8(const KString& text) {
    return KUtf8Of(text);
}

Json ColourToJson(KColor c) {
    if (c < KColorTable::kCount) return Utf8(KString(KColorTable::kNames[c]));
    if ((c & 0xFF000000) == kColorDirect) {
        char text[8];
        std::snprintf(text, sizeof text, "#%06X", unsigned(c & 0xFFFFFF));
        return text;
    }
    return c;
}

// The keys of one JSON object, checked one by one as they are taken; what is
// left at the end is unknown.
class Members {
  public:
    Members(const Json& object, std::string where) : object_(object), where_(std::move(where)) {
        if (!object_.is_object()) Fail("", "must be an object");
        for (const auto& member : object_.items()) left_.insert(member.key());
    }

    [[noreturn]] void Fail(const std::string& key, const std::string& what) const {
        std::string text = where_;
        if (!key.empty()) text += (text.empty() ? "" : ": ") + std::string("key \"") + key + "\"";
        throw TLayoutJsonError(text + ": " + what);
    }

    const Json* Take(const char* key) {
        left_.erase(key);
        const auto found = object_.find(key);
        return found == object_.end() ? nullptr : &*found;
    }

    void Int(const char* key, int32_t& out) {
        if (const Json* v = Take(key)) {
            if (!v->is_number_integer()) Fail(key, "must be an integer");
            const int64_t n = v->is_number_unsigned() && v->get<uint64_t>() > INT64_MAX
                                  ? INT64_MAX
                                  : v->get<int64_t>();
            if (n < INT32_MIN || n > INT32_MAX) Fail(key, "is out of range");
            out = static_cast<int32_t>(n);
        }
    }

    void Unsigned(const char* key, uint32_t& out) {
        if (const Json* v = Take(key)) {
            if (!v->is_number_unsigned() || v->get<uint64_t>() > UINT32_MAX)
                Fail(key, "must be an unsigned 32-bit integer");
            out = static_cast<uint32_t>(v->get<uint64_t>());
        }
    }

    void Bool(const char* key, bool& out) {
        if (const Json* v = Take(key)) {
            if (!v->is_boolean()) Fail(key, "must be true or false");
            out = v->get<bool>();
        }
    }

    void String(const char* key, KString& out) {
        if (const Json* v = Take(key)) {
            if (!v->is_string()) Fail(key, "must be a string");
            out.Empty();
            KAppendUtf8(out, v->get_ref<const std::string&>());
        }
    }

    void Colour(const char* key, KColor& out) {
        const Json* v = Take(key);
        if (!v) return;
        if (v->is_number_unsigned() && v->get<uint64_t>() <= UINT32_MAX) {
            out = static_cast<KColor>(v->get<uint64_t>());
            return;
        }
        if (!v->is_string()) Fail(key, "must be a colour name, \"#RRGGBB\" or a number");
        const std::string& text = v->get_ref<const std::string&>();
        for (int i = 0; i < KColorTable::kCount; ++i) {
            if (text == Utf8(KString(KColorTable::kNames[i]))) {
                out = static_cast<KColor>(i);
                return;
            }
        }
        unsigned rgb = 0;
        int used = 0;
        if (text.size() != 7 || text[0] != '#' ||
            text.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos ||
            std::sscanf(text.c_str() + 1, "%x%n", &rgb, &used) != 1 || used != 6)
            Fail(key, "is no colour: " + text);
        out = kColorDirect | rgb;
    }

    // Fails on the first key nobody took.
    void CheckAllTaken() const {
        if (!left_.empty()) Fail(*left_.begin(), "is unknown");
    }

    const std::string& Where() const { return where_; }

  private:
    const Json& object_;
    std::string where_;
    std::set<std::string> left_;
};

Json FontToJson(const K3DFontInfo& font) {
    return Json{{"name", Utf8(font.FaceName())},       {"size", font.Size()},
                {"widthPercent", font.WidthPercent()}, {"squeeze", font.Squeeze()},
                {"squeezeMin", font.SqueezeMinimum()}, {"face", ColourToJson(font.face)},
                {"border", ColourToJson(font.border)}, {"shadow", ColourToJson(font.shadow)},
                {"back", ColourToJson(font.back)}};
}

void FontFromJson(Members& object, K3DFontInfo& font) {
    const Json* v = object.Take("font");
    if (!v) return;
    Members m(*v, object.Where() + ": key \"font\"");
    KString31 name(font.FaceName());
    int32_t size = font.Size(), width = font.WidthPercent(), squeezeMin = font.SqueezeMinimum();
    bool squeeze = font.Squeeze();
    m.String("name", name);
    m.Int("size", size);
    m.Int("widthPercent", width);
    m.Bool("squeeze", squeeze);
    m.Int("squeezeMin", squeezeMin);
    m.Colour("face", font.face);
    m.Colour("border", font.border);
    m.Colour("shadow", font.shadow);
    m.Colour("back", font.back);
    m.CheckAllTaken();
    // In the order a layout file is read, so both give the same font.
    font.SetSqueeze(squeeze);
    font.SetSqueezeMinimum(squeezeMin);
    font.SetWidthPercent(width);
    font.SetFaceName(name);
    font.SetSize(size);
}

}  // namespace

Json TLayoutJson::ToJson(const TLayout& layout, uint32_t version) {
    const TLayoutState& state = layout.State();
    Json objects = Json::array();
    for (const TLayoutObject& o : layout.Objects()) objects.push_back(ObjectToJson(o));
    return Json{{"version", version},
                {"lastId", layout.LastId()},
                {"reserved", layout.Reserved()},
                {"background", ColourToJson(state.background)},
                {"sourceMode", state.sourceMode},
                {"sourceMask", state.sourceMask},
                {"objects", objects}};
}

Json TLayoutJson::ObjectToJson(const TLayoutObject& o) {
    Json j{{"class", o.ClassName()},
           {"id", o.Id()},
           {"flags", o.Flags()},
           {"x", o.X()},
           {"y", o.Y()},
           {"width", o.Width()},
           {"height", o.Height()},
           {"field", Utf8(o.Field())},
           {"sourceMode", o.SourceMode()},
           {"sourceMask", o.SourceMask()},
           {"trigger", Utf8(o.TriggerName())},
           {"triggerTime", o.TriggerTime()}};
    if (const auto* text = dynamic_cast<const TTextObject*>(&o)) {
        j["font"] = FontToJson(text->Font());
        j["justification"] = text->Justification();
        j["text"] = Utf8(text->Text());
        j["value"] = Utf8(text->Value());
        j["lines"] = text->Lines();
        j["lineSpace"] = text->LineSpace();
    } else if (const auto* bitmap = dynamic_cast<const TBitmapObject*>(&o)) {
        j["file"] = Utf8(bitmap->File());
        j["format"] = Utf8(bitmap->Format());
        j["value"] = Utf8(bitmap->Value());
        j["blackTransparent"] = bitmap->BlackTransparent();
        j["directory"] = Utf8(bitmap->Directory());
        j["speed"] = bitmap->Speed();
    } else if (const auto* video = dynamic_cast<const TVideoDisplayObject*>(&o)) {
        j["rotate"] = video->Rotate();
        j["blackTransparent"] = video->BlackTransparent();
    }
    return j;
}

void TLayoutJson::FromJson(const Json& document, TLayout& layout) {
    Members m(document, "");
    uint32_t version = 0;
    m.Unsigned("version", version);  // of the file it came from; not used
    TLayoutState& state = *layout.state_;
    m.Colour("background", state.background);
    m.Int("sourceMode", state.sourceMode);
    m.Unsigned("sourceMask", state.sourceMask);
    int32_t reserved = layout.Reserved();
    m.Int("reserved", reserved);
    layout.SetReserved(reserved);
    if (const Json* objects = m.Take("objects")) {
        if (!objects->is_array()) m.Fail("objects", "must be a list");
        for (size_t i = 0; i < objects->size(); ++i)
            ObjectFromJson((*objects)[i], layout, "objects[" + std::to_string(i) + "]");
        // One report for all: a report per object would go to every object
        // added before it, which grows with the square of their number.
        if (!objects->empty()) layout.Send(TLayoutObject::kMessageLayout);
    }
    // After the objects, whose new ids count up from the layout's counter.
    int32_t lastId = layout.LastId();
    m.Int("lastId", lastId);
    layout.SetLastId(lastId);
    m.CheckAllTaken();
}

void TLayoutJson::ObjectFromJson(const Json& item, TLayout& layout, const std::string& where) {
    Members m(item, where);
    KString63 className;
    if (!m.Take("class")) m.Fail("class", "is missing");
    m.String("class", className);
    const TLayoutObject* prototype = TPrototypes::Find(className);
    if (!prototype) m.Fail("class", "names no object class: " + Utf8(className));
    std::unique_ptr<TLayoutObject> made = prototype->Clone(&layout, layout.NewId());
    TLayoutObject& o = *made;
    layout.state_->objects.Add(std::move(made));
    int32_t id = o.Id();
    m.Int("id", id);
    o.SetId(id);
    m.Unsigned("flags", o.flags_);
    m.Int("x", o.x_);
    m.Int("y", o.y_);
    m.Int("width", o.width_);
    const bool heightGiven = item.is_object() && item.contains("height");
    m.Int("height", o.height_);
    m.String("field", o.field_);
    m.Int("sourceMode", o.sourceMode_);
    m.Unsigned("sourceMask", o.sourceMask_);
    m.String("trigger", o.trigger_);
    m.Int("triggerTime", o.triggerTime_);
    o.triggerExpiry_ = 0;
    o.UpdateVisibility(0);
    if (auto* text = dynamic_cast<TTextObject*>(&o)) {
        FontFromJson(m, text->font_);
        m.Int("justification", text->justification_);
        m.String("text", text->text_);
        m.String("value", text->value_);
        m.Int("lines", text->lines_);
        m.Int("lineSpace", text->lineSpace_);
        if (text->lines_ < 1 || text->lines_ > TTextObject::kMaxLines)
            m.Fail("lines", "must lie in 1..25");
        if (!heightGiven) text->height_ = text->TextHeight();
    } else if (auto* bitmap = dynamic_cast<TBitmapObject*>(&o)) {
        m.String("file", bitmap->file_);
        m.String("format", bitmap->format_);
        m.String("value", bitmap->value_);
        m.Bool("blackTransparent", bitmap->blackTransparent_);
        m.String("directory", bitmap->directory_);
        m.Int("speed", bitmap->speed_);
        bitmap->Reload(true);
        bitmap->ApplySize();
    } else if (auto* video = dynamic_cast<TVideoDisplayObject*>(&o)) {
        m.Int("rotate", video->rotate_);
        m.Bool("blackTransparent", video->blackTransparent_);
        video->SetUp();
    }
    m.CheckAllTaken();
}

std::string TLayoutJson::ToText(const TLayout& layout) {
    return ToJson(layout, layout.FileVersion())
               .dump(2, ' ', false, Json::error_handler_t::replace) +
           "\n";
}

void TLayoutJson::ReadFile(KFile& file, TLayout& layout) {
    const int64_t size = file.GetSize();
    if (size < 0 || size > kMaxFileBytes) throw KXPersistent(kErrFileContents);
    std::string text(static_cast<size_t>(size), '\0');
    KReadCursor cursor(file);
    if (!cursor.Read(text.data(), static_cast<int32_t>(size))) throw KXPersistent(kErrFileContents);
    try {
        FromJson(Json::parse(text), layout);
    } catch (const Json::exception&) {
        throw KXPersistent(kErrFileContents);
    } catch (const TLayoutJsonError&) {
        throw KXPersistent(kErrFileContents);
    }
}

TLayoutJson::Json TLayoutJson::SelectionToJson(const TLayout& layout) {
    Json objects = Json::array();
    for (const TLayoutObject& o : layout.Objects())
        if (o.IsSelected()) objects.push_back(ObjectToJson(o));
    return Json{{"objects", objects}};
}
