#include "app/BrowserLaunch.h"

#include <wx/filefn.h>
#include <wx/log.h>
#include <wx/process.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

namespace {

// An opener that ends with an error sooner than this showed no page; a
// browser that a user closes after this long is no failure, whatever it says.
constexpr long kQuickExitMilliseconds = 5000;

class BrowserProcess : public wxProcess {
public:
    explicit BrowserProcess(std::function<void()> failed) : failed_(std::move(failed)) {}

    void OnTerminate(int, int status) override {
        if (status != 0 && clock_.Time() < kQuickExitMilliseconds) failed_();
        delete this;
    }

private:
    std::function<void()> failed_;
    wxStopWatch clock_;
};

}  // namespace

void LaunchBrowser(const wxString& url, std::function<void()> failed) {
    wxPathList path;
    path.AddEnvList("PATH");
    const wxString opener = path.FindAbsoluteValidPath("xdg-open");
    if (opener.empty()) {
        failed();
        return;
    }
    auto* process = new BrowserProcess(failed);
    const wchar_t* const command[] = {opener.wc_str(), url.wc_str(), nullptr};
    long pid;
    {
        wxLogNull quiet;  // the failure is told by failed, in the program's words
        pid = wxExecute(command, wxEXEC_ASYNC, process);
    }
    if (pid > 0) return;
    delete process;
    failed();
}
