#include "TZColorPicker.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QSpinBox>

#include "KRegistry.h"
#include "KZText.h"

namespace {

// The colour in a grey frame; Background as a chequer, since it shows
// whatever lies beneath.
QIcon Swatch(uint32_t rgb, bool transparent) {
    QPixmap swatch(14, 14);
    QPainter painter(&swatch);
    if (transparent) {
        for (int y = 0; y < 14; y += 7)
            for (int x = 0; x < 14; x += 7)
                painter.fillRect(x, y, 7, 7, (x + y) % 14 ? Qt::lightGray : Qt::white);
    } else {
        painter.fillRect(0, 0, 14, 14, QColor::fromRgb(rgb));
    }
    painter.setPen(Qt::gray);
    painter.drawRect(0, 0, 13, 13);
    return QIcon(swatch);
}

}  // namespace

TZColorPicker::TZColorPicker(KRegistry& settings, const KColorTable& colors, QWidget* parent)
    : QWidget(parent), choice_(new QComboBox(this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < KColorTable::kCount; ++i) {
        KString name(31, KString::kMaxLimit);
        KColorTable::DisplayName(settings, i, name);
        const auto c = static_cast<KColor>(i);
        choice_->addItem(Swatch(colors.Rgb(c), colors.IsTransparent(c)), KZQString(name));
    }
    choice_->addItem(KZSettingText(settings, u"\\Strings\\Colors\\", u"Custom"));
    row->addWidget(choice_);
    const char16_t* names[3] = {u"CustomR", u"CustomG", u"CustomB"};
    for (int i = 0; i < 3; ++i) {
        rgb_[i] = new QSpinBox(this);
        rgb_[i]->setRange(0, 255);
        rgb_[i]->setKeyboardTracking(false);
        rgb_[i]->setPrefix(KZSettingText(settings, u"\\Strings\\Colors\\", names[i]) + " ");
        row->addWidget(rgb_[i]);
        connect(rgb_[i], &QSpinBox::valueChanged, this, [this] { Picked(); });
    }
    row->addStretch();
    connect(choice_, &QComboBox::activated, this, [this] {
        if (IsCustom()) ShowCustom(0);
        Picked();
    });
    ShowCustom(0);
}

bool TZColorPicker::IsCustom() const {
    return choice_->currentIndex() == KColorTable::kCount;
}

void TZColorPicker::ShowCustom(uint32_t rgb) {
    const bool custom = IsCustom();
    showing_ = true;
    for (int i = 0; i < 3; ++i) {
        rgb_[i]->setVisible(custom);
        rgb_[i]->setValue(static_cast<int>(rgb >> (16 - 8 * i) & 0xFF));
    }
    showing_ = false;
}

void TZColorPicker::SetColor(std::optional<KColor> color) {
    if (!color) {
        choice_->setCurrentIndex(-1);
    } else if (*color & kColorDirect) {
        choice_->setCurrentIndex(KColorTable::kCount);
    } else {
        // An index beyond the table draws as Background.
        choice_->setCurrentIndex(*color < KColorTable::kCount ? static_cast<int>(*color) : 0);
    }
    ShowCustom(color ? *color & 0xFFFFFF : 0);
}

std::optional<KColor> TZColorPicker::Color() const {
    const int index = choice_->currentIndex();
    if (index < 0) return std::nullopt;
    if (!IsCustom()) return static_cast<KColor>(index);
    return KColorRGB(static_cast<uint32_t>(rgb_[0]->value()),
                     static_cast<uint32_t>(rgb_[1]->value()),
                     static_cast<uint32_t>(rgb_[2]->value()));
}

void TZColorPicker::Picked() {
    if (!showing_ && picked_) picked_();
}
