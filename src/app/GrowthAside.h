#pragma once

#include <functional>

class wxWindow;

// Runs grow, a long growth of the design, on a thread of its own while the
// window waits for it. Once it has taken delayMilliseconds (never for a
// negative delay) an application-modal dialog, "Growing the tree", shows that
// work goes on, so that input goes to the dialog instead of waiting in a queue;
// its Cancel (when cancellable) asks the growth to stop. Returns once grow has
// ended, rethrowing what it threw (GrowthStopped after a Cancel).
void GrowAside(wxWindow* parent, const std::function<void()>& grow, bool cancellable, long delayMilliseconds);
