#include <wx/app.h>

#include <iostream>

#include "app/GrovewrightApp.h"
#include "app/WindowCommandLine.h"

wxIMPLEMENT_APP_NO_MAIN(GrovewrightApp);

int main(int argc, char** argv) {
    if (const std::optional<int> status = grovewright::AnswerWithoutWindow(argc, argv, std::cout, std::cerr))
        return *status;
    const int status = wxEntry(argc, argv);
    return GrovewrightApp::CommandLineRefused() ? grovewright::kWindowUsageError : status;
}
