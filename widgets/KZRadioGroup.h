#pragma once

#include <QButtonGroup>
#include <QWidget>
#include <initializer_list>
#include <utility>

// A row of radio buttons, each standing for a number; none checked until a
// value is set.
class KZRadioGroup : public QWidget {
  public:
    KZRadioGroup(std::initializer_list<std::pair<QString, int>> choices, QWidget* parent = nullptr);

    // The checked choice's number, -1 when none is checked.
    int Value() const { return group_.checkedId(); }
    // Checks the choice of value; no choice is checked when none has it.
    void SetValue(int value);
    QAbstractButton* Button(int value) const { return group_.button(value); }

  private:
    QButtonGroup group_;
};
