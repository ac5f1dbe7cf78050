#pragma once

#include <QWidget>

#include "TZOptionsTarget.h"

class KRInt;
class KZRadioGroup;
class QComboBox;

// The General page: which layouts open at start-up, and the profile (a
// configuration file of the application directory) of the next run.
class TZGeneralOptions : public QWidget {
  public:
    TZGeneralOptions(const TZOptionsTarget& target, QWidget* parent = nullptr);
    // False when the profile chosen could not be stored.
    bool Apply();

  private:
    // Fills the profile combo; whether there is a profile to choose or in use.
    bool FillProfiles();

    TZOptionsTarget target_;
    KRInt* restoreOpen_;
    KZRadioGroup* restore_;
    QComboBox* profile_;
    int initialProfile_ = 0;
};
