#include "app/MainFrame.h"

#include <wx/accel.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/filename.h>
#include <wx/html/htmlwin.h>
#include <wx/icon.h>
#include <wx/image.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#include <algorithm>

#include "app/BrowserLaunch.h"
#include "app/FreedMemory.h"
#include "app/GrowthAside.h"
#include "app/ProgramSettings.h"
#include "app/SessionEnd.h"
#include "generators/gui/BranchGrovewright.h"
#include "generators/gui/LeafCreator.h"
#include "generators/gui/SimpleGrovewright.h"
#include "render/gui/GrovewrightDrawPanelGL.h"
#include "render/gl/TextureManager.h"
#include "render/TextureImage.h"

namespace {

#include "app/icons/GROVEWRIGHT.xpm"
#include "app/icons/ToolbarIcons.xpm"

constexpr int kSideColumn = 300;
// Room GTK gives a notebook tab beside its label, room of the tab header around
// the tabs (measured with the default theme, with some slack), and the margin
// of the tree notebook inside the column on each side.
constexpr int kTabPadding = 24;
constexpr int kTabHeaderPadding = 40;
constexpr int kNotebookMargin = 5;

// The window's keys, each with the command it runs.
struct Shortcut {
    int flags;
    int key;
    int command;
};
constexpr Shortcut kShortcuts[] = {
    {wxACCEL_CTRL, 'N', ID_NEW_PROJECT},
    {wxACCEL_CTRL, 'O', ID_LOAD},
    {wxACCEL_CTRL, 'S', ID_SAVE},
    {wxACCEL_CTRL | wxACCEL_SHIFT, 'S', ID_SAVE_AS},
    {wxACCEL_CTRL, 'Q', ID_QUIT},
    {wxACCEL_NORMAL, WXK_F1, ID_MODE_LINE},
    {wxACCEL_NORMAL, WXK_F2, ID_MODE_WIRE_FRAME},
    {wxACCEL_NORMAL, WXK_F3, ID_MODE_FULL_3D},
    {wxACCEL_CTRL, 'Z', ID_UNDO},
    {wxACCEL_CTRL | wxACCEL_SHIFT, 'Z', ID_REDO},
    {wxACCEL_CTRL, 'Y', ID_REDO},
};

// What the mouse and the keys do in the view and on the sliders.
const char* const kViewGestures =
    "\nIn the view:\n"
    "Left drag: turn the tree\n"
    "Shift + left drag: move it up and down\n"
    "Ctrl + left drag: tilt it\n"
    "Right drag: zoom\n"
    "\nOn a slider with the keyboard focus (a click or Tab gives it):\n"
    "Arrow keys, Page Up, Page Down, Home, End, mouse wheel: change the value, one undo step per burst\n";

const char* const kAboutText =
    "Grovewright v2.3.2\n\n"
    "Procedural 3D trees, designed by hand.\n\n"
    "https://grovewright.example.org\n\n"
    "grovewright@example.org";

}  // namespace

MainFrame::MainFrame(wxWindow* parent, const wxString&)
    : wxFrame(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxDEFAULT_FRAME_STYLE),
      document_(this, design_, files_, sessionEnding_, {[this] { ShowReplacedDesign(); }, [this] { ShowDocument(); }}) {
    WatchModalDialogs();
    // Shown at once rather than once the window manager has told the size of
    // its frame: the toolkit shows a window that waited so at a tiny size
    // first, and GTK complains about every control squeezed into it.
    m_deferShow = false;
    SetFont(wxFont(8, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL));
    menuBar_ = new wxMenuBar;
    SetIcon(wxIcon(GROVEWRIGHT_xpm));
    BuildToolBar();
    BuildMenus();
    SetMenuBar(menuBar_);
    SetTitle(kTitle);

    mainPanel_ = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER);
    textures_ = std::make_unique<TextureManager>();
    drawPanel_ = new GrovewrightDrawPanelGL(mainPanel_, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0,
                                            "TestGLCanvas", GrovewrightDrawPanelGL::kPixelFormat, design_, *textures_);
    // A long build of the view's tree that the user cancelled (a mode change, a
    // load): the design is shown as lines, which are quick to draw.
    drawPanel_->OnBuildCancelled([this] { CallAfter([this] { SetMode(0); }); });
    // Nothing moves behind a dialog: a file dialog or a question has the user's attention.
    drawPanel_->PauseWindWhile(ModalDialogOpen);
    drawPanel_->SetLighterWhileDragging(ProgramSettings::LighterWhileDragging());
    Check(ID_LIGHTER_DRAG, drawPanel_->LighterWhileDragging());
    exports_ = std::make_unique<ExportCommands>(this, design_, *drawPanel_, *textures_, files_, sessionEnding_);
    // Sized as in the default window from the start: GTK complains about
    // notebooks allocated smaller than their tabs before the first layout.
    sidePanel_ = new wxPanel(mainPanel_, wxID_ANY, wxDefaultPosition, wxSize(kSideColumn, 480));
    treeNotebook_ = new wxNotebook(sidePanel_, ID_TREE_NOTEBOOK, wxPoint(5, 15), wxSize(kSideColumn - 10, 460));
    generators_.push_back(new SimpleGrovewright(treeNotebook_, design_));
    generators_.push_back(new RegularGrovewright(treeNotebook_, design_));
    generators_.push_back(new ComplexGrovewright(treeNotebook_, design_));
    design_.AddObserver([this](const grovewright::DesignChange& change) { OnDesignChange(change); });
    design_.ShowBusyWith([](bool busy) { busy ? wxBeginBusyCursor() : wxEndBusyCursor(); });
    design_.GrowWith([this](const std::function<void()>& grow, bool cancellable) {
        GrowAside(this, grow, cancellable, growthProgressDelay_);
    });
    for (AbstractGrovewright* generator : generators_)
        treeNotebook_->AddPage(generator, generator->GetName(), false);
    // Only the shown generator's controls are made now; the others' when first shown.
    generators_[static_cast<std::size_t>(std::max(0, treeNotebook_->GetSelection()))]->PushLightValues();
    // By the notebook's identifier: the branch and leaf notebooks inside the
    // column send page changes too, and must not switch the generator.
    Bind(wxEVT_NOTEBOOK_PAGE_CHANGING, &MainFrame::OnPageChanging, this, ID_TREE_NOTEBOOK);
    Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, &MainFrame::OnPageChanged, this, ID_TREE_NOTEBOOK);
    ShowActiveSide();
    sideColumn_ = MeasureSideColumn();
    // A frame narrower than the settings column leaves no room for the view.
    SetMinSize(wxSize(sideColumn_ + 200, 400));

    BindCommands();
    InstallAccelerators();
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        if (IsShown()) LayoutWindows();
        event.Skip();
    });
    Bind(wxEVT_CLOSE_WINDOW, &MainFrame::OnClose, this);
    memoryReturn_.SetOwner(this);
    Bind(wxEVT_TIMER, [](wxTimerEvent&) { grovewright::ReturnFreedMemory(); }, memoryReturn_.GetId());
}

MainFrame::~MainFrame() {
    // The textures belong to the view's GL context: make it current for their deletion.
    if (drawPanel_->GetContext()) drawPanel_->SetCurrent(*drawPanel_->GetContext());
    textures_.reset();
    // The design goes before the windows: a page change while the notebook is
    // taken down must not reach it.
    Unbind(wxEVT_NOTEBOOK_PAGE_CHANGED, &MainFrame::OnPageChanged, this, ID_TREE_NOTEBOOK);
}

void MainFrame::BuildToolBar() {
    toolBar_ = CreateToolBar(wxTB_HORIZONTAL | wxTB_FLAT);
    toolBar_->SetToolBitmapSize(wxSize(16, 16));
    auto plain = [&](int id, const char* label, const char* const* xpm) {
        toolBar_->AddTool(id, label, wxBitmap(xpm), label, wxITEM_NORMAL);
    };
    auto check = [&](int id, const char* label, const char* help, const char* const* xpm) {
        toolBar_->AddTool(id, label, wxBitmap(xpm), help, wxITEM_CHECK);
    };
    plain(ID_NEW_PROJECT, "New Project", NewProject_xpm);
    plain(ID_LOAD, "Load", Load_xpm);
    plain(ID_SAVE, "Save", Save_xpm);
    plain(ID_SAVE_AS, "Save As", SaveAs_xpm);
    toolBar_->AddSeparator();
    check(ID_CREATOR_TREES, "Grovewright", "Grovewright", Grovewright_xpm);
    check(ID_CREATOR_LEAVES, "LeafCreator", "LeafCreator", LeafCreator_xpm);
    toolBar_->AddSeparator();
    check(ID_MODE_LINE, "Line", "Line", Line_xpm);
    check(ID_MODE_WIRE_FRAME, "WireFrame", "Wire Frame", WireFrame_xpm);
    check(ID_MODE_FULL_3D, "Full3D", "Full 3D", Full3D_xpm);
    toolBar_->AddSeparator();
    check(ID_LIGHT_ON, "Light On", "Light On", LightOn_xpm);
    check(ID_LIGHT_OFF, "Light Off", "Light Off", LightOff_xpm);
    toolBar_->AddSeparator();
    plain(ID_BILLBOARD, "Billboard Export", BillboardExport_xpm);
    toolBar_->AddSeparator();
    plain(ID_UNDO, "Undo", Undo_xpm);
    plain(ID_REDO, "Redo", Redo_xpm);
    toolBar_->EnableTool(ID_UNDO, false);
    toolBar_->EnableTool(ID_REDO, false);
    toolBar_->Realize();
}

void MainFrame::BuildMenus() {
    auto* file = new wxMenu;
    file->Append(ID_NEW_PROJECT, "&New Project");
    file->AppendSeparator();
    file->Append(ID_LOAD, "&Load");
    auto* examples = new wxMenu;
    // Each species its own key: the first of its letters no species above it took
    // (&Spruce, S&hrub, Sap&ling), so that one key press opens it.
    wxString taken;
    for (int i = 0; i < grovewright::kExampleTreeCount; ++i) {
        wxString name = wxString::FromUTF8(grovewright::ExampleTreeAt(i).name);
        name = name.Left(1).Upper() + name.Mid(1);
        const wxString lower = name.Lower();
        std::size_t key = 0;
        while (key < lower.length() && taken.Find(lower[key]) != wxNOT_FOUND) ++key;
        if (key < lower.length()) {
            taken += lower[key];
            name.insert(key, "&");
        }
        examples->Append(ID_EXAMPLE_FIRST + i, name);
    }
    file->Append(ID_EXAMPLES, "E&xamples", examples);
    auto* recent = new wxMenu;
    file->Append(ID_RECENT_FILES, "&Recent Files", recent);
    recentFiles_ = std::make_unique<RecentFiles>(recent);
    file->AppendSeparator();
    file->Append(ID_SAVE, "&Save");
    file->Append(ID_SAVE_AS, "Save &As ...");
    file->AppendSeparator();
    auto* exportMenu = new wxMenu;
    // A format's submenu: the tree alone, or with its leaves.
    auto exportFormat = [&](int submenu, const char* label, int treeOnly, int withLeaves) {
        auto* menu = new wxMenu;
        menu->Append(treeOnly, "&Tree only");
        menu->Append(withLeaves, "Tree and &Leafs");
        exportMenu->Append(submenu, label, menu);
    };
    exportFormat(ID_EXPORT_DXF, "&DXF", ID_EXPORT_DXF_TREE, ID_EXPORT_DXF_LEAVES);
    exportFormat(ID_EXPORT_DIRECTX, "Direct&X", ID_EXPORT_DIRECTX_TREE, ID_EXPORT_DIRECTX_LEAVES);
    exportMenu->Append(ID_BILLBOARD, "&Billboard");
    exportFormat(ID_EXPORT_GLB, "gl&TF (.glb)", ID_EXPORT_GLB_TREE, ID_EXPORT_GLB_LEAVES);
    // After the two every format has: the tree and leaves with levels of detail down to an impostor.
    exportMenu->FindItem(ID_EXPORT_GLB)->GetSubMenu()->Append(ID_EXPORT_GLB_LOD, "Tree and Leafs with levels of &detail");
    exportFormat(ID_EXPORT_OBJ, "&OBJ", ID_EXPORT_OBJ_TREE, ID_EXPORT_OBJ_LEAVES);
    file->Append(wxID_ANY, "&Export", exportMenu);
    file->AppendSeparator();
    file->Append(ID_QUIT, "&Quit");

    auto* creator = new wxMenu;
    creator->AppendCheckItem(ID_CREATOR_TREES, "&Trees");
    creator->AppendCheckItem(ID_CREATOR_LEAVES, "&Leafs");

    auto* textures = new wxMenu;
    // The painted textures follow the drawn ones, after a line.
    auto textureMenu = [&](const char* title, std::vector<std::pair<int, const char*>> items, int custom,
                           TextureManager::Kind kind, std::vector<std::pair<int, const char*>> painted = {}) {
        auto* menu = new wxMenu;
        TextureMenu entry{{}, custom, false, kind};
        for (const auto& [id, label] : items) {
            menu->AppendCheckItem(id, label);
            entry.items.push_back(id);
        }
        if (!painted.empty()) menu->AppendSeparator();
        for (const auto& [id, label] : painted) {
            menu->AppendCheckItem(id, label);
            entry.items.push_back(id);
        }
        menu->AppendSeparator();
        menu->AppendCheckItem(custom, "&Custom");
        textureMenus_.push_back(entry);
        textures->Append(wxID_ANY, title, menu);
    };
    namespace Painted = grovewright::PaintedTextures;
    std::vector<std::pair<int, const char*>> paintedBarks, paintedLeaves;
    for (int i = 0; i < Painted::kBarkCount; ++i) paintedBarks.emplace_back(ID_PAINTED_BARK_FIRST + i, Painted::BarkLabel(i));
    for (int i = 0; i < Painted::kLeafCount; ++i)
        paintedLeaves.emplace_back(ID_PAINTED_LEAVES_FIRST + i, Painted::LeafLabel(i));
    textureMenu("&Trunc/ Branches", {{ID_TRUNK_1, "Trunc&1"}, {ID_TRUNK_2, "Trunc&2"}}, ID_TRUNK_CUSTOM,
                TextureManager::Kind::Trunk, paintedBarks);
    textureMenu("&Stump", {{ID_STUMP_1, "Stump&1"}}, ID_STUMP_CUSTOM, TextureManager::Kind::Stump);
    textureMenu("&Leafs", {{ID_LEAVES_1, "Leaves&1"}, {ID_LEAVES_2, "Leaves&2"}, {ID_NEEDLES, "&Needles"}},
                ID_LEAVES_CUSTOM, TextureManager::Kind::Leaves, paintedLeaves);
    textures->AppendSeparator();
    textureMenu("&Ground", {{ID_SPRING, "S&pring"}, {ID_SUMMER, "&Summer"}, {ID_FALL, "&Fall"}, {ID_WINTER, "&Winter"}},
                ID_GROUND_CUSTOM, TextureManager::Kind::Ground);
    textures->AppendSeparator();
    textureMenu("&Sky", {{ID_SKY_BLUE, "&Blue"}, {ID_SKY_GREY, "&Grey"}}, ID_SKY_CUSTOM,
                TextureManager::Kind::Sky);

    auto* options = new wxMenu;
    auto* mode = new wxMenu;
    mode->AppendCheckItem(ID_MODE_LINE, "&Line");
    mode->AppendCheckItem(ID_MODE_WIRE_FRAME, "&Wire Frame");
    mode->AppendCheckItem(ID_MODE_FULL_3D, "&Full 3D");
    options->Append(ID_MODE, "&Mode", mode);
    options->AppendSeparator();
    auto* lighting = new wxMenu;
    lighting->AppendCheckItem(ID_LIGHT_ON, "&On");
    lighting->AppendCheckItem(ID_LIGHT_OFF, "O&ff");
    options->Append(wxID_ANY, "L&ighting", lighting);
    options->AppendSeparator();
    options->Append(ID_RESET_CURRENT_TREE, "Reset &Current Tree");
    options->Append(ID_RESET_ALL_TREES, "Reset All &Trees");
    options->AppendSeparator();
    options->Append(ID_RESET_LEAVES, "Reset &Leafs");
    options->AppendSeparator();
    options->Append(ID_RESET_ALL, "Reset &All");
    options->AppendSeparator();
    options->AppendCheckItem(ID_WIND, "&Wind");
    options->AppendCheckItem(ID_LIGHTER_DRAG, "Lighter &drawing while dragging",
                             "While a slider moves, a design too large to draw at once is drawn lighter until it stops");

    auto* help = new wxMenu;
    help->Append(ID_PARAMETER_GUIDE, "&Parameter guide");
    help->Append(ID_KEYBOARD_SHORTCUTS, "&Keyboard shortcuts");
    help->AppendSeparator();
    help->Append(ID_ABOUT, "&About");

    menuBar_->Append(file, "&File");
    menuBar_->Append(creator, "&Creator");
    menuBar_->Append(textures, "&Textures");
    menuBar_->Append(options, "&Options");
    menuBar_->Append(help, "&Help");

    // The states after construction, mirrored on the toolbar.
    Enable(ID_SAVE, false);
    for (int id : {ID_EXPORT_DXF, ID_EXPORT_DIRECTX, ID_EXPORT_GLB, ID_EXPORT_OBJ, ID_BILLBOARD}) Enable(id, false);
    Check(ID_CREATOR_TREES, true);
    Enable(ID_CREATOR_TREES, false);
    Enable(ID_CREATOR_LEAVES, false);
    for (int id : {ID_TRUNK_1, ID_STUMP_1, ID_LEAVES_1, ID_SPRING, ID_SKY_BLUE, ID_MODE_LINE, ID_LIGHT_OFF})
        Check(id, true);
}

void MainFrame::Check(int id, bool on) {
    if (wxMenuItem* item = menuBar_->FindItem(id); item && item->IsCheckable()) item->Check(on);
    if (toolBar_->FindById(id)) toolBar_->ToggleTool(id, on);
}

void MainFrame::Enable(int id, bool on) {
    if (menuBar_->FindItem(id)) menuBar_->Enable(id, on);
    if (toolBar_->FindById(id)) toolBar_->EnableTool(id, on);
}

int MainFrame::MeasureSideColumn() const {
    // GTK shows scroll arrows instead of tabs that do not fit: make room for all.
    int tabs = 0;
    for (std::size_t i = 0; i < treeNotebook_->GetPageCount(); ++i)
        tabs += treeNotebook_->GetTextExtent(treeNotebook_->GetPageText(i)).x + kTabPadding;
    return std::max(kSideColumn, tabs + kTabHeaderPadding + 2 * kNotebookMargin);
}

void MainFrame::InstallAccelerators() {
    std::vector<wxAcceleratorEntry> entries;
    for (const Shortcut& key : kShortcuts) entries.emplace_back(key.flags, key.key, key.command);
    SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(entries.size()), entries.data()));
}

wxString MainFrame::ShortcutText() const {
    wxString text;
    for (const Shortcut& key : kShortcuts) {
        // The menu item's label, else the toolbar tool's (undo and redo have only a tool).
        wxString does = menuBar_->FindItem(key.command) ? menuBar_->GetLabel(key.command)
                                                         : toolBar_->FindById(key.command)->GetLabel();
        does.Replace("&", "");
        text += wxAcceleratorEntry(key.flags, key.key, key.command).ToString() + ": " + does + "\n";
    }
    return text + kViewGestures;
}

bool MainFrame::CommandEnabled(int id) const {
    // Ctrl+S also without a file to save into: the document then asks for one.
    if (id == ID_SAVE) return true;
    if (id == ID_UNDO || id == ID_REDO) return toolBar_->GetToolEnabled(id);
    if (menuBar_->FindItem(id) && !menuBar_->IsEnabled(id)) return false;
    const bool modeCommand = id == ID_MODE_LINE || id == ID_MODE_WIRE_FRAME || id == ID_MODE_FULL_3D;
    return !modeCommand || menuBar_->IsEnabled(ID_MODE);
}

void MainFrame::BindCommands() {
    auto on = [this](int id, std::function<void()> handler) {
        Bind(wxEVT_MENU, [this, id, handler](wxCommandEvent&) {
            if (CommandEnabled(id)) handler();
        }, id);
    };
    on(ID_NEW_PROJECT, [this] { document_.NewProject(); });
    on(ID_LOAD, [this] { document_.Load(); });
    on(ID_SAVE, [this] { document_.Save(); });
    for (int i = 0; i < grovewright::kExampleTreeCount; ++i) on(ID_EXAMPLE_FIRST + i, [this, i] { LoadExample(i); });
    on(ID_SAVE_AS, [this] { document_.SaveAs(); });
    using Format = ExportCommands::Format;
    on(ID_EXPORT_DXF_TREE, [this] { exports_->Export(Format::DXF, false); });
    on(ID_EXPORT_DXF_LEAVES, [this] { exports_->Export(Format::DXF, true); });
    on(ID_EXPORT_DIRECTX_TREE, [this] { exports_->Export(Format::DirectX, false); });
    on(ID_EXPORT_DIRECTX_LEAVES, [this] { exports_->Export(Format::DirectX, true); });
    on(ID_EXPORT_GLB_TREE, [this] { exports_->Export(Format::GLB, false); });
    on(ID_EXPORT_GLB_LEAVES, [this] { exports_->Export(Format::GLB, true); });
    on(ID_EXPORT_GLB_LOD, [this] { exports_->ExportLevelsOfDetail(); });
    on(ID_WIND, [this] { SetWind(!drawPanel_->WindOn()); });
    on(ID_LIGHTER_DRAG, [this] {
        const bool on = !drawPanel_->LighterWhileDragging();
        drawPanel_->SetLighterWhileDragging(on);
        ProgramSettings::SetLighterWhileDragging(on);
        Check(ID_LIGHTER_DRAG, on);
    });
    on(ID_EXPORT_OBJ_TREE, [this] { exports_->Export(Format::OBJ, false); });
    on(ID_EXPORT_OBJ_LEAVES, [this] { exports_->Export(Format::OBJ, true); });
    on(ID_BILLBOARD, [this] { exports_->ExportBillboard(); });
    on(ID_QUIT, [this] { Close(false); });
    on(ID_MODE_LINE, [this] { SetMode(0); });
    on(ID_MODE_WIRE_FRAME, [this] { SetMode(1); });
    on(ID_MODE_FULL_3D, [this] { SetMode(2); });
    on(ID_LIGHT_ON, [this] { SetLighting(true); });
    on(ID_LIGHT_OFF, [this] { SetLighting(false); });
    on(ID_RESET_CURRENT_TREE, [this] { ResetCurrentTree(); });
    on(ID_RESET_ALL_TREES, [this] { ResetAllTrees(); });
    on(ID_RESET_LEAVES, [this] { ResetLeaves(); });
    on(ID_RESET_ALL, [this] { ResetAll(); });
    on(ID_CREATOR_TREES, [this] { ShowSide(0); });
    on(ID_CREATOR_LEAVES, [this] { ShowSide(1); });
    on(ID_ABOUT, [this] { ShowAbout(); });
    on(ID_PARAMETER_GUIDE, [this] { ShowParameterGuide(); });
    on(ID_KEYBOARD_SHORTCUTS, [this] {
        wxMessageBox(ShortcutText(), "Keyboard shortcuts", wxOK | wxICON_INFORMATION, this);
    });
    Bind(wxEVT_MENU, [this](wxCommandEvent& event) { OpenRecentFile(event.GetId()); }, wxID_FILE1,
         wxID_FILE1 + RecentFiles::kCount - 1);
    on(ID_UNDO, [this] { Undo(); });
    on(ID_REDO, [this] { Redo(); });
    // Each texture item re-checks the whole group; menus are stable once built.
    for (std::size_t m = 0; m < textureMenus_.size(); ++m) {
        TextureMenu& menu = textureMenus_[m];
        for (int id : menu.items) on(id, [this, &menu, id] { ChooseTexture(menu, id); });
        on(menu.customItem, [this, &menu] { ChooseTexture(menu, menu.customItem); });
    }
}

template <typename Work>
void MainFrame::Busy(Work&& work) {
    wxBusyCursor busy;
    work();
}

void MainFrame::LayoutWindows() {
    const wxSize client = GetClientSize();
    mainPanel_->SetSize(0, 0, client.x, client.y, wxSIZE_AUTO);
    sidePanel_->SetSize(client.x - sideColumn_, 0, sideColumn_, client.y, wxSIZE_AUTO);
    treeNotebook_->SetSize(kNotebookMargin, 15, sideColumn_ - 2 * kNotebookMargin, std::max(1, client.y - 20),
                           wxSIZE_AUTO);
    if (leafCreator_) leafCreator_->LayoutLeaves();
    drawPanel_->ResizeView(client.x, client.y, sideColumn_);
}

void MainFrame::Undo() {
    Busy([&] { design_.Undo(); });
    ShowChangedGenerator();
    ShowDocument();
}

void MainFrame::Redo() {
    Busy([&] { design_.Redo(); });
    ShowChangedGenerator();
    ShowDocument();
}

void MainFrame::ShowDocument() {
    Enable(ID_SAVE, document_.CanSave());
    SetTitle(kTitle + CurrentFileName());
    if (!CurrentFileName().empty()) recentFiles_->Add(CurrentFileName());
}

void MainFrame::OpenProject(const wxString& path) {
    // A path given relative to the folder the program started in names the same
    // file in the title and in the recent files from anywhere else.
    wxFileName file(path);
    file.MakeAbsolute();
    if (document_.CheckUnsavedChanges()) document_.LoadFile(file.GetFullPath(), true);
}

void MainFrame::OpenRecentFile(int id) {
    const wxString path = recentFiles_->FileOf(id);
    if (path.empty()) return;
    if (!wxFileName::FileExists(path)) {
        recentFiles_->Remove(path);
        wxMessageBox(path + "\nwas not found: it is removed from the recent files.", "Recent Files",
                     wxOK | wxICON_WARNING, this);
        return;
    }
    OpenProject(path);
}

wxString MainFrame::ParameterGuide() {
    const wxFileName program(wxStandardPaths::Get().GetExecutablePath());
    for (const wxString& folder : {program.GetPath() + "/" + GROVEWRIGHT_GUIDE_FROM_BIN, wxString(GROVEWRIGHT_DOCS)}) {
        wxFileName guide(folder, "parameters.html");
        guide.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
        if (guide.FileExists()) return guide.GetFullPath();
    }
    return {};
}

void MainFrame::ShowParameterGuide() {
    const wxString guide = ParameterGuide();
    if (guide.empty()) {
        wxMessageBox("The parameter guide is not installed with this program. Every row's tooltip says what its "
                     "value does.",
                     "Parameter guide", wxOK | wxICON_INFORMATION, this);
        return;
    }
    LaunchBrowser(wxFileName::FileNameToURL(guide),
                  [this, guide] { CallAfter([this, guide] { NoBrowserFor(guide); }); });
}

void MainFrame::NoBrowserFor(const wxString& guide) {
    wxMessageDialog told(this, "No web browser could show the parameter guide. It is the page\n" + guide,
                         "Parameter guide", wxYES_NO | wxYES_DEFAULT | wxICON_INFORMATION);
    told.SetYesNoLabels("&Show it here", "&Close");
    if (told.ShowModal() != wxID_YES) return;
    // The guide's pictures are PNG images, which the toolkit reads once told how.
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    auto* window = new wxFrame(this, wxID_ANY, "Parameter guide", wxDefaultPosition, wxSize(900, 700));
    auto* page = new wxHtmlWindow(window, ID_GUIDE_PAGE);
    page->LoadFile(wxFileName(guide));
    window->Show();
}

void MainFrame::ShowChangedGenerator() {
    // A step that changed the shown generator (a load of a file that names it) shows it again.
    ShowActiveGeneratorTab();
    if (!lastParameter_ || lastParameter_->record == grovewright::Record::Leaf || showLeafSide_ == 1) return;
    if (lastParameter_->generator != treeNotebook_->GetSelection())
        treeNotebook_->SetSelection(lastParameter_->generator);
}

void MainFrame::OnDesignChange(const grovewright::DesignChange& change) {
    memoryReturn_.StartOnce(2000);
    if (change.valuesChanged) lastParameter_ = change.parameter;
    toolBar_->EnableTool(ID_UNDO, design_.CanUndo());
    toolBar_->EnableTool(ID_REDO, design_.CanRedo());
    // Shown once the slider's event is over: a dialog inside a drag would fight its grab.
    // One gesture is one message: the toolkit may report a key's move twice, and
    // a drag refused at every step while the message waits says nothing more.
    if (!change.refusal.empty() && !refusalPending_) {
        refusalPending_ = true;
        CallAfter([this, text = wxString::FromUTF8(change.refusal)] {
            wxMessageBox(text, "Design too large", wxOK | wxICON_WARNING, this);
            refusalPending_ = false;
        });
    }
    if (change.texturesChanged) ShowDesignTextures();
}

void MainFrame::ApplyMeshExports(bool on) {
    for (AbstractGrovewright* generator : generators_) generator->SetMeshMode(on);
    for (int id : {ID_EXPORT_DXF, ID_EXPORT_DIRECTX, ID_EXPORT_GLB, ID_EXPORT_OBJ}) Enable(id, on);
}

void MainFrame::SetMode(int mode) {
    Busy([&] {
        lineMode_ = mode == 0;
        Check(ID_MODE_LINE, mode == 0);
        Check(ID_MODE_WIRE_FRAME, mode == 1);
        Check(ID_MODE_FULL_3D, mode == 2);
        // The Trees/Leafs switch and the billboard need the full view.
        for (int id : {ID_CREATOR_TREES, ID_CREATOR_LEAVES, ID_BILLBOARD}) Enable(id, mode == 2);
        ApplyMeshExports(mode != 0);
        drawPanel_->SetRenderMode(mode);
    });
    KeepKeyboardFocus();
}

void MainFrame::KeepKeyboardFocus() {
    // A mode or side change hides the rows, and with them perhaps the control
    // that had the focus: the view takes it, so that the next shortcut works.
    if (!wxWindow::FindFocus()) drawPanel_->SetFocus();
}

void MainFrame::SetLighting(bool on) {
    Check(ID_LIGHT_ON, on);
    Check(ID_LIGHT_OFF, !on);
    drawPanel_->SetLightingOn(on);
    drawPanel_->Render();
}

void MainFrame::ResetToLineMode() {
    lineMode_ = true;
    ApplyMeshExports(false);
    Check(ID_CREATOR_TREES, true);
    Check(ID_CREATOR_LEAVES, false);
    for (int id : {ID_CREATOR_TREES, ID_CREATOR_LEAVES, ID_BILLBOARD}) Enable(id, false);
    Enable(ID_MODE, true);
    showLeafSide_ = 0;
    ShowActiveSide();
    drawPanel_->SetRenderMode(0);
    Check(ID_MODE_LINE, true);
    Check(ID_MODE_WIRE_FRAME, false);
    Check(ID_MODE_FULL_3D, false);
    for (int id : {ID_MODE_LINE, ID_MODE_WIRE_FRAME, ID_MODE_FULL_3D}) Enable(id, true);
    KeepKeyboardFocus();
}

void MainFrame::ResetLeaves() {
    Busy([&] { design_.ResetLeaves(); });
}

void MainFrame::ShowActiveSide() {
    const bool leafSide = showLeafSide_ == 1;
    treeNotebook_->Show(!leafSide);
    treeNotebook_->Enable(!leafSide);
    if (leafSide || leafCreator_) {
        Leaves().Show(leafSide);
        Leaves().Enable(leafSide);
    }
}

LeafCreator& MainFrame::Leaves() {
    if (!leafCreator_) {
        leafCreator_ = new LeafCreator(sidePanel_, design_);
        leafCreator_->LayoutLeaves();
        leafCreator_->Show(showLeafSide_ == 1);
        leafCreator_->Enable(showLeafSide_ == 1);
    }
    return *leafCreator_;
}

void MainFrame::ShowSide(int leafSide) {
    showLeafSide_ = leafSide;
    Check(ID_CREATOR_TREES, leafSide == 0);
    Check(ID_CREATOR_LEAVES, leafSide == 1);
    // While the leaf side is shown the render mode stays as it is.
    Enable(ID_MODE, leafSide == 0);
    for (int id : {ID_MODE_LINE, ID_MODE_WIRE_FRAME, ID_MODE_FULL_3D}) Enable(id, leafSide == 0);
    ShowActiveSide();
    if (leafSide == 0) drawPanel_->Redraw(0);
    KeepKeyboardFocus();
}

void MainFrame::ResetCurrentTree() {
    const int page = treeNotebook_->GetSelection();
    if (page < 0 || page >= static_cast<int>(generators_.size())) return;
    Busy([&] {
        generators_[page]->Reset();
        drawPanel_->DeleteDisplayLists();
    });
    ResetToLineMode();
}

void MainFrame::ResetAllTrees() {
    Busy([&] {
        design_.ResetAllGenerators();
        drawPanel_->DeleteDisplayLists();
    });
    ResetToLineMode();
}

void MainFrame::ResetAll() {
    Busy([&] {
        design_.ResetAll();
        drawPanel_->DeleteDisplayLists();
    });
    ResetToLineMode();
}

void MainFrame::StartUp(const wxString& file) {
    // The view has the keyboard focus, not the first slider the toolkit would
    // pick: the wheel over the column scrolls it until a slider is clicked.
    drawPanel_->SetFocus();
    const bool recovered = document_.OfferRecovery();
    if (!file.empty())
        OpenProject(file);
    else if (!recovered)
        drawPanel_->ShowStartHint();
}

void MainFrame::LoadExample(int index) {
    const grovewright::ExampleTree& example = grovewright::ExampleTreeAt(index);
    if (!document_.LoadExample(example)) return;
    SetMode(2);
}

void MainFrame::EndSession() {
    if (sessionEnding_) return;
    sessionEnding_ = true;
    // Kept now, while everything is as the user left it.
    KeepUnsavedDesign();
    // A long build of the view would hold the exit for seconds, only to draw a tree nobody will see.
    drawPanel_->StopDrawing();
    EndModalDialogs();
    CloseWhenUnwound();
}

void MainFrame::CloseWhenUnwound() {
    CallAfter([this] {
        // A dialog whose loop has not returned yet still uses the window.
        if (ModalDialogOpen()) {
            EndModalDialogs();
            wxMilliSleep(10);
            CloseWhenUnwound();
            return;
        }
        Close(true);
        // The window is deleted on the next idle time, which nothing else may bring now.
        wxWakeUpIdle();
    });
}

void MainFrame::ShowActiveGeneratorTab() {
    const int shown = design_.ActiveGenerator();
    if (treeNotebook_->GetSelection() == shown) return;
    generators_[static_cast<std::size_t>(shown)]->MakeControls();
    // Without a page change, whose handler would grow the tree the design has grown already.
    treeNotebook_->ChangeSelection(static_cast<std::size_t>(shown));
    generators_[static_cast<std::size_t>(shown)]->SendSizeEvent();
    generators_[static_cast<std::size_t>(shown)]->PushCurrentLight();
}

void MainFrame::ShowReplacedDesign() {
    // A project that says which generator it shows is shown on that tab.
    ShowActiveGeneratorTab();
    drawPanel_->DeleteDisplayLists();
    ResetToLineMode();
    drawPanel_->ResetView();
}

void MainFrame::ChooseTexture(TextureMenu& menu, int item) {
    const int kind = static_cast<int>(menu.kind);
    grovewright::TextureChoice choice = design_.Textures();
    std::string file, path;
    if (item != menu.customItem) {
        choice.builtIn[kind] = static_cast<int>(std::find(menu.items.begin(), menu.items.end(), item) - menu.items.begin());
        choice.image[kind].clear();
    } else if (grovewright::PixelImage image; LoadCustomTexture(menu.kind, image, file, path)) {
        if (drawPanel_->GetContext()) drawPanel_->SetCurrent(*drawPanel_->GetContext());
        textures_->SelectCustom(menu.kind, image, std::move(file));
        // Shown already: the design's change finds the view as it should be.
        shownTextures_.image[kind] = choice.image[kind] = path;
    }
    design_.ChooseTextures(choice);
    // Unchanged, cancelled or failed: the check marks show again what is in use.
    ShowDesignTextures();
}

bool MainFrame::LoadCustomTexture(TextureManager::Kind kind, grovewright::PixelImage& image, std::string& file,
                                  std::string& path) {
    // Chosen like projects: in the last folder used, over the frame. Leaves need an alpha channel.
    const wxString images = "Images (*.png;*.jpg;*.jpeg;*.tga;*.bmp;*.xpm)|*.png;*.jpg;*.jpeg;*.tga;*.bmp;*.xpm";
    const wxString chosen = files_.Open("Open ...", kind == TextureManager::Kind::Leaves
                                                        ? "Images with alpha (*.png;*.tga)|*.png;*.tga|" + images
                                                        : images);
    if (chosen.empty()) return false;
    path = chosen.ToStdString(wxConvUTF8);
    std::string error;
    if (grovewright::ReadTextureImage(path, image, error, &file)) {
        // Taken all the same: the user may want it so, but should not wonder why.
        if (kind == TextureManager::Kind::Leaves && !image.HasTransparency())
            wxMessageBox("This leaf texture has no transparent pixels (no alpha channel, or one that is opaque "
                         "everywhere): its leaves will be drawn as opaque squares.",
                         "Leaf texture", wxOK | wxICON_WARNING, this);
        return true;
    }
    wxMessageBox(wxString::FromUTF8(error), "Texture error", wxOK | wxICON_ERROR, this);
    return false;
}

void MainFrame::ShowDesignTextures() {
    if (drawPanel_->GetContext()) drawPanel_->SetCurrent(*drawPanel_->GetContext());
    const grovewright::TextureChoice& wanted = design_.Textures();
    std::string unreadable;
    for (TextureMenu& menu : textureMenus_) {
        const int kind = static_cast<int>(menu.kind);
        const std::string& path = wanted.image[kind];
        if (path != shownTextures_.image[kind] || wanted.builtIn[kind] != shownTextures_.builtIn[kind]) {
            std::string file, error;
            grovewright::PixelImage image;
            if (!path.empty() && grovewright::ReadTextureImage(path, image, error, &file))
                textures_->SelectCustom(menu.kind, image, std::move(file));
            else
                textures_->Select(menu.kind, wanted.builtIn[kind]);
            if (!error.empty()) unreadable += std::string("\n") + grovewright::TextureKindName(kind) + ": " + error;
            shownTextures_.image[kind] = path;
            shownTextures_.builtIn[kind] = wanted.builtIn[kind];
        }
        menu.customSelected = textures_->Selected(menu.kind) == static_cast<int>(menu.items.size());
        const int checked = menu.customSelected ? menu.customItem : menu.items[static_cast<std::size_t>(wanted.builtIn[kind])];
        for (int id : menu.items) Check(id, id == checked);
        Check(menu.customItem, menu.customItem == checked);
    }
    drawPanel_->Redraw(1);
    // After the load or undo has finished: one message for every image missing.
    if (!unreadable.empty())
        CallAfter([this, text = wxString::FromUTF8(unreadable)] {
            wxMessageBox("These images of the design could not be read; the built-in textures are shown "
                         "instead, and the design keeps the images' names:\n" +
                             text,
                         "Texture error", wxOK | wxICON_WARNING, this);
        });
}

void MainFrame::SetWind(bool on) {
    Check(ID_WIND, on);
    if (on && !windBox_) {
        // A small box beside the window: the strength, and closing it stops the wind.
        windBox_ = new wxDialog(this, wxID_ANY, "Wind", wxDefaultPosition, wxDefaultSize, wxCAPTION | wxCLOSE_BOX);
        auto* label = new wxStaticText(windBox_, wxID_ANY, "Strength: 50 %");
        auto* strength = new wxSlider(windBox_, wxID_ANY, drawPanel_->WindStrength(), 0, 100, wxDefaultPosition,
                                      wxSize(200, -1));
        strength->SetToolTip("How hard the wind blows: at 100 % the crown's top sways by 4 % of the tree's height");
        strength->Bind(wxEVT_SLIDER, [this, label, strength](wxCommandEvent&) {
            drawPanel_->SetWindStrength(strength->GetValue());
            label->SetLabel(wxString::Format("Strength: %d %%", strength->GetValue()));
        });
        windBox_->Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { SetWind(false); });
        // The window's shortcuts work while the box has the focus: its key
        // commands go to the window as the window's own do.
        windBox_->SetAcceleratorTable(*GetAcceleratorTable());
        windBox_->Bind(wxEVT_MENU, [this](wxCommandEvent& event) { ProcessWindowEvent(event); });
        auto* sizer = new wxBoxSizer(wxVERTICAL);
        sizer->Add(label, 0, wxALL, 8);
        sizer->Add(strength, 0, wxLEFT | wxRIGHT | wxBOTTOM | wxEXPAND, 8);
        windBox_->SetSizerAndFit(sizer);
    }
    if (windBox_) {
        // Over the view's lower right corner: the tree stands in the middle, the counts at the left.
        const wxRect view = drawPanel_->GetScreenRect();
        const wxSize box = windBox_->GetSize();
        if (on) windBox_->Move(view.GetRight() - box.x - 10, view.GetBottom() - box.y - 10);
        windBox_->Show(on);
    }
    drawPanel_->SetWind(on);
    KeepKeyboardFocus();
}

void MainFrame::ShowAbout() {
    const wxIcon icon(GROVEWRIGHT_xpm);
    wxDialog about(this, wxID_ANY, "About ...", wxDefaultPosition, wxSize(340, 180),
                   wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
    about.SetFont(wxFont(8, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL));
    const int iconWidth = icon.GetWidth(), iconHeight = icon.GetHeight();
    new wxStaticBitmap(&about, wxID_ANY, icon, wxPoint(20, 90 - iconHeight), wxSize(iconWidth, iconHeight));
    new wxStaticText(&about, wxID_ANY, kAboutText, wxPoint(iconWidth + 50, 40 - iconHeight),
                     wxSize(270 - iconWidth, 120));
    new wxButton(&about, wxID_OK, "OK", wxPoint(130, 125));
    about.ShowModal();
}

void MainFrame::OnPageChanging(wxBookCtrlEvent& event) {
    const int page = event.GetSelection();
    if (page >= 0 && page < static_cast<int>(generators_.size())) generators_[page]->MakeControls();
    event.Skip();
}

void MainFrame::OnPageChanged(wxBookCtrlEvent& event) {
    const int page = event.GetSelection();
    Busy([&] {
        if (page < 0 || page >= static_cast<int>(generators_.size())) return;
        AbstractGrovewright* generator = generators_[page];
        generator->SendSizeEvent();
        generator->Rebuild();
        generator->PushCurrentLight();
    });
}

void MainFrame::OnClose(wxCloseEvent& event) {
    if (!event.CanVeto()) {
        // Logout or shutdown: nobody can be asked, so an unsaved design is kept
        // in the recovery file and offered at the next start.
        document_.KeepUnsavedDesign();
    } else if (!document_.CheckUnsavedChanges()) {
        event.Veto();
        return;
    }
    Destroy();
}
