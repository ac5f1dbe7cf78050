#pragma once

#include <QWidget>
#include <functional>
#include <optional>

#include "KColorTable.h"

class KRegistry;
class QComboBox;
class QSpinBox;

// A colour of the colour table, by its display name, or Custom with its own
// red, green and blue. Nothing is chosen while the objects it speaks for
// differ; `picked` hears of every choice the user makes.
class TZColorPicker : public QWidget {
  public:
    TZColorPicker(KRegistry& settings, const KColorTable& colors, QWidget* parent = nullptr);

    void SetColor(std::optional<KColor> color);
    std::optional<KColor> Color() const;
    void SetPicked(std::function<void()> picked) { picked_ = std::move(picked); }

  private:
    bool IsCustom() const;
    void ShowCustom(uint32_t rgb);
    void Picked();

    QComboBox* choice_;
    QSpinBox* rgb_[3];
    std::function<void()> picked_;
    bool showing_ = false;
};
