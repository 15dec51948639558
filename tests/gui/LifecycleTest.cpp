// The project lifecycle: nothing the user made is lost by a cancelled or failed
// save, a replaced file is confirmed, and every failed load or export says why.
#include <sys/stat.h>

#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/progdlg.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <functional>
#include <fstream>

#include "../core/TestHelpers.h"
#include "GuiTestSupport.h"
#include "generators/gui/BranchGrovewright.h"
#include "io/ImageFiles.h"
#include "io/TGDirectXFileWriter.h"
#include "render/ExportSinks.h"
#include "render/MeshBuilder.h"

using grovewright::test::ReadFileBytes;
using grovewright::test::TempFolder;
using grovewright::test::WriteFileBytes;

namespace {

wxString Path(const TempFolder& folder, const std::string& name) { return wxString::FromUTF8(folder.File(name)); }

const char* const kTitle = "Grovewright v2.3.2 ";

}  // namespace

class LifecycleTest : public FrameTest {
protected:
    // A design with unsaved changes: the simple tree's height dragged to 1.20 m.
    void MakeUnsavedDesign() {
        Drag(Simple().Row("Height").Slider(), 120);
        ASSERT_TRUE(frame->IsDesignModified());
    }
    void ExpectDesignKept() {
        EXPECT_EQ(Simple().Model().Base().Height(), 120);
        EXPECT_TRUE(frame->IsDesignModified());
        EXPECT_EQ(frame->GetTitle(), kTitle);
    }
    AbstractGrovewright& Generator(int page) { return *frame->Generators()[page]; }
};

TEST_F(LifecycleTest, YesThenACancelledOrFailedSaveStopsNewLoadAndClose) {
    TempFolder folder;
    MakeUnsavedDesign();
    bool closed = true;
    const std::function<void()> commands[] = {[&] { Command(ID_NEW_PROJECT); }, [&] { Command(ID_LOAD); },
                                              [&] { closed = CloseFrame(false); }};
    for (const auto& command : commands) {
        // Yes, then the Save As dialog cancelled.
        wxTEST_DIALOG(command(), wxExpectModal<wxMessageDialog>(wxYES),
                      wxExpectModal<wxFileDialog>(wxString(), wxID_CANCEL));
        ExpectDesignKept();
        // Yes, then a save that fails (Load stops before its own file dialog).
        wxString error;
        wxTEST_DIALOG(command(), wxExpectModal<wxMessageDialog>(wxYES),
                      wxExpectModal<wxFileDialog>(Path(folder, "missing/folder/tree.xml")),
                      ExpectMessage(wxOK, error));
        EXPECT_EQ(error, "Could not open file !");
        ExpectDesignKept();
    }
    EXPECT_FALSE(closed);
    // Yes with a save that works goes on: the design is in the file, then closed.
    wxTEST_DIALOG(closed = CloseFrame(false), wxExpectModal<wxMessageDialog>(wxYES),
                  wxExpectModal<wxFileDialog>(Path(folder, "kept.xml")));
    EXPECT_TRUE(closed);
    EXPECT_NE(ReadFileBytes(folder.File("kept.xml")).find("<Height>120</Height>"), std::string::npos);
}

TEST_F(LifecycleTest, NoGoesAheadWithoutSaving) {
    MakeUnsavedDesign();
    wxTEST_DIALOG(Command(ID_NEW_PROJECT), wxExpectModal<wxMessageDialog>(wxNO));
    EXPECT_EQ(Simple().Model().Base().Height(), 0);
    EXPECT_FALSE(frame->IsDesignModified());
}

TEST_F(LifecycleTest, AskBeforeReplacingAFileNamedWithoutItsExtension) {
    TempFolder folder;
    WriteFileBytes(folder.File("design.xml"), "precious");
    wxString question;
    // "design" names design.xml, which the file dialog never asked about.
    wxTEST_DIALOG(Command(ID_SAVE_AS), wxExpectModal<wxFileDialog>(Path(folder, "design")),
                  ExpectMessage(wxNO, question));
    EXPECT_NE(question.Find(Path(folder, "design.xml")), wxNOT_FOUND);
    EXPECT_EQ(ReadFileBytes(folder.File("design.xml")), "precious");
    EXPECT_EQ(frame->GetTitle(), kTitle);
    EXPECT_FALSE(Enabled(ID_SAVE));
    wxTEST_DIALOG(Command(ID_SAVE_AS), wxExpectModal<wxFileDialog>(Path(folder, "design")),
                  wxExpectModal<wxMessageDialog>(wxYES));
    EXPECT_NE(ReadFileBytes(folder.File("design.xml")).find("<SimpleGrovewright>"), std::string::npos);
    EXPECT_EQ(frame->GetTitle(), kTitle + Path(folder, "design.xml"));

    // Exports follow the same rule; a new name is not asked about. Their dialog
    // opens in the project's folder.
    Command(ID_MODE_WIRE_FRAME);
    WriteFileBytes(folder.File("tree.dxf"), "old export");
    wxString openedIn;
    wxTEST_DIALOG(Command(ID_EXPORT_DXF_TREE), ExpectFileDialog(Path(folder, "tree"), openedIn),
                  wxExpectModal<wxMessageDialog>(wxNO));
    EXPECT_EQ(openedIn, wxString::FromUTF8(folder.Path()));
    EXPECT_EQ(ReadFileBytes(folder.File("tree.dxf")), "old export");
    wxTEST_DIALOG(Command(ID_EXPORT_DIRECTX_TREE), wxExpectModal<wxFileDialog>(Path(folder, "tree")));
    EXPECT_EQ(ReadFileBytes(folder.File("tree.x")).rfind("xof 0302txt 0032", 0), 0u);
}

TEST_F(LifecycleTest, AFailedLoadSaysWhyAndChangesNothing) {
    TempFolder folder;
    MakeUnsavedDesign();
    WriteFileBytes(folder.File("binary.xml"), std::string("\x89PNG\r\n\x1a\n\0\0\xff\xfe", 12));
    WriteFileBytes(folder.File("bad.xml"), "<SimpleGrovewright><BaseSetup></BaseSetup></SimpleGrovewright>");
    const std::pair<const char*, const char*> cases[] = {
        {"missing.xml", "cannot be opened"},
        {"binary.xml", "is not a UTF-8 text file"},
        {"bad.xml", "no valid SimpleGrovewright section"},
    };
    for (const auto& [name, reason] : cases) {
        wxString message;
        wxTEST_DIALOG(Command(ID_LOAD), wxExpectModal<wxMessageDialog>(wxNO),
                      wxExpectModal<wxFileDialog>(Path(folder, name)), ExpectMessage(wxOK, message));
        EXPECT_NE(message.Find(Path(folder, name)), wxNOT_FOUND) << message;
        EXPECT_NE(message.Find(reason), wxNOT_FOUND) << message;
        ExpectDesignKept();
    }
}

TEST_F(LifecycleTest, APartialLoadNamesThePartsThatKeptTheirSettings) {
    TempFolder folder;
    Generator(1).SetHeight(450);
    Generator(2).SetHeight(350);
    // The simple section of a full project, the first leaf page, nothing else.
    WriteFileBytes(folder.File("partial.xml"),
                   "<Grovewright>\n<SimpleGrovewright>\n<BaseSetup>\n<Iteration>2</Iteration>\n<Height>300</Height>\n"
                   "<HeightReduction>100</HeightReduction>\n<ExtendTo>0</ExtendTo>\n<ObliqueAngle>0</ObliqueAngle>\n"
                   "<OrientationAngle>0</OrientationAngle>\n<Division>3</Division>\n<Diameter>1</Diameter>\n"
                   "<DiameterReduction>100</DiameterReduction>\n<Cut>0</Cut>\n</BaseSetup>\n<CustomSetup>\n"
                   "<Balance>50</Balance>\n<SpreadAngle>45</SpreadAngle>\n<TwistAngle>0</TwistAngle>\n"
                   "<BalanceDependence>0</BalanceDependence>\n<DiameterBalanceDep>0</DiameterBalanceDep>\n"
                   "<Cut>0</Cut>\n</CustomSetup>\n</SimpleGrovewright>\n</Grovewright>\n");
    wxString message;
    wxTEST_DIALOG(Command(ID_LOAD), wxExpectModal<wxFileDialog>(Path(folder, "partial.xml")),
                  ExpectMessage(wxOK, message));
    EXPECT_EQ(Simple().Model().Base().Height(), 300);
    EXPECT_EQ(frame->GetTitle(), kTitle + Path(folder, "partial.xml"));
    for (const char* part : {"RegularGrovewright", "ComplexGrovewright", "LeafCreator"})
        EXPECT_NE(message.Find(part), wxNOT_FOUND) << part << " in " << message;
    EXPECT_EQ(message.Find("SimpleGrovewright"), wxNOT_FOUND) << message;
    EXPECT_EQ(Generator(1).Model().Base().Height(), 450);
    EXPECT_EQ(Generator(2).Model().Base().Height(), 350);
}

TEST_F(LifecycleTest, ALoadNamesTheImagesOutsideTheProjectsFolder) {
    TempFolder folder;
    ASSERT_EQ(mkdir(folder.File("received").c_str(), 0755), 0);
    WriteFileBytes(folder.File("bark.png"), grovewright::EncodePng(grovewright::PixelImage(4, 4, 3)));
    std::string text = ReadFileBytes(std::string(GROVEWRIGHT_EXAMPLES) + "/sapling.simple.xml");
    text.insert(text.find("</Grovewright_Setup>"), "   <DesignView>\n      <ShownGenerator>0</ShownGenerator>\n"
                                                   "      <BarkImage>../bark.png</BarkImage>\n   </DesignView>\n");
    WriteFileBytes(folder.File("received/tree.xml"), text);
    wxString message;
    wxTEST_DIALOG(Command(ID_LOAD), wxExpectModal<wxFileDialog>(Path(folder, "received/tree.xml")),
                  ExpectMessage(wxOK, message));
    EXPECT_NE(message.Find("outside its folder"), wxNOT_FOUND) << message;
    EXPECT_NE(message.Find(folder.File("bark.png")), wxNOT_FOUND) << message;
    // The image is still loaded.
    EXPECT_EQ(frame->Design().Textures().image[grovewright::TextureChoice::kBark], folder.File("bark.png"));
}

TEST_F(LifecycleTest, AnExportThatCannotBeOpenedSaysWhy) {
    TempFolder folder;
    Command(ID_MODE_WIRE_FRAME);
    wxString message;
    wxTEST_DIALOG(Command(ID_EXPORT_DXF_TREE), wxExpectModal<wxFileDialog>(Path(folder, "missing/tree.dxf")),
                  ExpectMessage(wxOK, message));
    EXPECT_NE(message.Find("The export was not written"), wxNOT_FOUND) << message;
    EXPECT_NE(message.Find("cannot be created"), wxNOT_FOUND) << message;
    EXPECT_TRUE(grovewright::test::ListFolder(folder.Path()).empty());
}

TEST_F(LifecycleTest, AForcedCloseKeepsTheDesignForTheNextStart) {
    TempFolder data;
    wxSetEnv("XDG_DATA_HOME", wxString::FromUTF8(data.Path()));
    const std::string recovery = data.File("grovewright/recovery.xml");
    // Nothing unsaved: nothing kept.
    EXPECT_TRUE(CloseFrame(true));
    EXPECT_TRUE(grovewright::test::ListFolder(data.Path()).empty());

    SetUp();
    MakeUnsavedDesign();
    EXPECT_TRUE(CloseFrame(true));  // asks nothing
    EXPECT_NE(ReadFileBytes(recovery).find("<Height>120</Height>"), std::string::npos);

    // The next start offers it; restored, it is still unsaved and has no file.
    SetUp();
    wxString offer;
    wxTEST_DIALOG(frame->OfferRecovery(), ExpectMessage(wxYES, offer));
    EXPECT_NE(offer.Find("restore"), wxNOT_FOUND) << offer;
    ExpectDesignKept();
    EXPECT_FALSE(Enabled(ID_SAVE));
    EXPECT_FALSE(wxFileExists(wxString::FromUTF8(recovery)));
    // Offered once: no file, no question.
    frame->OfferRecovery();
    wxUnsetEnv("XDG_DATA_HOME");
}

TEST_F(LifecycleTest, PagingThroughBranchAndLeafTabsKeepsTheShownGenerator) {
    Simple().SetHeight(100);
    frame->TreeNotebook()->SetSelection(2);
    Pump();
    auto& complex = static_cast<BranchGrovewright&>(Generator(2));
    complex.SetHeight(300);
    complex.Rebuild();
    ASSERT_DOUBLE_EQ(frame->Skeleton()[0].front().End().y, 300);
    for (int page : {1, 0, 5}) {
        complex.CustomNotebook()->SetSelection(page);
        Pump();
        EXPECT_DOUBLE_EQ(frame->Skeleton()[0].front().End().y, 300) << "Branch " << page + 1;
    }
    Command(ID_MODE_FULL_3D);
    Command(ID_CREATOR_LEAVES);
    frame->Leaves().Notebook()->SetSelection(3);
    Pump();
    EXPECT_DOUBLE_EQ(frame->Skeleton()[0].front().End().y, 300);
    EXPECT_EQ(frame->TreeNotebook()->GetSelection(), 2);
}

TEST_F(LifecycleTest, CutCapsTheTrunkWhenExtendToFindsNoChainPiece) {
    TempFolder folder;
    frame->TreeNotebook()->SetSelection(1);
    Pump();
    AbstractGrovewright& regular = Generator(1);
    regular.SetHeight(200);
    regular.SetDiameter(20);
    regular.SetExtendTo(2);
    regular.SetCut(true);
    regular.Rebuild();
    ASSERT_EQ(frame->Skeleton().SegmentCount(), 1u);  // Iteration 0: the trunk alone
    EXPECT_TRUE(frame->Skeleton()[0].front().IsCut());
    Command(ID_MODE_WIRE_FRAME);
    wxTEST_DIALOG(Command(ID_EXPORT_DIRECTX_TREE), wxExpectModal<wxFileDialog>(Path(folder, "capped.x")));
    EXPECT_NE(ReadFileBytes(folder.File("capped.x")).find("Mesh Mesh_1 {"), std::string::npos);
}

TEST_F(LifecycleTest, KeyboardShortcutsRunTheCommandsTheMenusOffer) {
    frame->Raise();
    frame->SetFocus();
    // Real key presses through the X server; their events arrive a little later.
    wxUIActionSimulator keys;
    auto press = [&](int key, int modifiers = wxMOD_NONE) {
        keys.Char(key, modifiers);
        for (int i = 0; i < 20; ++i) {
            Pump();
            wxMilliSleep(10);
        }
    };
    press(WXK_F3);
    EXPECT_TRUE(Checked(ID_MODE_FULL_3D));
    press(WXK_F2);
    EXPECT_TRUE(Checked(ID_MODE_WIRE_FRAME));
    // On the leaf side the mode cannot change, not even by key.
    Command(ID_MODE_FULL_3D);
    Command(ID_CREATOR_LEAVES);
    press(WXK_F1);
    EXPECT_TRUE(Checked(ID_MODE_FULL_3D));
    Command(ID_CREATOR_TREES);
    press(WXK_F1);
    EXPECT_TRUE(Checked(ID_MODE_LINE));
    // Ctrl+S without a file asks for a name, as Ctrl+Shift+S does.
    MakeUnsavedDesign();
    wxTEST_DIALOG(press('S', wxMOD_CONTROL), wxExpectModal<wxFileDialog>(wxString(), wxID_CANCEL));
    wxTEST_DIALOG(press('S', wxMOD_CONTROL | wxMOD_SHIFT), wxExpectModal<wxFileDialog>(wxString(), wxID_CANCEL));
    EXPECT_TRUE(frame->IsDesignModified());
}

TEST_F(LifecycleTest, ALongExportShowsProgressAndCancelKeepsThePreviousFile) {
    TempFolder folder;
    WriteFileBytes(folder.File("tree.dxf"), "old export\n");
    Simple().SetHeight(300), Simple().SetHeightReduction(80), Simple().SetDiameter(20), Simple().SetIteration(15);
    Simple().Rebuild();  // 65,535 segments: 16 progress reports
    Command(ID_MODE_WIRE_FRAME);
    // The dialog at once rather than after half a second: the test must not depend on the machine's speed.
    frame->SetProgressDelay(0);
    PressCancel pressCancel;
    wxEvtHandler::AddFilter(&pressCancel);
    wxTEST_DIALOG(Command(ID_EXPORT_DXF_TREE), wxExpectModal<wxFileDialog>(Path(folder, "tree.dxf")));
    wxEvtHandler::RemoveFilter(&pressCancel);
    EXPECT_TRUE(pressCancel.pressed);
    // Compared as a whole: a failure must not print the hundreds of megabytes a full export holds.
    EXPECT_TRUE(ReadFileBytes(folder.File("tree.dxf")) == "old export\n");
    EXPECT_EQ(grovewright::test::ListFolder(folder.Path()).size(), 1u);  // no temporary file left
}

TEST_F(LifecycleTest, TheExportCommandWritesWhatTheCoreWritesForTheShownDesign) {
    // The view only draws: the command runs the core's export on the design, so
    // drawing during the export (its progress dialog lets paint events through)
    // cannot reach the file.
    Simple().SetHeight(300), Simple().SetHeightReduction(80), Simple().SetIteration(8), Simple().SetCustomCut(true);
    Simple().Rebuild();
    Command(ID_MODE_FULL_3D);
    TempFolder folder;
    wxTEST_DIALOG(Command(ID_EXPORT_DIRECTX_LEAVES), wxExpectModal<wxFileDialog>(Path(folder, "tree.x")));
    grovewright::TGDirectXFileWriter writer;
    writer.SetFileName(folder.File("core.x"));
    grovewright::MeshBuilder builder(frame->Skeleton(), frame->LeafStore(), frame->Design().View());
    ASSERT_EQ(grovewright::ExportFile(writer, builder, true), grovewright::ExportResult::Written);
    const std::string written = ReadFileBytes(folder.File("tree.x"));
    EXPECT_NE(written.find("Mesh"), std::string::npos);
    EXPECT_TRUE(written == ReadFileBytes(folder.File("core.x")));
}

// The session ends (SIGTERM, SIGHUP, SIGINT) while a dialog is open: the design
// is kept, the dialog ends, the window closes, and nothing touches it afterwards.
class SessionEndTest : public LifecycleTest {
protected:
    void SetUp() override {
        LifecycleTest::SetUp();
        wxSetEnv("XDG_DATA_HOME", wxString::FromUTF8(data.Path()));
    }
    void TearDown() override {
        wxUnsetEnv("XDG_DATA_HOME");
        LifecycleTest::TearDown();
    }
    // Runs the command, which opens a real dialog; the session ends once it is shown.
    void EndSessionDuring(int command) {
        MainFrame* window = frame;
        // A timer, as the signal's wake-up: it fires inside the dialog's own loop.
        wxTimer signal;
        signal.Bind(wxEVT_TIMER, [window](wxTimerEvent&) { window->EndSession(); });
        signal.StartOnce(300);
        Command(command);
        for (int i = 0; i < 200 && wxTopLevelWindows.Member(window); ++i) {
            Pump();
            wxMilliSleep(10);
        }
        EXPECT_FALSE(wxTopLevelWindows.Member(window));
        frame = nullptr;
    }
    std::string Kept() const { return ReadFileBytes(data.File("grovewright/recovery.xml")); }

    TempFolder data;
};

TEST_F(SessionEndTest, WithTheSaveQuestionOpenTheDesignIsKeptAndTheWindowCloses) {
    MakeUnsavedDesign();
    EndSessionDuring(ID_QUIT);
    EXPECT_NE(Kept().find("<Height>120</Height>"), std::string::npos);
}

TEST_F(SessionEndTest, DuringALongBuildTheDesignIsKeptAndTheViewStopsAtOnce) {
    MakeUnsavedDesign();
    Simple().SetHeightReduction(80), Simple().SetIteration(14);
    Simple().Rebuild();  // 32,767 segments: several progress reports
    Command(ID_MODE_FULL_3D);
    const int triangles = View().GetTreeTriangles();
    ASSERT_GT(triangles, 100000);
    View().SetProgressDelay(0);
    // The session ends while the view's progress dialog runs, as a signal would end it.
    struct EndInProgress : wxEventFilter {
        MainFrame* window = nullptr;
        long framesAtEnd = -1;
        int FilterEvent(wxEvent& event) override {
            auto* source = dynamic_cast<wxWindow*>(event.GetEventObject());
            if (framesAtEnd < 0 && source && dynamic_cast<wxProgressDialog*>(wxGetTopLevelParent(source))) {
                framesAtEnd = window->DrawPanel().FramesShown();
                window->EndSession();
            }
            return Event_Skip;
        }
    } end;
    end.window = frame;
    wxEvtHandler::AddFilter(&end);
    Drag(Simple().Row("Division").Slider(), 12);
    wxEvtHandler::RemoveFilter(&end);
    ASSERT_GE(end.framesAtEnd, 0);
    // The build stopped: nothing more was drawn, the view still holds the tree before.
    EXPECT_EQ(View().FramesShown(), end.framesAtEnd);
    EXPECT_EQ(View().GetTreeTriangles(), triangles);
    MainFrame* window = frame;
    for (int i = 0; i < 200 && wxTopLevelWindows.Member(window); ++i) Pump(), wxMilliSleep(10);
    EXPECT_FALSE(wxTopLevelWindows.Member(window));
    frame = nullptr;
    EXPECT_NE(Kept().find("<Height>120</Height>"), std::string::npos);
}

TEST_F(SessionEndTest, WithTheBillboardDialogOpenTheWindowCloses) {
    MakeUnsavedDesign();
    Command(ID_MODE_FULL_3D);
    EndSessionDuring(ID_BILLBOARD);
    EXPECT_NE(Kept().find("<Height>120</Height>"), std::string::npos);
}

TEST_F(SessionEndTest, WithAFileDialogOpenNothingIsLoadedAndAnUnchangedDesignLeavesNoFile) {
    EndSessionDuring(ID_LOAD);
    EXPECT_TRUE(grovewright::test::ListFolder(data.Path()).empty());
}

TEST_F(LifecycleTest, SaveWritesTheFileTheDesignWasLastSavedAsAfterUndoAndRedoOfItsLoad) {
    TempFolder folder;
    MakeUnsavedDesign();
    wxTEST_DIALOG(Command(ID_SAVE_AS), wxExpectModal<wxFileDialog>(Path(folder, "l.xml")));
    Command(ID_NEW_PROJECT);
    wxTEST_DIALOG(Command(ID_LOAD), wxExpectModal<wxFileDialog>(Path(folder, "l.xml")));
    wxTEST_DIALOG(Command(ID_SAVE_AS), wxExpectModal<wxFileDialog>(Path(folder, "m.xml")));
    Command(ID_UNDO);  // past the load
    Command(ID_REDO);
    EXPECT_FALSE(frame->IsDesignModified());
    EXPECT_EQ(frame->GetTitle(), kTitle + Path(folder, "m.xml"));
    Drag(Simple().Row("Iteration").Slider(), 4);
    Command(ID_SAVE);
    EXPECT_NE(ReadFileBytes(folder.File("m.xml")).find("<Iteration>4</Iteration>"), std::string::npos);
    EXPECT_NE(ReadFileBytes(folder.File("l.xml")).find("<Iteration>0</Iteration>"), std::string::npos);
}

TEST_F(LifecycleTest, SaveOfAProjectLoadedUnderAnotherExtensionOffersItAsXml) {
    TempFolder folder;
    MakeUnsavedDesign();
    wxTEST_DIALOG(Command(ID_SAVE_AS), wxExpectModal<wxFileDialog>(Path(folder, "t.xml")));
    std::rename(folder.File("t.xml").c_str(), folder.File("t.txt").c_str());
    wxTEST_DIALOG(Command(ID_LOAD), wxExpectModal<wxFileDialog>(Path(folder, "t.txt")));
    Drag(Simple().Row("Iteration").Slider(), 2);
    struct Offered : wxExpectModal<wxFileDialog> {
        explicit Offered(wxString& name) : wxExpectModal<wxFileDialog>(wxString(), wxID_CANCEL), name_(name) {}
        int OnInvoked(wxFileDialog* dialog) const override {
            name_ = wxFileName(dialog->GetDirectory(), dialog->GetFilename()).GetFullPath();
            return wxExpectModal<wxFileDialog>::OnInvoked(dialog);
        }
        wxString& name_;
    };
    wxString offered;
    wxTEST_DIALOG(Command(ID_SAVE), Offered(offered));
    EXPECT_EQ(offered, Path(folder, "t.xml"));
    EXPECT_FALSE(wxFileExists(Path(folder, "t.txt.xml")));
}
