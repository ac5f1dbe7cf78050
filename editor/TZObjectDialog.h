#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <vector>

#include "K3DFontInfo.h"
#include "KColorTable.h"
#include "TZSourceRule.h"

class KRegistry;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTabWidget;
class TLayoutObject;
class TZColorPicker;

// The properties of the selected objects: a Basic page for what every
// object has, and a page for the text, bitmap or video display fields when
// all of them are of that class. Each control shows the value the objects
// share and nothing where they differ; a change goes to every object at
// once through the model's setters, and the controls then show what the
// model made of it (a clamped size, a text's height), so the editor and the
// board follow as the user types. The caller keeps or drops the changes by
// the dialog's answer.
class TZObjectDialog : public QDialog {
  public:
    TZObjectDialog(std::vector<TLayoutObject*> objects, KRegistry& settings,
                   const TZSourceNames& names, QWidget* parent = nullptr);
    ~TZObjectDialog() override;

    QTabWidget& Pages() const { return *pages_; }
    // OK takes a value still being typed, as the user sees it.
    void done(int result) override;

  private:
    // The value every object of class T gives, or none when they differ.
    template <class T, class Get>
    auto Common(Get get) const -> std::optional<decltype(get(std::declval<const T&>()))>;
    // Hands a change to every object of class T, then shows the result.
    template <class T, class Set>
    void Apply(Set set);
    void Refresh();

    // Controls tied to one value of the objects of class T.
    template <class T, class Get, class Set>
    QSpinBox* Spin(const char* name, int min, int max, Get get, Set set);
    template <class T, class Get, class Set>
    QCheckBox* Check(const char* name, const QString& text, Get get, Set set);
    template <class T, class Get, class Set>
    QLineEdit* Line(const char* name, int maxLength, Get get, Set set);
    template <class T, class Get, class Set>
    QWidget* Choice(const char* name, std::initializer_list<std::pair<QString, int>> choices,
                    Get get, Set set);
    // A colour of the text objects' fonts.
    TZColorPicker* Colour(const char* name, KColor K3DFontInfo::*colour);

    // The texts of a page of the dialog, by name under prefix.
    std::function<QString(const char16_t*)> Texts(const char16_t* prefix) const;
    // An editable box's entry picked from its list, or typed and left.
    void OnChosen(QComboBox* box, const std::function<void()>& chosen);
    // A label and its control side by side, for a row of a page.
    static QWidget* Pair(const QString& label, QWidget* control);
    template <class T>
    bool AllOf() const;

    QWidget* BasicPage(const TZSourceNames& names);
    void AddSourceRule(QFormLayout& form, const TZSourceNames& names);
    QWidget* TextPage();
    QComboBox* FontChoice();
    QComboBox* SizeChoice();
    QWidget* BitmapPage();
    QWidget* Browse(QLineEdit* edit, bool folder);
    QWidget* VideoPage();
    void ShowPreview();

    std::vector<TLayoutObject*> objects_;
    KRegistry& settings_;
    KColorTable colors_;
    QTabWidget* pages_;
    QLabel* preview_ = nullptr;
    // Each control's way of showing the objects' values again.
    std::vector<std::function<void()>> shows_;
    bool refreshing_ = false;
};
