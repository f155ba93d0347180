// The "OK" / "キャンセル" row that ends the program's small dialogs.
#pragma once

class QDialog;
class QDialogButtonBox;

// A button box for dialog with "OK" (the default button, objectName okButton) and "キャンセル"
// (cancelButton), wired to the dialog's accept() and reject(); the caller places it.
QDialogButtonBox *makeOkCancelButtons(QDialog *dialog);
