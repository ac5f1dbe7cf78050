#include "KZRadioGroup.h"

#include <QHBoxLayout>
#include <QRadioButton>

KZRadioGroup::KZRadioGroup(std::initializer_list<std::pair<QString, int>> choices, QWidget* parent)
    : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    for (const auto& [text, value] : choices) {
        auto* button = new QRadioButton(text, this);
        group_.addButton(button, value);
        row->addWidget(button);
    }
    row->addStretch();
}

void KZRadioGroup::SetValue(int value) {
    QAbstractButton* button = group_.button(value);
    if (button) {
        button->setChecked(true);
        return;
    }
    // A group with one button checked keeps one checked unless told not to.
    group_.setExclusive(false);
    for (QAbstractButton* b : group_.buttons()) b->setChecked(false);
    group_.setExclusive(true);
}
