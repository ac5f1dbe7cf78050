#include "TZDisplayOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>

#include "KRValues.h"
#include "KZRadioGroup.h"
#include "KZText.h"
#include "TZDisplayWindow.h"
#include "TZWebOptions.h"

namespace {

constexpr const char16_t* kTexts = u"\\Strings\\Options\\Display\\";

KRInt* DisplayInt(KRegistry& settings, const char16_t* name) {
    KString path(63);
    path.Append(KString(u"\\Display\\")).Append(KString(name));
    return settings.FindInt(path);
}

int ValueOf(const KRInt* setting) {
    return setting ? setting->value : 0;
}

// Through the setting's hook, so whatever watches it hears of the change.
void Write(KRInt* setting, int value) {
    if (setting) setting->Set(value);
}

}  // namespace

TZDisplayOptions::TZDisplayOptions(const TZOptionsTarget& target, QWidget* parent)
    : QWidget(parent), target_(target) {
    KRegistry& settings = target.settings;
    const auto text = [&](const char16_t* name) { return KZSettingText(settings, kTexts, name); };
    const char16_t* names[kFields] = {u"Left", u"Top", u"Width", u"Height"};
    for (int i = 0; i < kFields; ++i) rect_[i] = DisplayInt(settings, names[i]);
    monitor_ = DisplayInt(settings, u"Monitor");
    alwaysOnTop_ = DisplayInt(settings, u"AlwaysOnTop");
    rotate_ = DisplayInt(settings, u"Rotate");
    logoCorner_ = DisplayInt(settings, u"LogoCorner");
    drawText_ = DisplayInt(settings, u"DrawText");
    scroll_ = DisplayInt(settings, u"Scroll\\Mode");

    auto* form = new QFormLayout(this);
    location_ = new QComboBox(this);
    location_->setObjectName("location");
    const int monitors = static_cast<int>(target.display.Monitors().size());
    for (int i = 0; i < monitors; ++i)
        location_->addItem(QString("%1 %2").arg(text(u"Monitor")).arg(i + 1));
    location_->addItem(text(u"Other"));
    form->addRow(text(u"Location"), location_);

    auto* grid = new QGridLayout;
    for (int i = 0; i < kFields; ++i) {
        fields_[i] = new QSpinBox(this);
        fields_[i]->setObjectName(QString::fromUtf16(names[i]).toLower());
        fields_[i]->setRange(rect_[i] ? rect_[i]->min : 0, rect_[i] ? rect_[i]->max : 0);
        grid->addWidget(new QLabel(text(names[i]), this), i / 2, (i % 2) * 2);
        grid->addWidget(fields_[i], i / 2, (i % 2) * 2 + 1);
    }
    onTop_ = new QCheckBox(text(u"AlwaysOnTop"), this);
    onTop_->setObjectName("alwaysOnTop");
    grid->addWidget(onTop_, 2, 0, 1, 4);
    form->addRow(QString(), grid);

    rotateChoice_ = new KZRadioGroup(
        {{text(u"RotateOff"), 0}, {text(u"RotateLeft"), 1}, {text(u"RotateRight"), 2}}, this);
    rotateChoice_->setObjectName("rotate");
    form->addRow(text(u"Rotate"), rotateChoice_);
    logoChoice_ = new QComboBox(this);
    logoChoice_->setObjectName("logoCorner");
    for (const char16_t* corner : {u"LCUL", u"LCUR", u"LCLL", u"LCLR"})
        logoChoice_->addItem(text(corner));
    form->addRow(text(u"LogoCorner"), logoChoice_);
    drawTextChoice_ = new KZRadioGroup(
        {{text(u"DTCharacters"), 0}, {text(u"DTAuto"), 1}, {text(u"DTString"), 2}}, this);
    drawTextChoice_->setObjectName("drawText");
    form->addRow(text(u"DrawText"), drawTextChoice_);
    scrollChoice_ =
        new KZRadioGroup({{text(u"ScrollModeOff"), 0}, {text(u"ScrollModeOn"), 1}}, this);
    scrollChoice_->setObjectName("scroll");
    form->addRow(text(u"Scroll"), scrollChoice_);
    web_ = new TZWebOptions(settings, this);
    form->addRow(web_);

    // A monitor number without a monitor means the main one.
    const int monitor = ValueOf(monitor_);
    initialLocation_ = monitor < 0 ? monitors : (monitor < monitors ? monitor : 0);
    location_->setCurrentIndex(initialLocation_);
    ShowLocation();
    connect(location_, &QComboBox::currentIndexChanged, this, [this] { ShowLocation(); });
    rotateChoice_->SetValue(target.display.Rotation());
    logoChoice_->setCurrentIndex(
        ValueOf(logoCorner_) >= 0 && ValueOf(logoCorner_) <= 3 ? ValueOf(logoCorner_) : -1);
    drawTextChoice_->SetValue(ValueOf(drawText_));
    scrollChoice_->SetValue(ValueOf(scroll_) != 0 ? 1 : 0);
    initialRotate_ = rotateChoice_->Value();
    initialLogo_ = logoChoice_->currentIndex();
    initialDrawText_ = drawTextChoice_->Value();
    initialScroll_ = scrollChoice_->Value();
}

bool TZDisplayOptions::IsOther() const {
    return location_->currentIndex() == static_cast<int>(target_.display.Monitors().size());
}

void TZDisplayOptions::ShowLocation() {
    const bool other = IsOther();
    if (other) {
        for (int i = 0; i < kFields; ++i) fields_[i]->setValue(ValueOf(rect_[i]));
        onTop_->setChecked(ValueOf(alwaysOnTop_) != 0);
    } else {
        const KRect& m = target_.display.Monitors()[location_->currentIndex()];
        const int values[kFields] = {m.left, m.top, m.right - m.left + 1, m.bottom - m.top + 1};
        for (int i = 0; i < kFields; ++i) fields_[i]->setValue(values[i]);
        onTop_->setChecked(false);
    }
    for (QSpinBox* field : fields_) field->setEnabled(other);
    onTop_->setEnabled(other);
}

bool TZDisplayOptions::LocationChanged() const {
    if (location_->currentIndex() != initialLocation_) return true;
    if (!IsOther()) return false;
    for (int i = 0; i < kFields; ++i)
        if (fields_[i]->value() != ValueOf(rect_[i])) return true;
    return onTop_->isChecked() != (ValueOf(alwaysOnTop_) != 0);
}

void TZDisplayOptions::ApplyLocation() {
    if (!IsOther()) {
        Write(monitor_, location_->currentIndex());
    } else {
        Write(monitor_, -1);
        for (int i = 0; i < kFields; ++i) Write(rect_[i], fields_[i]->value());
        Write(alwaysOnTop_, onTop_->isChecked() ? 1 : 0);
    }
    target_.display.Place();
    target_.display.FullRedraw();
}

void TZDisplayOptions::Apply() {
    if (LocationChanged()) ApplyLocation();
    web_->Apply();
    const struct {
        KRInt* setting;
        int value;
        int initial;
    } choices[] = {
        {rotate_, rotateChoice_->Value(), initialRotate_},
        {logoCorner_, logoChoice_->currentIndex(), initialLogo_},
        {drawText_, drawTextChoice_->Value(), initialDrawText_},
        {scroll_, scrollChoice_->Value(), initialScroll_},
    };
    for (const auto& choice : choices) {
        if (choice.value == choice.initial || choice.value < 0) continue;
        Write(choice.setting, choice.value);
        target_.display.FullRedraw();
    }
}
