// Reporting to the user: message boxes and the error log "Tarvex.err".
#pragma once

#include <cstdint>
#include <string>

namespace tessary {

// Shows the table text for `code`, a line feed and `text` (nullptr counts as empty)
// with the given caption and style; returns the button chosen.
int showErrorMessage(void* owner, std::uint32_t code, const char* text, const char* caption,
                     unsigned int style);

// The one-argument error box: code 0 (so "Unexpected error" above the text), caption
// "msgbox", error icon.
void showMessageBox(std::string text);

// Appends "message<TAB>where<LF>" to "Tarvex.err" in the temporary directory (the
// current directory when that path is longer than 260 characters). Silent when the
// log cannot be opened.
void logError(std::string message, std::string where);

}  // namespace tessary
