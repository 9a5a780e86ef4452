// The system's errors on Windows, as text; for the Windows side of the
// platform and process layers only.
#pragma once

#include <string>

// The system's text for the Windows error `error` (GetLastError's), one line.
std::string windowsErrorText(unsigned long error);
// Puts that text in `err`, when one is wanted; false, for a failure to return it.
bool windowsFailure(std::string* err, unsigned long error);
