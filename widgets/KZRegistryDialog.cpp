#include "KZRegistryDialog.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <QValidator>
#include <algorithm>

#include "KRegistry.h"
#include "KZDialogButtons.h"
#include "KZText.h"

namespace {

constexpr int kIndent = 18;  // per depth level
constexpr int kMarkerWidth = 14;
constexpr int kGroupNameAt = 15;  // after the indent
constexpr int kValueNameAt = 2;
constexpr int kMaxValue = 255;
constexpr int kMaxName = 15;

enum Role { kDepthRole = Qt::UserRole, kMarkerRole, kDeletedRole };

QRect MarkerRect(const QRect& row, int depth) {
    return {row.left() + depth * kIndent, row.top(), kMarkerWidth, row.height()};
}

// Paints a row: indent, marker, name; deleted rows grey and struck out.
class RowPainter : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem o(option);
        initStyleOption(&o, index);
        const QString name = o.text;
        o.text.clear();
        QStyle* style = o.widget ? o.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &o, painter, o.widget);

        const QString marker = index.data(kMarkerRole).toString();
        const bool deleted = index.data(kDeletedRole).toBool();
        const bool selected = o.state & QStyle::State_Selected;
        QFont font = o.font;
        font.setStrikeOut(deleted);
        painter->save();
        painter->setFont(font);
        painter->setPen(selected  ? o.palette.color(QPalette::HighlightedText)
                        : deleted ? o.palette.color(QPalette::Disabled, QPalette::Text)
                                  : o.palette.color(QPalette::Text));
        const QRect markerRect = MarkerRect(o.rect, index.data(kDepthRole).toInt());
        painter->drawText(markerRect, Qt::AlignCenter, marker);
        QRect nameRect = o.rect;
        nameRect.setLeft(markerRect.left() + (marker.isEmpty() ? kValueNameAt : kGroupNameAt));
        painter->drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter, name);
        painter->restore();
    }
};

// Accepts the characters that a path can hold in a node's name.
class NameValidator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& text, int&) const override {
        return std::all_of(text.begin(), text.end(),
                           [](QChar c) { return KRIsNameChar(c.unicode()); })
                   ? Acceptable
                   : Invalid;
    }
};

}  // namespace

// The visible nodes as the rows of the list.
class KZRegistryRows : public QAbstractListModel {
  public:
    explicit KZRegistryRows(KRIterator& rows) : rows_(rows) {}
    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : rows_.Count();
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const KRNode* node = rows_.At(index.row());
        if (!node) return {};
        const auto* group = dynamic_cast<const KRGroup*>(node);
        switch (role) {
            case Qt::DisplayRole:
                return KZQString(node->name);
            case kDepthRole:
                return rows_.DepthOf(node);
            case kMarkerRole:
                if (!group) return QString();
                return QString(group->groupFlags & KRGroup::kExpanded ? u'-' : u'+');
            case kDeletedRole:
                return bool(node->nodeFlags & KRNode::kDeleted);
            default:
                return {};
        }
    }
    void Reset() {
        beginResetModel();
        rows_.Recount();
        endResetModel();
    }

  private:
    KRIterator& rows_;
};

KZRegistryDialog::KZRegistryDialog(KRegistry& registry, QWidget* parent)
    : QDialog(parent), registry_(registry), rows_(registry), model_(new KZRegistryRows(rows_)) {
    setModal(true);
    setWindowTitle(Text(u"Title"));
    resize(560, 480);
    auto named = [](auto* widget, const char* name) {
        widget->setObjectName(QString::fromLatin1(name));
        return widget;
    };
    list_ = named(new QListView, "settings");
    model_->setParent(list_);
    list_->setModel(model_);
    list_->setItemDelegate(new RowPainter(list_));
    list_->setUniformItemSizes(true);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->viewport()->installEventFilter(this);
    new_ = named(new QPushButton(Text(u"New")), "new");
    delete_ = named(new QPushButton(Text(u"Delete")), "delete");
    name_ = named(new QLabel, "name");
    type_ = named(new QLabel, "type");
    value_ = named(new QLineEdit, "value");
    help_ = named(new QPlainTextEdit, "help");
    help_->setReadOnly(true);
    help_->setFixedHeight(help_->fontMetrics().lineSpacing() * 6 + 12);
    for (QPushButton* button : {new_, delete_}) {
        button->setAutoDefault(false);  // Enter in the value field presses nothing
        button->setEnabled(false);
    }

    auto* layout = new QVBoxLayout(this);
    auto* settingsLabel = new QLabel(Text(u"Settings"));
    settingsLabel->setBuddy(list_);
    layout->addWidget(settingsLabel);
    layout->addWidget(list_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(new_);
    buttons->addWidget(delete_);
    buttons->addStretch();
    layout->addLayout(buttons);
    auto* fields = new QFormLayout;
    fields->setLabelAlignment(Qt::AlignLeft);
    fields->addRow(Text(u"Name"), name_);
    fields->addRow(Text(u"Type"), type_);
    fields->addRow(Text(u"Value"), value_);
    layout->addLayout(fields);
    layout->addWidget(help_);
    // Changes are made as they are typed: the button only closes.
    auto* close = new QDialogButtonBox;
    close
        ->addButton(KZSettingText(registry_, u"\\Strings\\Dialog\\", u"Ok"),
                    QDialogButtonBox::AcceptRole)
        ->setAutoDefault(false);
    connect(close, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(close);

    connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) { Select(index); });
    // Only the user's edits: showing a value must never parse it back.
    connect(value_, &QLineEdit::textEdited, this, &KZRegistryDialog::ValueEdited);
    connect(value_, &QLineEdit::editingFinished, this, &KZRegistryDialog::ApplyText);
    connect(delete_, &QPushButton::clicked, this, &KZRegistryDialog::ToggleDeleted);
    connect(new_, &QPushButton::clicked, this, &KZRegistryDialog::NewSetting);
}

KZRegistryDialog::~KZRegistryDialog() {
    // The field loses the focus while the window goes: that end of editing
    // must not reach a dialog that is no more.
    disconnect(value_, nullptr, this, nullptr);
}

bool KZRegistryDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched != list_->viewport() || event->type() != QEvent::MouseButtonPress)
        return QDialog::eventFilter(watched, event);
    const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
    const QModelIndex index = list_->indexAt(at);
    auto* group = dynamic_cast<KRGroup*>(rows_.At(index.row()));
    if (!group || !MarkerRect(list_->visualRect(index), rows_.DepthOf(group)).contains(at))
        return false;
    group->groupFlags ^= KRGroup::kExpanded;
    Rebuild(index.row());
    return true;
}

void KZRegistryDialog::Rebuild(int row) {
    model_->Reset();
    list_->setCurrentIndex(model_->index(row));
}

void KZRegistryDialog::Select(const QModelIndex& index) {
    KRNode* node = rows_.At(index.row());
    if (!node || node == selected_) return;
    ApplyText();
    selected_ = node;
    KString value;
    node->AppendValue(value);
    name_->setText(KZQString(node->name));
    type_->setText(KZQString(KString(node->TypeName())));
    // A stored text longer than the field's limit is shown whole, so that
    // editing it does not cut it.
    value_->setMaxLength(std::max(kMaxValue, static_cast<int>(value.Length())));
    value_->setText(KZQString(value));
    value_->setReadOnly(dynamic_cast<KRGroup*>(node) != nullptr);
    help_->setPlainText(HelpText(*node));
    new_->setEnabled(true);
    delete_->setEnabled(true);
    ShowDeleted();
    // What is typed replaces the value: typed after a shown 0, "1920"
    // would read as the octal 01.
    value_->setFocus();
    value_->selectAll();
}

QString KZRegistryDialog::HelpText(const KRNode& node) {
    KString path;
    for (const KRNode* p = &node; p->Parent(); p = p->Parent()) {
        path.Insert(p->name, 0);
        path.Insert(KString(u"\\"), 0);
    }
    path.Insert(KString(u"\\Strings\\Registry\\Comments"), 0);
    const KRString* help = registry_.FindString(path);
    return help ? KZQString(help->value).replace(QStringLiteral("\\n"), QStringLiteral("\n"))
                : QString();
}

void KZRegistryDialog::ValueEdited(const QString& text) {
    if (!selected_) return;
    // A text takes effect when its editing ends: a port specification typed
    // character by character would take every port it passes on the way
    // from the source that has it.
    if (dynamic_cast<KRString*>(selected_)) {
        textPending_ = true;
        return;
    }
    Parse(text);
}

void KZRegistryDialog::ApplyText() {
    if (!textPending_) return;
    textPending_ = false;
    Parse(value_->text());
}

void KZRegistryDialog::Parse(const QString& text) {
    KString typed = KZKString(text);
    if (selected_->ParseValue(typed)) selected_->nodeFlags |= KRNode::kAssigned;
}

void KZRegistryDialog::done(int result) {
    ApplyText();
    QDialog::done(result);
}

void KZRegistryDialog::ToggleDeleted() {
    if (!selected_) return;
    selected_->nodeFlags ^= KRNode::kDeleted;
    Rebuild(list_->currentIndex().row());
    ShowDeleted();
}

void KZRegistryDialog::ShowDeleted() {
    const bool deleted = selected_ && (selected_->nodeFlags & KRNode::kDeleted);
    delete_->setText(Text(deleted ? u"Undelete" : u"Delete"));
}

void KZRegistryDialog::NewSetting() {
    if (!selected_) return;
    std::unique_ptr<KRNode> node = AskNewNode();
    if (!node) return;
    auto* group = dynamic_cast<KRGroup*>(selected_);
    KRGroup* parent = group ? group : selected_->Parent();
    node->parent = parent;
    if (group) {
        parent->children.InsertAt(std::move(node), 0);
        // Open the group so that the row below is the new node, not some
        // other setting that typing would then change.
        group->groupFlags |= KRGroup::kExpanded;
    } else {
        parent->children.InsertAfter(std::move(node), selected_);
    }
    Rebuild(list_->currentIndex().row() + 1);
}

std::unique_ptr<KRNode> KZRegistryDialog::AskNewNode() {
    QDialog ask(this);
    ask.setWindowTitle(Text(u"NewSetting"));
    auto* type = new QComboBox;
    for (int32_t i = 0; const KRNode* prototype = registry_.Prototype(i); ++i)
        type->addItem(KZQString(KString(prototype->TypeName())));
    auto* name = new QLineEdit;
    name->setMaxLength(kMaxName);
    name->setValidator(new NameValidator(name));
    QDialogButtonBox* buttons = KZOkCancel(registry_, ask);
    auto* form = new QFormLayout(&ask);
    form->addRow(Text(u"Type"), type);
    form->addRow(Text(u"Name"), name);
    form->addRow(buttons);
    if (ask.exec() != QDialog::Accepted || name->text().isEmpty()) return nullptr;
    std::unique_ptr<KRNode> node = registry_.Prototype(type->currentIndex())->NewOfSameType();
    node->name.Assign(KZKString(name->text()));
    return node;
}

QString KZRegistryDialog::Text(const char16_t* name) {
    return KZSettingText(registry_, u"\\Strings\\OtherSettings\\", name);
}
