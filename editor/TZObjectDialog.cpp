#include "TZObjectDialog.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "K3DFonts.h"
#include "KBitmap.h"
#include "KZDialogButtons.h"
#include "KZRadioGroup.h"
#include "KZText.h"
#include "TBitmapObject.h"
#include "TLayoutSettings.h"
#include "TTextObject.h"
#include "TVideoDisplayObject.h"
#include "TZColorPicker.h"

namespace {

constexpr const char16_t* kDialog = u"\\Strings\\Layout\\Object\\Dialog\\";
constexpr const char16_t* kBasic = u"\\Strings\\Layout\\Object\\Dialog\\Basic\\";
constexpr const char16_t* kText = u"\\Strings\\Layout\\Object\\Dialog\\Text\\";
constexpr const char16_t* kBitmap = u"\\Strings\\Layout\\Object\\Dialog\\Bitmap\\";
constexpr const char16_t* kVideo = u"\\Strings\\Layout\\Object\\Dialog\\VidDsp\\";

// Far beyond any board, so that the model, not the control, clamps.
constexpr int kFar = 99999;
constexpr int kMaxTriggerMs = 24 * 3600 * 1000;
constexpr int kMaxSpeed = 10000;
constexpr QSize kPreview{240, 135};
// Sizes offered for fonts that draw any size.
constexpr int kSizes[] = {10, 12, 14, 16, 20, 24, 28, 34, 40, 50, 66, 83, 100, 132, 200};

// A font info with one field changed, for the text object's SetFont.
template <class Change>
void ChangeFont(TTextObject& o, Change change) {
    K3DFontInfo font = o.Font();
    change(font);
    o.SetFont(font);
}

// Up to kPreview pixels of a picture, sampled, for a glance at it; black
// not drawn shows as a chequer.
QPixmap PreviewOf(const KBitmap& frame, bool blackTransparent) {
    const QSize size =
        QSize(frame.Width(), frame.Height())
            .scaled(kPreview.boundedTo(QSize(frame.Width(), frame.Height())), Qt::KeepAspectRatio);
    if (size.isEmpty()) return {};
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
        const int32_t from = y * frame.Height() / size.height();
        for (int x = 0; x < size.width(); ++x) {
            const uint32_t rgb = frame.GetPixel(x * frame.Width() / size.width(), from);
            const bool chequer = blackTransparent && rgb == 0;
            row[x] = chequer ? ((x / 6 + y / 6) % 2 ? 0xFF6A6A6A : 0xFF8A8A8A) : 0xFF000000 | rgb;
        }
    }
    return QPixmap::fromImage(image);
}

}  // namespace

TZObjectDialog::TZObjectDialog(std::vector<TLayoutObject*> objects, KRegistry& settings,
                               const TZSourceNames& names, QWidget* parent)
    : QDialog(parent), objects_(std::move(objects)), settings_(settings), pages_(new QTabWidget) {
    colors_.Load(settings);
    setWindowTitle(KZSettingText(settings, kDialog, u"Title"));
    pages_->addTab(BasicPage(names), KZSettingText(settings, kBasic, u"BasicTab"));
    if (AllOf<TTextObject>())
        pages_->addTab(TextPage(), KZSettingText(settings, kText, u"TextTab"));
    if (AllOf<TBitmapObject>())
        pages_->addTab(BitmapPage(), KZSettingText(settings, kBitmap, u"BitmapTab"));
    if (AllOf<TVideoDisplayObject>())
        pages_->addTab(VideoPage(), KZSettingText(settings, kVideo, u"VidDspTab"));
    QDialogButtonBox* buttons = KZOkCancel(settings, *this);
    auto* column = new QVBoxLayout(this);
    column->addWidget(pages_);
    column->addWidget(buttons);
    Refresh();
    // The keys start at the first field, and Ctrl+Tab turns the pages.
    pages_->widget(0)->findChild<QSpinBox*>("x")->setFocus();
}

TZObjectDialog::~TZObjectDialog() = default;

void TZObjectDialog::done(int result) {
    if (result == Accepted)
        if (QWidget* typing = focusWidget()) typing->clearFocus();
    QDialog::done(result);
}

template <class T>
bool TZObjectDialog::AllOf() const {
    return std::all_of(objects_.begin(), objects_.end(),
                       [](TLayoutObject* o) { return dynamic_cast<T*>(o) != nullptr; });
}

template <class T, class Get>
auto TZObjectDialog::Common(Get get) const
    -> std::optional<decltype(get(std::declval<const T&>()))> {
    std::optional<decltype(get(std::declval<const T&>()))> shared;
    for (const TLayoutObject* o : objects_) {
        const auto* typed = dynamic_cast<const T*>(o);
        if (!typed) continue;
        auto value = get(*typed);
        if (shared && !(*shared == value)) return std::nullopt;
        shared = std::move(value);
    }
    return shared;
}

template <class T, class Set>
void TZObjectDialog::Apply(Set set) {
    for (TLayoutObject* o : objects_)
        if (auto* typed = dynamic_cast<T*>(o)) set(*typed);
    Refresh();
}

void TZObjectDialog::Refresh() {
    refreshing_ = true;
    for (const auto& show : shows_) show();
    refreshing_ = false;
    ShowPreview();
}

template <class T, class Get, class Set>
QSpinBox* TZObjectDialog::Spin(const char* name, int min, int max, Get get, Set set) {
    auto* spin = new QSpinBox;
    spin->setObjectName(name);
    // The value below the range stands for values that differ.
    spin->setRange(min - 1, max);
    spin->setSpecialValueText(" ");
    spin->setKeyboardTracking(false);
    shows_.push_back([this, spin, get, min] {
        const auto value = Common<T>(get);
        spin->setValue(value ? static_cast<int>(*value) : min - 1);
    });
    connect(spin, &QSpinBox::valueChanged, this, [this, set, min](int value) {
        if (refreshing_ || value < min) return;
        Apply<T>([&](T& o) { set(o, value); });
    });
    return spin;
}

template <class T, class Get, class Set>
QCheckBox* TZObjectDialog::Check(const char* name, const QString& text, Get get, Set set) {
    auto* box = new QCheckBox(text);
    box->setObjectName(name);
    shows_.push_back([this, box, get] {
        const auto on = Common<T>(get);
        box->setTristate(!on);
        box->setCheckState(!on ? Qt::PartiallyChecked : *on ? Qt::Checked : Qt::Unchecked);
    });
    connect(box, &QCheckBox::clicked, this, [this, box, set] {
        if (refreshing_) return;
        const bool on = box->checkState() != Qt::Unchecked;
        Apply<T>([&](T& o) { set(o, on); });
    });
    return box;
}

template <class T, class Get, class Set>
QLineEdit* TZObjectDialog::Line(const char* name, int maxLength, Get get, Set set) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setMaxLength(maxLength);
    shows_.push_back([this, edit, get] {
        const auto text = Common<T>(get);
        edit->setText(text ? *text : QString());
        edit->setPlaceholderText(text ? QString() : QStringLiteral("…"));
    });
    connect(edit, &QLineEdit::editingFinished, this, [this, edit, set] {
        if (refreshing_ || !edit->isModified()) return;
        const KString text = KZKString(edit->text());
        Apply<T>([&](T& o) { set(o, text); });
    });
    return edit;
}

template <class T, class Get, class Set>
QWidget* TZObjectDialog::Choice(const char* name,
                                std::initializer_list<std::pair<QString, int>> choices, Get get,
                                Set set) {
    auto* group = new KZRadioGroup(choices);
    group->setObjectName(name);
    shows_.push_back([this, group, get] {
        const auto value = Common<T>(get);
        group->SetValue(value ? static_cast<int>(*value) : -1);
    });
    for (const auto& choice : choices) {
        const int value = choice.second;
        connect(group->Button(value), &QAbstractButton::clicked, this, [this, set, value] {
            if (!refreshing_) Apply<T>([&](T& o) { set(o, value); });
        });
    }
    return group;
}

TZColorPicker* TZObjectDialog::Colour(const char* name, KColor K3DFontInfo::*colour) {
    auto* picker = new TZColorPicker(settings_, colors_);
    picker->setObjectName(name);
    shows_.push_back([this, picker, colour] {
        picker->SetColor(
            Common<TTextObject>([colour](const TTextObject& o) { return o.Font().*colour; }));
    });
    picker->SetPicked([this, picker, colour] {
        const std::optional<KColor> chosen = picker->Color();
        if (!chosen) return;
        Apply<TTextObject>(
            [&](TTextObject& o) { ChangeFont(o, [&](K3DFontInfo& f) { f.*colour = *chosen; }); });
    });
    return picker;
}

QWidget* TZObjectDialog::Pair(const QString& label, QWidget* control) {
    auto* pair = new QWidget;
    auto* row = new QHBoxLayout(pair);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(label));
    row->addWidget(control, 1);
    return pair;
}

std::function<QString(const char16_t*)> TZObjectDialog::Texts(const char16_t* prefix) const {
    return [this, prefix](const char16_t* name) { return KZSettingText(settings_, prefix, name); };
}

void TZObjectDialog::OnChosen(QComboBox* box, const std::function<void()>& chosen) {
    connect(box, &QComboBox::activated, this, chosen);
    connect(box->lineEdit(), &QLineEdit::editingFinished, this, [box, chosen] {
        if (box->lineEdit()->isModified()) chosen();
    });
}

// Pages

QWidget* TZObjectDialog::BasicPage(const TZSourceNames& names) {
    const auto text = Texts(kBasic);
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    using O = TLayoutObject;

    auto* position = new QHBoxLayout;
    position->addWidget(Pair(text(u"Horiz"), Spin<O>(
                                                 "x", -kFar, kFar, [](const O& o) { return o.X(); },
                                                 [](O& o, int v) { o.SetPosition(v, o.Y()); })));
    position->addWidget(Pair(text(u"Vert"), Spin<O>(
                                                "y", -kFar, kFar, [](const O& o) { return o.Y(); },
                                                [](O& o, int v) { o.SetPosition(o.X(), v); })));
    form->addRow(text(u"Position"), position);

    auto* size = new QHBoxLayout;
    size->addWidget(
        Pair(text(u"Width"), Spin<O>(
                                 "width", -kFar, kFar, [](const O& o) { return o.Width(); },
                                 [](O& o, int v) { o.SetSize(v, o.Height()); })));
    size->addWidget(
        Pair(text(u"Height"), Spin<O>(
                                  "height", -kFar, kFar, [](const O& o) { return o.Height(); },
                                  [](O& o, int v) { o.SetSize(o.Width(), v); })));
    form->addRow(text(u"Size"), size);
    if (std::all_of(objects_.begin(), objects_.end(), [](O* o) { return o->CanScale(); })) {
        auto* scale = new QHBoxLayout;
        scale->addWidget(Check<O>(
            "stretch", text(u"Stretch"), [](const O& o) { return (o.Flags() & O::kStretch) != 0; },
            [](O& o, bool on) {
                o.SetScaleMode((on ? 1 : 0) | (o.Flags() & O::kKeepAspect) >> 3);
            }));
        scale->addWidget(Check<O>(
            "keepAspect", text(u"KeepAspect"),
            [](const O& o) { return (o.Flags() & O::kKeepAspect) != 0; },
            [](O& o, bool on) { o.SetScaleMode((o.Flags() & O::kStretch) >> 3 | (on ? 2 : 0)); }));
        scale->addStretch();
        form->addRow(QString(), scale);
    }

    form->addRow(text(u"Type"), Choice<O>(
                                    "type", {{text(u"TypeStatic"), 0}, {text(u"TypeDynamic"), 1}},
                                    [](const O& o) { return o.IsDynamic() ? 1 : 0; },
                                    [](O& o, int v) { o.SetDynamic(v == 1); }));

    auto* field = new QComboBox;
    field->setObjectName("field");
    field->setEditable(true);
    field->addItems(names.fields);
    field->setInsertPolicy(QComboBox::NoInsert);
    shows_.push_back([this, field] {
        const auto name = Common<O>([](const O& o) { return KZQString(o.Field()); });
        field->setEditText(name ? *name : QString());
    });
    const auto setField = [this, field] {
        if (refreshing_) return;
        const KString name = KZKString(field->currentText());
        Apply<O>([&](O& o) { o.SetField(name); });
    };
    OnChosen(field, setField);
    form->addRow(text(u"Field"), field);

    AddSourceRule(*form, names);

    auto* trigger = new QHBoxLayout;
    trigger->addWidget(Line<O>(
        "trigger", 15, [](const O& o) { return KZQString(o.TriggerName()); },
        [](O& o, const KString& v) { o.SetTrigger(v); }));
    QSpinBox* time = Spin<O>(
        "triggerTime", 0, kMaxTriggerMs, [](const O& o) { return o.TriggerTime(); },
        [](O& o, int v) { o.SetTriggerTime(v); });
    time->setSuffix(" ms");
    trigger->addWidget(Pair(text(u"TriggerTime"), time));
    form->addRow(text(u"Trigger"), trigger);
    return page;
}

void TZObjectDialog::AddSourceRule(QFormLayout& form, const TZSourceNames& names) {
    const auto text = Texts(kBasic);
    using O = TLayoutObject;
    form.addRow(text(u"Source"),
                Choice<O>(
                    "override", {{text(u"SrcLayout"), 0}, {text(u"SrcLocal"), 1}},
                    [](const O& o) { return (o.Flags() & O::kLocalOverride) ? 1 : 0; },
                    [](O& o, int v) { o.SetLocalOverride(v == 1); }));
    auto* rule = new TZSourceRule(text(u"SrcAny"), text(u"SrcSelected"), names.definitions);
    rule->setObjectName("sourceRule");
    shows_.push_back([this, rule] {
        uint32_t inAll = ~uint32_t{0};
        uint32_t inSome = 0;
        for (const O* o : objects_) {
            inAll &= o->SourceMask();
            inSome |= o->SourceMask();
        }
        rule->Show(Common<O>([](const O& o) { return o.SourceMode(); }), inAll, inSome);
        const auto local =
            Common<O>([](const O& o) { return (o.Flags() & O::kLocalOverride) != 0; });
        rule->setEnabled(local.value_or(false));
    });
    rule->SetModePicked([this](int32_t mode) { Apply<O>([&](O& o) { o.SetSourceMode(mode); }); });
    rule->SetSourcePicked(
        [this](int32_t index, bool on) { Apply<O>([&](O& o) { o.SelectSource(index, on); }); });
    form.addRow(QString(), rule);
}

QWidget* TZObjectDialog::TextPage() {
    const auto text = Texts(kText);
    using T = TTextObject;
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);

    auto* font = new QHBoxLayout;
    font->addWidget(FontChoice(), 1);
    font->addWidget(Pair(text(u"Size"), SizeChoice()));
    QSpinBox* width = Spin<T>(
        "fontWidth", -kFar, kFar, [](const T& o) { return o.Font().WidthPercent(); },
        [](T& o, int v) { ChangeFont(o, [v](K3DFontInfo& f) { f.SetWidthPercent(v); }); });
    width->setSuffix(" %");
    font->addWidget(Pair(text(u"Width"), width));
    form->addRow(text(u"Font"), font);

    auto* squeeze = new QHBoxLayout;
    squeeze->addWidget(Check<T>(
        "shrink", text(u"ShrinkToFit"), [](const T& o) { return o.Font().Squeeze(); },
        [](T& o, bool on) { ChangeFont(o, [on](K3DFontInfo& f) { f.SetSqueeze(on); }); }));
    QSpinBox* least = Spin<T>(
        "shrinkMinimum", -kFar, kFar, [](const T& o) { return o.Font().SqueezeMinimum(); },
        [](T& o, int v) { ChangeFont(o, [v](K3DFontInfo& f) { f.SetSqueezeMinimum(v); }); });
    least->setSuffix(" %");
    squeeze->addWidget(least);
    squeeze->addStretch();
    form->addRow(QString(), squeeze);

    const struct {
        const char* name;
        const char16_t* label;
        KColor K3DFontInfo::*colour;
    } colours[] = {{"face", u"FaceColor", &K3DFontInfo::face},
                   {"border", u"BorderColor", &K3DFontInfo::border},
                   {"shadow", u"ShadowColor", &K3DFontInfo::shadow},
                   {"back", u"BackgroundColor", &K3DFontInfo::back}};
    for (const auto& c : colours) form->addRow(text(c.label), Colour(c.name, c.colour));

    form->addRow(text(u"Justification"),
                 Choice<T>(
                     "justification",
                     {{text(u"JustLeft"), 0}, {text(u"JustCenter"), 1}, {text(u"JustRight"), 2}},
                     [](const T& o) { return o.Justification(); },
                     [](T& o, int v) { o.SetJustification(v); }));
    auto* lines = new QHBoxLayout;
    lines->addWidget(Spin<T>(
        "lines", -kFar, kFar, [](const T& o) { return o.Lines(); },
        [](T& o, int v) { o.SetLines(v); }));
    lines->addWidget(Pair(text(u"LineSpace"),
                          Spin<T>(
                              "lineSpace", -kFar, kFar, [](const T& o) { return o.LineSpace(); },
                              [](T& o, int v) { o.SetLineSpace(v); })));
    form->addRow(text(u"NumLines"), lines);
    form->addRow(text(u"Text"), Line<T>(
                                    "text", 32767, [](const T& o) { return KZQString(o.Text()); },
                                    [](T& o, const KString& v) { o.SetText(v); }));
    return page;
}

QComboBox* TZObjectDialog::FontChoice() {
    auto* choice = new QComboBox;
    choice->setObjectName("font");
    if (K3DFonts* fonts = K3DFonts::Current()) {
        for (const K3DFont& font : *fonts) {
            const QString name = KZQString(font.Name());
            choice->addItem(
                name.isEmpty() ? KZSettingText(settings_, kText, u"FontInternal") : name, name);
        }
    }
    shows_.push_back([this, choice] {
        const auto name = Common<TTextObject>(
            [](const TTextObject& o) { return KZQString(o.Font().FaceName()); });
        // A font this machine lacks is still the layout's choice.
        if (name && choice->findData(*name) < 0) choice->addItem(*name, *name);
        choice->setCurrentIndex(name ? choice->findData(*name) : -1);
    });
    connect(choice, &QComboBox::activated, this, [this, choice] {
        const KString name = KZKString(choice->currentData().toString());
        Apply<TTextObject>(
            [&](TTextObject& o) { ChangeFont(o, [&](K3DFontInfo& f) { f.SetFaceName(name); }); });
    });
    return choice;
}

QComboBox* TZObjectDialog::SizeChoice() {
    auto* choice = new QComboBox;
    choice->setObjectName("fontSize");
    choice->setEditable(true);
    choice->setInsertPolicy(QComboBox::NoInsert);
    choice->setValidator(new QIntValidator(1, kFar, choice));
    shows_.push_back([this, choice] {
        choice->clear();
        const auto name = Common<TTextObject>(
            [](const TTextObject& o) { return KZQString(o.Font().FaceName()); });
        K3DFonts* fonts = K3DFonts::Current();
        const K3DFont* font = name && fonts ? fonts->Find(KZKString(*name)) : nullptr;
        if (font && font->HasFixedSizes()) {
            for (int32_t i = 0; i < font->SizeCount(); ++i)
                choice->addItem(QString::number(font->SizeAt(i)));
        } else {
            for (int size : kSizes) choice->addItem(QString::number(size));
        }
        const auto size = Common<TTextObject>([](const TTextObject& o) { return o.Font().Size(); });
        choice->setCurrentIndex(-1);
        choice->setEditText(size ? QString::number(*size) : QString());
    });
    const auto setSize = [this, choice] {
        bool number = false;
        const int size = choice->currentText().toInt(&number);
        if (refreshing_ || !number) return;
        Apply<TTextObject>(
            [size](TTextObject& o) { ChangeFont(o, [size](K3DFontInfo& f) { f.SetSize(size); }); });
    };
    OnChosen(choice, setSize);
    return choice;
}

QWidget* TZObjectDialog::BitmapPage() {
    const auto text = Texts(kBitmap);
    using B = TBitmapObject;
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    QLineEdit* file = Line<B>(
        "file", 255, [](const B& o) { return KZQString(o.File()); },
        [](B& o, const KString& v) { o.SetFile(v); });
    form->addRow(text(u"File"), Browse(file, false));
    form->addRow(text(u"Format"),
                 Line<B>(
                     "format", 31, [](const B& o) { return KZQString(o.Format()); },
                     [](B& o, const KString& v) { o.SetFormat(v); }));
    QLineEdit* directory = Line<B>(
        "directory", 255, [](const B& o) { return KZQString(o.Directory()); },
        [](B& o, const KString& v) { o.SetDirectory(v); });
    form->addRow(text(u"Directory"), Browse(directory, true));
    QSpinBox* speed = Spin<B>(
        "speed", -kMaxSpeed, kMaxSpeed, [](const B& o) { return o.Speed(); },
        [](B& o, int v) { o.SetSpeed(v); });
    speed->setSuffix(" %");
    form->addRow(text(u"Speed"), speed);
    form->addRow(QString(), Check<B>(
                                "blackTransparent", text(u"Background"),
                                [](const B& o) { return o.BlackTransparent(); },
                                [](B& o, bool on) { o.SetBlackTransparent(on); }));
    preview_ = new QLabel;
    preview_->setObjectName("preview");
    preview_->setFixedSize(kPreview);
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setFrameShape(QFrame::StyledPanel);
    form->addRow(QString(), preview_);
    return page;
}

QWidget* TZObjectDialog::Browse(QLineEdit* edit, bool folder) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit, 1);
    auto* browse = new QPushButton(KZSettingText(settings_, u"\\Strings\\Dialog\\", u"Browse"));
    layout->addWidget(browse);
    connect(browse, &QPushButton::clicked, this, [this, edit, folder] {
        const QString home = KZQString(TLayoutSettings::ApplicationFolder());
        const QString chosen =
            folder ? QFileDialog::getExistingDirectory(this, QString(), home)
                   : QFileDialog::getOpenFileName(this, QString(), home,
                                                  "Pictures (*.tga *.jpg *.jpeg *.gif)");
        if (chosen.isEmpty()) return;
        // Pictures of the program's folder are named from it, so the
        // layout goes with the folder.
        const QString relative = QDir(home).relativeFilePath(chosen);
        edit->setText(folder || relative.startsWith("..") ? chosen : relative);
        edit->setModified(true);
        emit edit->editingFinished();
    });
    return row;
}

QWidget* TZObjectDialog::VideoPage() {
    const auto text = Texts(kVideo);
    using V = TVideoDisplayObject;
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    form->addRow(text(u"Rotate"),
                 Choice<V>(
                     "rotate",
                     {{text(u"RotateOff"), 0}, {text(u"RotateLeft"), 1}, {text(u"RotateRight"), 2}},
                     [](const V& o) { return o.Rotate(); }, [](V& o, int v) { o.SetRotate(v); }));
    form->addRow(QString(), Check<V>(
                                "videoBlackTransparent", text(u"Background"),
                                [](const V& o) { return o.BlackTransparent(); },
                                [](V& o, bool on) { o.SetBlackTransparent(on); }));
    return page;
}

void TZObjectDialog::ShowPreview() {
    if (!preview_ || objects_.empty()) return;
    const auto* bitmap = dynamic_cast<const TBitmapObject*>(objects_.front());
    const KBitmap* frame = bitmap ? bitmap->CurrentFrame() : nullptr;
    if (frame)
        preview_->setPixmap(PreviewOf(*frame, bitmap->BlackTransparent()));
    else
        preview_->clear();
}
