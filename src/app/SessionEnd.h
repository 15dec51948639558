#pragma once

// The modal dialogs open at this moment, process-wide: a session that ends
// without a question ends them, and the window is closed only once no dialog's
// loop is left on the stack.

// Starts keeping track of the modal dialogs (the native message boxes and file
// dialogs included); once is enough, more calls do nothing.
void WatchModalDialogs();
// A modal dialog's loop is still running.
bool ModalDialogOpen();
// Ends every open modal dialog as if it was cancelled (its window closed).
void EndModalDialogs();
