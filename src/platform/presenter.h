// Message presentation: the one place a message reaches the user.
//
// The library composes a message (text, caption, Windows message-box style word) and
// hands it to the presenter. A host installs its own handler through the export
// TessarySetMessageHandler; the default writes caption and text to standard error and
// answers with the style's default button.
#pragma once

#include <string>

namespace tessary {

// int handler(owner, text, caption, style) -> button pressed, in Windows numbering.
using MessageHandler = int (*)(void* owner, const char* text, const char* caption,
                               unsigned int style);

// Windows button results.
enum : int {
  kIdOk = 1,
  kIdCancel = 2,
  kIdAbort = 3,
  kIdRetry = 4,
  kIdIgnore = 5,
  kIdYes = 6,
  kIdNo = 7
};

// Windows style words used by the library.
enum : unsigned int {
  kStyleOk = 0x0,
  kStyleYesNo = 0x4,
  kStyleIconError = 0x10,
  kStyleIconQuestion = 0x20,
  kStyleIconExclamation = 0x30,
  kStyleIconInformation = 0x40,
};

// Shows one message and returns the button chosen.
int presentMessage(void* owner, const std::string& text, const std::string& caption,
                   unsigned int style);

// Installs `handler` (nullptr restores the default); returns the previous handler,
// nullptr when the default was in place.
MessageHandler setMessageHandler(MessageHandler handler);

// The button a modal box of `style` would have focused first.
int defaultButton(unsigned int style);

}  // namespace tessary
