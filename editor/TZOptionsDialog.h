#pragma once

#include <QDialog>

#include "TZOptionsTarget.h"

class TZDisplayOptions;
class TZGeneralOptions;
class TZSourceOptions;
class QTabWidget;

// The options dialog: the General, Sources and Display pages. OK writes
// them in that order through the settings' hooks; Cancel writes nothing
// more (a source added or deleted stays so).
class TZOptionsDialog : public QDialog {
  public:
    TZOptionsDialog(const TZOptionsTarget& target, QWidget* parent = nullptr);
    void accept() override;
    // Whether OK could store the profile chosen for the next run.
    bool ProfileStored() const { return profileStored_; }

  private:
    TZGeneralOptions* general_;
    TZSourceOptions* sources_;
    TZDisplayOptions* display_;
    QTabWidget* tabs_;
    bool profileStored_ = true;
};
