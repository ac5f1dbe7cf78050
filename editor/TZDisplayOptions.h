#pragma once

#include <QWidget>

#include "TZOptionsTarget.h"

class KRInt;
class KZRadioGroup;
class QCheckBox;
class QComboBox;
class QSpinBox;
class TZWebOptions;

// The Display page: where the display window sits (a monitor, or Other with
// its own rectangle), and how it turns, where its logo goes, how it draws
// text and whether it scrolls; and the web output's group. Apply writes only
// what the user changed and has the display window placed or repainted at
// once.
class TZDisplayOptions : public QWidget {
  public:
    TZDisplayOptions(const TZOptionsTarget& target, QWidget* parent = nullptr);
    void Apply();

  private:
    enum Field { kLeft, kTop, kWidth, kHeight, kFields };

    // The location fields for the chosen entry: a monitor's rectangle, fixed,
    // or the stored rectangle to edit.
    void ShowLocation();
    bool IsOther() const;
    bool LocationChanged() const;
    void ApplyLocation();

    TZOptionsTarget target_;
    KRInt* rect_[kFields];
    KRInt* monitor_;
    KRInt* alwaysOnTop_;
    KRInt* rotate_;
    KRInt* logoCorner_;
    KRInt* drawText_;
    KRInt* scroll_;

    QComboBox* location_;
    QSpinBox* fields_[kFields];
    QCheckBox* onTop_;
    KZRadioGroup* rotateChoice_;
    QComboBox* logoChoice_;
    KZRadioGroup* drawTextChoice_;
    KZRadioGroup* scrollChoice_;
    TZWebOptions* web_;
    // What the controls showed when the page was made.
    int initialLocation_;
    int initialRotate_;
    int initialLogo_;
    int initialDrawText_;
    int initialScroll_;
};
