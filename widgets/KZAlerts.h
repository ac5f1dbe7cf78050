#pragma once

#include <QString>
#include <cstdint>
#include <functional>

class KRegistry;
class KString;
class QWidget;

// The program's alert boxes: error, message and question, modal, with the
// titles and button texts of the settings read when a box is shown. A text
// holding the two characters backslash and 'n' breaks the line there.
// Tests (and anything else that must not wait for a person) install a
// responder: then no box is shown and the responder's answer is taken.
class KZAlerts {
  public:
    enum class Kind { kError, kMessage, kQuestion };
    enum class Answer { kOk, kYes, kNo, kCancel };
    // Gets the kind, the title and the text (line breaks expanded) of the
    // box that would be shown.
    using Responder = std::function<Answer(Kind, const QString& title, const QString& text)>;

    explicit KZAlerts(KRegistry& settings) : settings_(settings) {}

    // The window the boxes belong to (null: none).
    void SetParent(QWidget* parent) { parent_ = parent; }
    void SetResponder(Responder responder) { responder_ = std::move(responder); }

    // The error text of the code (detail -1 for none) under the error title.
    void ShowError(int32_t code, int32_t detail = -1);
    void ShowError(const KString& title, const KString& text);
    void ShowMessage(const KString& text);
    void ShowMessage(const KString& title, const KString& text);
    // Yes and No; true for Yes.
    bool Ask(const KString& title, const KString& text);
    // Yes, No and Cancel; closing the box counts as Cancel.
    Answer AskYesNoCancel(const KString& title, const KString& text);

  private:
    Answer Show(Kind kind, const KString& title, const KString& text, bool no, bool cancel);

    KRegistry& settings_;
    QWidget* parent_ = nullptr;
    Responder responder_;
};
