#include "TZSourceRule.h"

#include <QAbstractButton>
#include <QListWidget>
#include <QVBoxLayout>

#include "KZRadioGroup.h"
#include "KZText.h"
#include "TSources.h"

namespace {

constexpr int32_t kRuleBits = 32;

}  // namespace

TZSourceNames SourceNamesOf(const TSources* sources) {
    TZSourceNames names;
    if (!sources) return names;
    for (const TSource& source : sources->List()) {
        for (const TFields& definition : source.script.Definitions()) {
            if (names.definitions.size() < kRuleBits)
                names.definitions.push_back(KZQString(source.SourceName()) + ": " +
                                            KZQString(definition.name));
            for (const TField& field : definition.fields) {
                const QString name = KZQString(field.name);
                if (!name.isEmpty() && !names.fields.contains(name)) names.fields.push_back(name);
            }
        }
    }
    names.fields.sort(Qt::CaseInsensitive);
    return names;
}

TZSourceRule::TZSourceRule(const QString& any, const QString& selected,
                           const QStringList& definitions, QWidget* parent)
    : QWidget(parent),
      mode_(new KZRadioGroup({{any, 0}, {selected, 1}}, this)),
      list_(new QListWidget(this)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(mode_);
    column->addWidget(list_);
    for (const QString& name : definitions) {
        auto* item = new QListWidgetItem(name, list_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    // Room for four definitions; more scroll.
    list_->setFixedHeight(list_->fontMetrics().height() * 4 + 2 * list_->frameWidth() + 8);
    for (int32_t mode = 0; mode < 2; ++mode) {
        connect(mode_->Button(mode), &QAbstractButton::clicked, this, [this, mode] {
            list_->setEnabled(mode == 1);
            if (!showing_ && modePicked_) modePicked_(mode);
        });
    }
    connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (showing_ || !sourcePicked_) return;
        sourcePicked_(list_->row(item), item->checkState() == Qt::Checked);
    });
}

void TZSourceRule::Show(std::optional<int32_t> mode, uint32_t inAll, uint32_t inSome) {
    showing_ = true;
    mode_->SetValue(mode ? *mode : -1);
    list_->setEnabled(mode != 0);
    for (int32_t i = 0; i < list_->count(); ++i) {
        const uint32_t bit = uint32_t{1} << i;
        list_->item(i)->setCheckState((inAll & bit)    ? Qt::Checked
                                      : (inSome & bit) ? Qt::PartiallyChecked
                                                       : Qt::Unchecked);
    }
    showing_ = false;
}
