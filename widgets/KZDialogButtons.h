#pragma once

class KRegistry;
class QDialog;
class QDialogButtonBox;

// OK and Cancel with the texts of Strings\Dialog, accepting and rejecting
// the dialog.
QDialogButtonBox* KZOkCancel(KRegistry& settings, QDialog& dialog);
