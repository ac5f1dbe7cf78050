#pragma once

#include <QKeySequence>

class KRegistry;
class KString;
class KZMenuText;
class QAction;
class QMenu;

// The key sequence of a menu text's accelerator; empty without one, or for
// a function key the toolkit does not know (above F35).
QKeySequence KZKeySequence(const KZMenuText& menuText);

// A menu item from a menu text: the caption with its mnemonic, the
// accelerator as the item's shortcut, and the accelerator text of the
// settings shown after the tab in place of the toolkit's own. It is added
// at the end of menu, which owns it.
QAction* KZNewMenuAction(KRegistry& settings, const KString& text, QMenu* menu);
