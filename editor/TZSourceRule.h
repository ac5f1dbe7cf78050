#pragma once

#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>

class KZRadioGroup;
class QListWidget;
class TSources;

// What the configured sources offer a layout's editor: the names of their
// scripts' fields, and each packet definition's "source: packet" name in
// the order of definition indexes (at most the 32 a source rule can name).
struct TZSourceNames {
    QStringList fields;
    QStringList definitions;
};
TZSourceNames SourceNamesOf(const TSources* sources);

// A source rule: any source, or only the packet definitions ticked. For
// several objects a definition some of them take is shown half ticked, and
// nothing is chosen while their modes differ.
class TZSourceRule : public QWidget {
  public:
    TZSourceRule(const QString& any, const QString& selected, const QStringList& definitions,
                 QWidget* parent = nullptr);

    // inAll: the definitions every object takes; inSome: those some take.
    void Show(std::optional<int32_t> mode, uint32_t inAll, uint32_t inSome);
    void SetModePicked(std::function<void(int32_t)> picked) { modePicked_ = std::move(picked); }
    void SetSourcePicked(std::function<void(int32_t, bool)> picked) {
        sourcePicked_ = std::move(picked);
    }
    KZRadioGroup& Mode() const { return *mode_; }
    QListWidget& List() const { return *list_; }

  private:
    KZRadioGroup* mode_;
    QListWidget* list_;
    std::function<void(int32_t)> modePicked_;
    std::function<void(int32_t, bool)> sourcePicked_;
    bool showing_ = false;
};
