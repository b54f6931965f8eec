#pragma once
// The framework's simple message box. Tests intercept it with TApplication::SetShowMessageHook
// (or the MessageCapture of platform/vcl/Testing.h).
#include <string>

// A modal box with the text and an OK button, under the application's title.
void ShowMessage(const std::string& text);
