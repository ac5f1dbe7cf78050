#pragma once

#include <QDialog>

#include "TZSourceRule.h"

class KRegistry;
class TLayout;
class TZColorPicker;

// A layout's own properties: its background colour and which sources feed
// it. Each change goes to the layout at once; the caller keeps or drops the
// changes by the dialog's answer.
class TZLayoutDialog : public QDialog {
  public:
    TZLayoutDialog(TLayout& layout, KRegistry& settings, const TZSourceNames& names,
                   QWidget* parent = nullptr);

  private:
    void Show();

    TLayout& layout_;
    TZColorPicker* background_;
    TZSourceRule* rule_;
};
