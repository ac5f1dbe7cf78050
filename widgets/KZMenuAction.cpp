#include "KZMenuAction.h"

#include <QAction>
#include <QMenu>

#include "KZMenuText.h"
#include "KZText.h"
#include "TTrigger.h"

namespace {

// The keys of KZMenuText's key-name table, in its order.
constexpr Qt::Key kNamedKey[KZMenuText::kKeyNames] = {
    Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_End,       Qt::Key_Home,   Qt::Key_Left,
    Qt::Key_Up,     Qt::Key_Right,    Qt::Key_Down,      Qt::Key_Insert, Qt::Key_Delete,
    Qt::Key_Tab,    Qt::Key_Escape,   Qt::Key_Backspace, Qt::Key_Return};

constexpr int32_t kQtFunctionKeys = 35;

Qt::KeyboardModifiers QtModifiers(uint32_t bits) {
    Qt::KeyboardModifiers modifiers;
    if (bits & kKeyShift) modifiers |= Qt::ShiftModifier;
    if (bits & kKeyCtrl) modifiers |= Qt::ControlModifier;
    if (bits & kKeyAlt) modifiers |= Qt::AltModifier;
    return modifiers;
}

}  // namespace

QKeySequence KZKeySequence(const KZMenuText& menuText) {
    if (!menuText.HasAccelerator()) return {};
    Qt::Key key;
    if (menuText.FunctionKey() > 0) {
        if (menuText.FunctionKey() > kQtFunctionKeys) return {};
        key = static_cast<Qt::Key>(Qt::Key_F1 + menuText.FunctionKey() - 1);
    } else if (menuText.NamedKey() != KZMenuText::kNoNamedKey) {
        key = kNamedKey[menuText.NamedKey()];
    } else {
        // Qt names a character key by its upper-case code.
        key = static_cast<Qt::Key>(QChar(menuText.Character()).toUpper().unicode());
    }
    return QKeySequence(QKeyCombination(QtModifiers(menuText.Modifiers()), key));
}

QAction* KZNewMenuAction(KRegistry& settings, const KString& text, QMenu* menu) {
    const KZMenuText menuText(settings, text);
    QAction* action = menu->addAction(KZQString(menuText.Shown()));
    action->setShortcut(KZKeySequence(menuText));
    return action;
}
