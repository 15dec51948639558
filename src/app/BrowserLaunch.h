#pragma once

#include <wx/string.h>

#include <functional>

// Opens url in the desktop's web browser through xdg-open. failed is called
// (later, from the event loop) when the opener cannot start or ends with an
// error within a few seconds: the browser did not come up, as Debian's
// Chromium refuses to run for root, though the launch itself succeeded.
void LaunchBrowser(const wxString& url, std::function<void()> failed);
