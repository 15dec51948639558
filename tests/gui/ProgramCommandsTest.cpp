// The window as a desktop program: a project file given at start, File > Recent
// Files across runs, and the Help menu's guide and shortcuts.
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/html/htmlwin.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/WindowCommandLine.h"
#include "../core/TestHelpers.h"
#include "GuiTestSupport.h"
#include "io/RecoveryFile.h"

namespace {

using grovewright::test::TempFolder;

// A copy of the small example tree in the folder, under the given name.
wxString CopyOfSmallTree(const TempFolder& folder, const std::string& name) {
    std::ifstream example(std::string(GROVEWRIGHT_EXAMPLES) + "/small-tree.xml");
    std::ofstream(folder.File(name)) << example.rdbuf();
    return wxString::FromUTF8(folder.File(name));
}

TEST_F(FrameTest, AFileGivenAtStartIsOpenedAndAMissingOneIsReported) {
    TempFolder folder;
    const wxString tree = CopyOfSmallTree(folder, "given.xml");
    // Given relative to the folder the program runs in: the title names the whole path.
    wxFileName relative(tree);
    relative.MakeRelativeTo(wxGetCwd());
    frame->StartUp(relative.GetFullPath());
    EXPECT_EQ(frame->GetTitle(), "Grovewright v2.3.2 " + tree);
    EXPECT_EQ(frame->Skeleton().SegmentCount(), 15u);
    EXPECT_FALSE(frame->IsDesignModified());

    // A file that is not there: the load's own message, and the design stays.
    wxString told;
    wxTEST_DIALOG(frame->StartUp(wxString::FromUTF8(folder.File("missing.xml"))),
                  ExpectMessage(wxOK, told));
    EXPECT_TRUE(told.StartsWith("The project was not loaded, nothing was changed")) << told;
    EXPECT_TRUE(told.Contains("missing.xml")) << told;
    EXPECT_EQ(frame->GetTitle(), "Grovewright v2.3.2 " + tree);
}

TEST(WindowCommandLine, TakesOneFileAndRefusesWhatTheToolkitLeft) {
    std::string file, error;
    EXPECT_TRUE(grovewright::ProjectToOpen({}, file, error));
    EXPECT_EQ(file, "");
    EXPECT_TRUE(grovewright::ProjectToOpen({"oak tree.xml"}, file, error));
    EXPECT_EQ(file, "oak tree.xml");
    EXPECT_FALSE(grovewright::ProjectToOpen({"--bogus"}, file, error));
    EXPECT_EQ(error, "unknown option --bogus (see --help)");
    EXPECT_FALSE(grovewright::ProjectToOpen({"a.xml", "b.xml"}, file, error));
    EXPECT_EQ(error, "give one project file, not a.xml and b.xml");
    // A lone dash is a file name, as in other programs' command lines.
    EXPECT_TRUE(grovewright::ProjectToOpen({"-"}, file, error));
}

TEST_F(FrameTest, RecentFilesSurviveARestartAndAMissingOneIsRemovedWithAWord) {
    std::remove(grovewright::SettingsFilePath().c_str());  // as on a first run
    TempFolder folder;
    wxString trees[10];
    for (int i = 0; i < 10; ++i) {
        trees[i] = CopyOfSmallTree(folder, "tree" + std::to_string(i) + ".xml");
        frame->OpenProject(trees[i]);
    }
    // A save under another name counts as well; a file opened again moves to the top.
    wxTEST_DIALOG(Command(ID_SAVE_AS), wxExpectModal<wxFileDialog>(wxString::FromUTF8(folder.File("saved"))));
    frame->OpenProject(trees[5]);
    auto listIn = [](const MainFrame& window) {
        std::vector<wxString> files;
        for (int i = 0; i < window.Recent().Count(); ++i) files.push_back(window.Recent().FileOf(wxID_FILE1 + i));
        return files;
    };
    const std::vector<wxString> expected = {trees[5], wxString::FromUTF8(folder.File("saved.xml")), trees[9],
                                            trees[8], trees[7], trees[6], trees[4], trees[3]};
    EXPECT_EQ(listIn(*frame), expected);
    EXPECT_EQ(frame->Recent().FileOf(wxID_FILE1 + 8), "");

    // The next run shows the same list in its menu.
    auto* next = new MainFrame(nullptr, wxEmptyString);
    EXPECT_EQ(listIn(*next), expected);
    wxMenu* recentMenu = next->GetMenuBar()->FindItem(ID_RECENT_FILES)->GetSubMenu();
    ASSERT_EQ(recentMenu->GetMenuItemCount(), 8u);
    EXPECT_TRUE(recentMenu->FindItemByPosition(0)->GetItemLabelText().Contains("tree5.xml"));
    next->Destroy();
    Pump();

    // A file that went away since: said, and taken out of the list and the settings.
    std::remove(folder.File("tree9.xml").c_str());
    wxString told;
    wxTEST_DIALOG(Command(wxID_FILE1 + 2), ExpectMessage(wxOK, told));
    EXPECT_TRUE(told.Contains("tree9.xml")) << told;
    EXPECT_TRUE(told.Contains("removed from the recent files")) << told;
    EXPECT_EQ(frame->Recent().Count(), 7);
    EXPECT_EQ(grovewright::test::ReadFileBytes(grovewright::SettingsFilePath()).find("tree9.xml"), std::string::npos);
    // One still there opens as File > Load does.
    Command(wxID_FILE1 + 3);
    EXPECT_EQ(frame->GetTitle(), "Grovewright v2.3.2 " + trees[7]);
}

TEST_F(FrameTest, HelpNamesEveryKeyAndFindsTheParameterGuide) {
    const wxString keys = frame->ShortcutText();
    for (const char* line : {"Ctrl+N: New Project", "Ctrl+O: Load", "Ctrl+S: Save", "Ctrl+Shift+S: Save As ...",
                             "Ctrl+Q: Quit", "F1: Line", "F2: Wire Frame", "F3: Full 3D", "Ctrl+Z: Undo",
                             "Ctrl+Shift+Z: Redo", "Ctrl+Y: Redo", "Right drag: zoom"})
        EXPECT_TRUE(keys.Contains(wxString(line) + "\n")) << line << " in\n" << keys;
    // The build's own guide, from the sources.
    const wxString guide = MainFrame::ParameterGuide();
    EXPECT_TRUE(guide.EndsWith("docs/parameters.html")) << guide;
    EXPECT_TRUE(wxFileName::FileExists(guide));
}

TEST_F(FrameTest, AGuideNoBrowserShowsIsToldWithItsPathAndShownInTheProgram) {
    // A browser that ends at once with an error (as Chromium does for root), and no opener at all.
    TempFolder folder;
    const std::string failing = folder.File("failing"), none = folder.File("none");
    ASSERT_EQ(std::system(("mkdir -p '" + failing + "' '" + none + "' && printf '#!/bin/sh\\nexit 1\\n' > '" +
                           failing + "/xdg-open' && chmod +x '" + failing + "/xdg-open'")
                              .c_str()),
              0);
    wxString path;
    wxGetEnv("PATH", &path);
    const wxString guide = MainFrame::ParameterGuide();
    for (const std::string& bin : {failing, none}) {
        SCOPED_TRACE(bin);
        wxSetEnv("PATH", wxString::FromUTF8(bin));
        wxString told;
        // The opener's end comes through the event loop.
        wxTEST_DIALOG(
            {
                Command(ID_PARAMETER_GUIDE);
                for (int i = 0; i < 300 && told.empty(); ++i) {
                    Pump();
                    wxMilliSleep(10);
                }
            },
            ExpectMessage(bin == failing ? wxID_YES : wxID_NO, told));
        EXPECT_TRUE(told.StartsWith("No web browser could show the parameter guide")) << told;
        EXPECT_TRUE(told.Contains(guide)) << told;
    }
    wxSetEnv("PATH", path);
    // Shown here: a window of the program holds the guide's page.
    auto* page = dynamic_cast<wxHtmlWindow*>(wxWindow::FindWindowById(ID_GUIDE_PAGE));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->GetParent()->GetLabel(), "Parameter guide");
    EXPECT_TRUE(page->GetOpenedPage().EndsWith("parameters.html")) << page->GetOpenedPage();
    EXPECT_FALSE(page->ToText().empty());
    page->GetParent()->Destroy();
}

}  // namespace
