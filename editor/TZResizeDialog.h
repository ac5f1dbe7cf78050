#pragma once

#include <QDialog>

#include "KPoint.h"

class KRegistry;
class QSpinBox;

// Asks for the size a whole layout is to be rescaled to, showing the size
// it has now.
class TZResizeDialog : public QDialog {
  public:
    TZResizeDialog(KRegistry& settings, KSize old, QWidget* parent = nullptr);
    KSize Chosen() const;

  private:
    QSpinBox* width_;
    QSpinBox* height_;
};
