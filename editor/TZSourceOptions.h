#pragma once

#include <QWidget>

#include "TZOptionsTarget.h"

class KRGroup;
class KZRadioGroup;
class QComboBox;
class QLineEdit;
class QPushButton;
class TZPortEdit;
class TZSourceSelector;

// The Sources page: the source list with New and Delete, and the selected
// source's script, name, code set and port. A source's controls are stored
// into its group when another source is selected and on Apply; a source
// added here goes live at the next start.
class TZSourceOptions : public QWidget {
  public:
    TZSourceOptions(const TZOptionsTarget& target, QWidget* parent = nullptr);
    // Stores the selected source's controls.
    void Apply() { Store(); }
    // Whether the port shown can be stored; when it cannot (an address or a
    // number that does not parse), the port control takes the focus.
    bool PortReady();

  private:
    void NewSource();
    void DeleteSource();
    // Stores the previous source, then shows the one now selected.
    void SelectionChanged();
    void Store();
    void Load();
    void FillScripts();

    TZOptionsTarget target_;
    KRGroup* selected_ = nullptr;
    TZSourceSelector* list_;
    QPushButton* delete_;
    QComboBox* script_;
    QLineEdit* name_;
    KZRadioGroup* charMode_;
    TZPortEdit* port_;
    QWidget* details_;
    // What the selected source showed when loaded: only what the user
    // changed is stored.
    QString shownScript_;
    bool portEdited_ = false;
};
