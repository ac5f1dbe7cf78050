#pragma once

#include <QDialog>
#include <QString>

#include "KRIterator.h"

class KRegistry;
class KRNode;
class KZRegistryRows;
class QLabel;
class QLineEdit;
class QListView;
class QModelIndex;
class QPlainTextEdit;
class QPushButton;

// The settings editor ("Other Settings"), modal: browses the whole settings
// tree with each setting's help text, changes values as they are typed,
// marks nodes deleted so that they are not saved, and adds new settings. Its
// texts come from \Strings\OtherSettings\ of the tree it edits. A number
// changes through its hook at every keystroke that parses, a text when its
// editing ends, so the program sees it at once; closing the dialog undoes
// nothing. The controls carry
// object names: settings, new, delete, name, type, value, help.
class KZRegistryDialog : public QDialog {
  public:
    KZRegistryDialog(KRegistry& registry, QWidget* parent);
    ~KZRegistryDialog() override;
    // Closing applies a text still being typed.
    void done(int result) override;

  protected:
    // A press on a group's '+' or '-' expands or collapses it.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Recounts the rows and selects one.
    void Rebuild(int row);
    void Select(const QModelIndex& index);
    // The help text of a node, with its line breaks; empty when it has none.
    QString HelpText(const KRNode& node);
    void ValueEdited(const QString& text);
    // The text typed into a String, once its editing has ended.
    void ApplyText();
    void Parse(const QString& text);
    void ToggleDeleted();
    void ShowDeleted();
    void NewSetting();
    // Asks for the type and name of a new node; null when none is wanted.
    std::unique_ptr<KRNode> AskNewNode();
    QString Text(const char16_t* name);

    KRegistry& registry_;
    KRIterator rows_;
    KRNode* selected_ = nullptr;
    KZRegistryRows* model_;
    QListView* list_;
    QPushButton* new_;
    QPushButton* delete_;
    QLabel* name_;
    QLabel* type_;
    QLineEdit* value_;
    QPlainTextEdit* help_;
    bool textPending_ = false;
};
