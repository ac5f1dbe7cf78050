#include "TZSourceSelector.h"

#include <QHeaderView>

#include "KRGroup.h"
#include "KRValues.h"
#include "KZText.h"
#include "TSources.h"

namespace {

constexpr const char16_t* kTexts = u"\\Strings\\Options\\Source\\";
constexpr int kRefreshMs = 500;

}  // namespace

TZSourceSelector::TZSourceSelector(KRegistry& settings, TSources* sources, QWidget* parent)
    : QTreeWidget(parent), settings_(settings), sources_(sources) {
    setObjectName("sources");
    setRootIsDecorated(false);
    setColumnCount(2);
    setHeaderLabels({KZSettingText(settings, kTexts, u"ListName"),
                     KZSettingText(settings, kTexts, u"ListStatus")});
    header()->setSectionResizeMode(0, QHeaderView::Stretch);
    header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    // A long name is cut short rather than scrolled to.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(&refresh_, &QTimer::timeout, this, [this] { Refresh(); });
    refresh_.start(kRefreshMs);
}

KRGroup* TZSourceSelector::GroupOf(const QTreeWidgetItem* item) {
    return item ? static_cast<KRGroup*>(item->data(0, Qt::UserRole).value<void*>()) : nullptr;
}

void TZSourceSelector::Fill(KRGroup* group) {
    clear();
    KRGroup* sources = settings_.FindGroup(KString(u"\\Sources\\"));
    if (!sources) return;
    for (KRNode& node : sources->children) {
        KRGroup* source = TSources::SourceGroup(node, nullptr);
        if (!source) continue;
        auto* item = new QTreeWidgetItem(this);
        item->setData(0, Qt::UserRole, QVariant::fromValue<void*>(source));
        if (source == group) setCurrentItem(item);
    }
    if (!currentItem() && topLevelItemCount() > 0) setCurrentItem(topLevelItem(0));
    Refresh();
}

void TZSourceSelector::Refresh() {
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = topLevelItem(i);
        KRGroup* group = GroupOf(item);
        const auto* setting = group->Find<KRString>(u"Name");
        item->setText(0, setting ? KZQString(setting->value) : QString());
        item->setText(1, sources_ ? KZQString(sources_->SourceStatus(*group))
                                  : KZSettingText(settings_, kTexts, u"NotLoaded"));
        const bool deleted = group->nodeFlags & KRNode::kDeleted;
        for (int column = 0; column < 2; ++column) {
            QFont font = item->font(column);
            font.setStrikeOut(deleted);
            item->setFont(column, font);
            item->setForeground(column, deleted
                                            ? palette().brush(QPalette::Disabled, QPalette::Text)
                                            : palette().brush(QPalette::Text));
        }
    }
}
