#pragma once

#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/timer.h>
#include <wx/toolbar.h>

#include <memory>
#include <vector>

#include "render/PaintedTextures.h"
#include "app/ExportCommands.h"
#include "app/FileChooser.h"
#include "app/ProjectDocument.h"
#include "app/RecentFiles.h"
#include "generators/TreeDesign.h"
#include "render/gl/TextureManager.h"

class AbstractGrovewright;
class GrovewrightDrawPanelGL;
class LeafCreator;
class wxDialog;

// Command identifiers: a menu item and its toolbar tool share one.
enum CommandId {
    ID_NEW_PROJECT = wxID_HIGHEST + 1,
    ID_LOAD,
    ID_SAVE,
    ID_SAVE_AS,
    ID_EXPORT_DXF,          // the "&DXF" submenu
    ID_EXPORT_DXF_TREE,
    ID_EXPORT_DXF_LEAVES,
    ID_EXPORT_DIRECTX,      // the "Direct&X" submenu
    ID_EXPORT_DIRECTX_TREE,
    ID_EXPORT_DIRECTX_LEAVES,
    ID_BILLBOARD,
    ID_EXPORT_GLB,          // the "gl&TF (.glb)" submenu
    ID_EXPORT_GLB_TREE,
    ID_EXPORT_GLB_LEAVES,
    ID_EXPORT_OBJ,          // the "&OBJ" submenu
    ID_EXPORT_OBJ_TREE,
    ID_EXPORT_OBJ_LEAVES,
    ID_QUIT,
    ID_CREATOR_TREES,
    ID_CREATOR_LEAVES,
    ID_TRUNK_1,
    ID_TRUNK_2,
    ID_TRUNK_CUSTOM,
    ID_STUMP_1,
    ID_STUMP_CUSTOM,
    ID_LEAVES_1,
    ID_LEAVES_2,
    ID_NEEDLES,
    ID_LEAVES_CUSTOM,
    ID_SPRING,
    ID_SUMMER,
    ID_FALL,
    ID_WINTER,
    ID_GROUND_CUSTOM,
    ID_SKY_BLUE,
    ID_SKY_GREY,
    ID_SKY_CUSTOM,
    ID_MODE,                // the "&Mode" submenu
    ID_MODE_LINE,
    ID_MODE_WIRE_FRAME,
    ID_MODE_FULL_3D,
    ID_LIGHT_ON,
    ID_LIGHT_OFF,
    ID_RESET_CURRENT_TREE,
    ID_RESET_ALL_TREES,
    ID_RESET_LEAVES,
    ID_RESET_ALL,
    ID_ABOUT,
    ID_TREE_NOTEBOOK,
    ID_UNDO,                // toolbar and keys only: the menus stay as they are
    ID_REDO,
    ID_EXAMPLES,            // the "E&xamples" submenu: one item per example tree of the gallery
    ID_EXAMPLE_FIRST,
    ID_EXAMPLE_LAST = ID_EXAMPLE_FIRST + grovewright::kExampleTreeCount - 1,
    ID_PAINTED_BARK_FIRST,  // the painted barks and leaves of the Textures menu
    ID_PAINTED_BARK_LAST = ID_PAINTED_BARK_FIRST + grovewright::PaintedTextures::kBarkCount - 1,
    ID_PAINTED_LEAVES_FIRST,
    ID_PAINTED_LEAVES_LAST = ID_PAINTED_LEAVES_FIRST + grovewright::PaintedTextures::kLeafCount - 1,
    ID_EXPORT_GLB_LOD,      // glTF: tree and leaves with levels of detail
    ID_WIND,                // Options > Wind: the wind preview
    ID_LIGHTER_DRAG,        // Options > Lighter drawing while dragging
    ID_RECENT_FILES,        // the "&Recent Files" submenu (its items: wxID_FILE1 onwards)
    ID_PARAMETER_GUIDE,     // Help > Parameter guide
    ID_KEYBOARD_SHORTCUTS,  // Help > Keyboard shortcuts
    ID_GUIDE_PAGE,          // the parameter guide shown in the program, when no browser shows it
};

// The program's window: menus, toolbar, the view on the left and the 300-pixel
// settings column on the right. It dispatches the commands: the document's life
// to ProjectDocument, the exports to ExportCommands, the view's to the view.
class MainFrame : public wxFrame {
public:
    static constexpr const char* kTitle = "Grovewright v2.3.2 ";

    MainFrame(wxWindow* parent, const wxString& title);
    ~MainFrame() override;

    GrovewrightDrawPanelGL& DrawPanel() { return *drawPanel_; }
    TextureManager& Textures() { return *textures_; }
    const std::vector<AbstractGrovewright*>& Generators() const { return generators_; }
    wxNotebook* TreeNotebook() const { return treeNotebook_; }
    wxPanel* SidePanel() const { return sidePanel_; }
    // The leaf generator's pages, made when first shown or asked for (twenty
    // pages would cost a tenth of the launch).
    LeafCreator& Leaves();
    bool LeavesMade() const { return leafCreator_ != nullptr; }
    grovewright::TreeDesign& Design() { return design_; }
    const grovewright::LeafStore& LeafStore() const { return design_.Leaves(); }
    const grovewright::SkeletonLevels& Skeleton() const { return design_.Skeleton(); }
    wxString CurrentFileName() const { return document_.FileName(); }
    bool LineMode() const { return lineMode_; }

    // The frame's layout for its client size.
    void LayoutWindows();
    // Width of the settings column: 300, or wider when the tree tabs need it.
    int SideColumn() const { return sideColumn_; }
    // The design is not as it was last saved or loaded (undoing back to that
    // state makes it unmodified again), or it was restored from the recovery file.
    bool IsDesignModified() const { return document_.IsModified(); }
    // How long an export runs before its progress dialog appears (tests shorten it).
    void SetProgressDelay(long milliseconds) { exports_->SetProgressDelay(milliseconds); }
    // How long a growth runs before its progress dialog appears (tests shorten it).
    void SetGrowthProgressDelay(long milliseconds) { growthProgressDelay_ = milliseconds; }
    // At start: offers the design kept in the recovery file when the program was
    // last closed without a question (logout, shutdown), then removes the file.
    void OfferRecovery() { document_.OfferRecovery(); }
    // Once the window is up: the design kept at the last session's end is
    // offered; then the project file given on the command line, if any, is
    // opened; without either, the empty view shows how to begin.
    void StartUp(const wxString& file = wxString());
    // Asks about unsaved changes, then loads the project file as the design's file.
    void OpenProject(const wxString& path);
    const RecentFiles& Recent() const { return *recentFiles_; }
    // The parameter guide's page: installed beside the program, or in the
    // sources a build was made from; empty when neither is there.
    static wxString ParameterGuide();
    // Every key the window answers, and the view's mouse gestures, as Help >
    // Keyboard shortcuts lists them: one "keys: what they do" line each.
    wxString ShortcutText() const;
    // The session ends without a question (SIGTERM, SIGHUP, SIGINT): an unsaved
    // design is kept in the recovery file at once, open dialogs are ended as if
    // cancelled, and the window closes as soon as no dialog's loop is left on the stack.
    void EndSession();
    // An unsaved design goes into the recovery file; false when it could not be kept.
    bool KeepUnsavedDesign() { return document_.KeepUnsavedDesign(); }

private:
    // One texture submenu: its items (built-ins, then Custom) and its operation.
    struct TextureMenu {
        std::vector<int> items;
        int customItem;
        bool customSelected = false;
        TextureManager::Kind kind;
    };

    void BuildMenus();
    void BuildToolBar();
    void BindCommands();
    void InstallAccelerators();
    // False for a command whose menu item (or submenu) is disabled: keys reach
    // commands the menus do not offer.
    bool CommandEnabled(int id) const;
    int MeasureSideColumn() const;
    void Check(int id, bool on);
    void Enable(int id, bool on);

    // Commands.
    // Loads an example tree of the gallery as a new design, with its textures, in Full 3D.
    void LoadExample(int index);
    // The document was replaced (new, load): shown from the start, in Line mode.
    void ShowReplacedDesign();
    void Undo();
    void Redo();
    // After an undo or redo: the tab of the generator the design shows, and after
    // one of a generator's parameter that generator's page, so that the change can be seen.
    void ShowChangedGenerator();
    // The tab of the generator the design shows (it was changed by a load or an undo).
    void ShowActiveGeneratorTab();
    // The design's file in the title, and Save enabled when it has one.
    void ShowDocument();
    // After every design change: the undo and redo tools, a refused edit's reason.
    void OnDesignChange(const grovewright::DesignChange& change);
    void SetMode(int mode);
    void SetLighting(bool on);
    void ResetCurrentTree();
    void ResetAllTrees();
    // Every generator and the leaves, one undo step (Reset All, New Project).
    void ResetAll();
    void ResetToLineMode();
    void ResetLeaves();
    // Shows the tree notebook or the leaf panel in the side column, the other hidden and disabled.
    void ShowActiveSide();
    void ShowSide(int leafSide);
    void ApplyMeshExports(bool on);
    void KeepKeyboardFocus();
    // The user picks a texture item: a built-in one, or Custom, which asks for an image.
    void ChooseTexture(TextureMenu& menu, int item);
    // Asks for a custom image of the kind and reads it (its pixels, its bytes and
    // its path); false when cancelled or unreadable (the user was told).
    bool LoadCustomTexture(TextureManager::Kind kind, grovewright::PixelImage& image, std::string& file,
                           std::string& path);
    // Options > Wind: the view's wind preview on or off, with its strength box beside the window.
    void SetWind(bool on);
    // Brings the view's textures and the menu's check marks to the design's
    // choice (after a load, an undo, a new project); images that cannot be read
    // are named in one message and their built-in texture shown.
    void ShowDesignTextures();
    void ShowAbout();
    void ShowParameterGuide();
    // No browser showed the guide: its path is told, and it can be shown in a window of the program.
    void NoBrowserFor(const wxString& guide);
    // A recent file's menu item: opened, or removed from the list when it is gone.
    void OpenRecentFile(int id);
    void OnPageChanging(wxBookCtrlEvent& event);
    void OnPageChanged(wxBookCtrlEvent& event);
    void OnClose(wxCloseEvent& event);
    // Runs work with the busy cursor shown.
    template <typename Work>
    void Busy(Work&& work);

    // Closes the window once every modal dialog has returned.
    void CloseWhenUnwound();

    int sideColumn_ = 300;
    bool sessionEnding_ = false;
    // Before every window: the pages and the view are views of it.
    grovewright::TreeDesign design_;
    FileChooser files_{this};
    // The parameter the last design change named, if it named one.
    std::optional<grovewright::ParameterId> lastParameter_;
    wxMenuBar* menuBar_ = nullptr;
    wxToolBar* toolBar_ = nullptr;
    std::vector<TextureMenu> textureMenus_;
    // The wind's strength box, made when the wind is first switched on.
    wxDialog* windBox_ = nullptr;
    // The texture choice the view's textures were last set from (an image that
    // could not be read included, so that it is reported once).
    grovewright::TextureChoice shownTextures_;
    bool lineMode_ = true;
    // A refused edit's message is queued or shown: further refusals add none.
    bool refusalPending_ = false;
    int showLeafSide_ = 0;
    wxPanel* mainPanel_ = nullptr;
    // Gives the memory that edits freed back to the system once they pause.
    wxTimer memoryReturn_;
    long growthProgressDelay_ = 1000;
    wxNotebook* treeNotebook_ = nullptr;
    std::vector<AbstractGrovewright*> generators_;
    std::unique_ptr<TextureManager> textures_;
    GrovewrightDrawPanelGL* drawPanel_ = nullptr;
    wxPanel* sidePanel_ = nullptr;
    LeafCreator* leafCreator_ = nullptr;
    ProjectDocument document_;
    // Made with the view, whose tree it writes.
    std::unique_ptr<ExportCommands> exports_;
    std::unique_ptr<RecentFiles> recentFiles_;
};
