// Steps that many window tests take through the main window: answering its
// message boxes, saving, leaving.
#pragma once

#include "UiDriver.h"

#include <string>
#include <vector>

extern const char kAskSave[];  // the closing question
extern const char kSaved[];    // the note after a successful save

bool StartsWith(const std::string& text, const std::string& prefix);

// Waits for a message box, checks caption, text, icon and buttons (OK, or
// Yes and No when answering either), and answers it.
void ExpectBox(UiDriver& driver, const std::string& text, const char* pszIcon, int nAnswer = IDOK);

// The question before replacing what another program wrote: a warning with
// Yes and No, No the default.
void ExpectChangedQuestion(UiDriver& driver, int nAnswer);

// Answers the backup confirmation of a save; returns the backup path quoted
// in it ("" when no confirmation came).
std::string ConfirmBackup(UiDriver& driver, int nAnswer);

// Presses "Save Changes" and answers the backup confirmation.
std::string SaveAndConfirm(UiDriver& driver, HWND hMain, int nAnswer);

// Selects the first row alone and presses "Comment Selected".
void CommentFirstRow(UiDriver& driver, HWND hMain, HWND hList);

// The "Data" cells of the main window's list, in order.
std::vector<std::string> Texts(HWND hList);

// File > Exit, No at the closing question, and the window closes.
void ExitAnsweringNo(UiDriver& driver, HWND hMain);

// The width of an icon's image in pixels; 0 for no icon.
int IconSize(HICON hIcon);
