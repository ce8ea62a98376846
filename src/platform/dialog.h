// Blocking error dialog with a caption and one OK button. In automated runs (dialogs switched off,
// KARVOSTA_NO_DIALOGS set, or no display to show them on) the text goes to standard error instead.
#pragma once

void showErrorDialog(const char* caption, const char* text);
void setDialogsEnabled(bool enabled);
bool dialogsEnabled();
