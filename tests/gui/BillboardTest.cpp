// The billboard dialog: what the command gives it, the camera, the pictures it
// writes (size, sampling, alpha, names, formats) and a write that fails.
#include <signal.h>
#include <sys/resource.h>
#include <wx/combobox.h>
#include <wx/image.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>

#include <fstream>
#include <functional>
#include <stdexcept>

#include "../core/TestHelpers.h"
#include "GuiTestSupport.h"
#include "io/gui/BillBoardContext.h"
#include "io/gui/BillBoardExportDialog.h"

using grovewright::PixelImage;
using grovewright::test::ReadFileBytes;
using grovewright::test::TempFolder;

namespace {

// Answers the save dialog with a path and a wildcard entry (0 TGA, 1 BMP).
class ExpectSave : public wxExpectModal<wxFileDialog> {
public:
    ExpectSave(const std::string& path, int entry)
        : wxExpectModal<wxFileDialog>(wxString::FromUTF8(path)), entry_(entry) {}

protected:
    int OnInvoked(wxFileDialog* dialog) const override {
        const int answer = wxExpectModal<wxFileDialog>::OnInvoked(dialog);
        dialog->SetFilterIndex(entry_);
        EXPECT_EQ(dialog->GetFilterIndex(), entry_);
        return answer;
    }

private:
    int entry_;
};

// Runs the check on the billboard dialog the command shows, then closes it.
class ExpectBillboard : public wxExpectModalBase<BillBoardExportDialog, ExpectBillboard> {
public:
    explicit ExpectBillboard(std::function<void(BillBoardExportDialog&)> check) : check_(std::move(check)) {}

protected:
    int OnInvoked(BillBoardExportDialog* dialog) const override {
        check_(*dialog);
        return wxID_CANCEL;
    }

private:
    std::function<void(BillBoardExportDialog&)> check_;
};

struct Tga {
    int width = 0, height = 0, bits = 0;
    std::string pixels;  // BGRA, rows from the bottom up
};

Tga ReadTga(const std::string& path) {
    const std::string bytes = ReadFileBytes(path);
    Tga tga;
    if (bytes.size() < 18) return tga;
    auto byte = [&](int at) { return static_cast<unsigned char>(bytes[at]); };
    tga.width = byte(12) | byte(13) << 8;
    tga.height = byte(14) | byte(15) << 8;
    tga.bits = byte(16);
    EXPECT_EQ(bytes.substr(0, 12), std::string("\0\0\2\0\0\0\0\0\0\0\0\0", 12));
    EXPECT_EQ(byte(17), 0);
    tga.pixels = bytes.substr(18);
    return tga;
}

// The TGA pixel (column j, row i) is the read-back pixel (x, y), and its alpha
// is 0 exactly where that pixel has the background's colour.
void ExpectPixel(const Tga& tga, int j, int i, const PixelImage& shown, int x, int y, int background) {
    const unsigned char* out = reinterpret_cast<const unsigned char*>(&tga.pixels[(i * tga.width + j) * 4]);
    const std::uint8_t* in = shown.At(y, x);
    ASSERT_EQ(out[0], in[2]) << j << "," << i;
    ASSERT_EQ(out[1], in[1]) << j << "," << i;
    ASSERT_EQ(out[2], in[0]) << j << "," << i;
    const bool isBackground = in[0] == background && in[1] == background && in[2] == background;
    ASSERT_EQ(out[3], isBackground ? 0 : 255) << j << "," << i;
}

// How many pixels of the TGA are transparent.
int Transparent(const Tga& tga) {
    int count = 0;
    for (std::size_t at = 3; at < tga.pixels.size(); at += 4) count += tga.pixels[at] == 0;
    return count;
}

class BillboardTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        Simple().SetHeight(300);
        Simple().SetIteration(4);
        Simple().Rebuild();
        Command(ID_MODE_FULL_3D);
        View().Redraw(0);
    }
    void TearDown() override {
        if (dialog) dialog->Destroy();
        FrameTest::TearDown();
    }

    // A dialog on the view's lists, shown without its modal loop so that the test can drive it.
    BillBoardExportDialog& Open() {
        dialog = new BillBoardExportDialog(frame, &frame->Textures(), View().GetContext());
        dialog->SetTreeList(&View().GetTreeList());
        dialog->SetStumpList(&View().GetStumpList());
        dialog->SetLeafList(&View().GetLeafList());
        dialog->Show();
        for (int i = 0; i < 200 && !dialog->Canvas()->IsShownOnScreen(); ++i) {
            wxYield();
            wxMilliSleep(10);
        }
        Pump();
        return *dialog;
    }
    // The side panel's control of the type with the label (or the index-th of the type).
    template <typename T>
    T& Control(const wxString& label, int index = 0) {
        for (wxWindow* child : dialog->GetChildren())
            for (wxWindow* control : child->GetChildren())
                if (dynamic_cast<T*>(control) && (control->GetLabel() == label || (label.empty() && index-- == 0)))
                    return *static_cast<T*>(control);
        throw std::runtime_error("no control " + label.ToStdString());
    }
    // Selects a radio button as a click does.
    void Choose(const wxString& label) {
        wxRadioButton& button = Control<wxRadioButton>(label);
        button.SetValue(true);
        wxCommandEvent event(wxEVT_RADIOBUTTON, button.GetId());
        event.SetEventObject(&button);
        button.ProcessWindowEvent(event);
    }
    void Export(const std::string& path, int entry = 0) { wxTEST_DIALOG(dialog->ExportBillboard(), ExpectSave(path, entry)); }

    BillBoardExportDialog* dialog = nullptr;
};

}  // namespace

TEST_F(BillboardTest, CommandShowsTheViewsTreeAndResetsTheCameraEachTime) {
    Command(ID_LIGHT_ON);
    Send(View(), Mouse(wxEVT_LEFT_DOWN, 100, 100, true, false));
    Send(View(), Mouse(wxEVT_MOTION, 140, 100, true, false));
    float lightX, lightY, lightZ;
    View().GetLightPosition(lightX, lightY, lightZ);
    const GLMesh* tree = &View().GetTreeList();
    ASSERT_FALSE(tree->Empty());
    const auto treeFilling = tree->Filling();
    int opened = 0;
    auto check = [&](BillBoardExportDialog& shown) {
        ++opened;
        const BillboardScene& scene = shown.Canvas()->Scene();
        EXPECT_EQ(shown.GetTitle(), "Export Billboard");
        EXPECT_EQ(scene.tree, tree);
        EXPECT_EQ(scene.leaf, &View().GetLeafList());
        EXPECT_FLOAT_EQ(scene.baseAngle, View().GetYaw());
        EXPECT_TRUE(scene.light.on);
        EXPECT_EQ(scene.light.position[1], lightY);
        EXPECT_EQ(scene.light.ambient[0], View().GetAmbient());
        EXPECT_EQ(scene.tilt, 0);
        EXPECT_EQ(scene.panY, -3.0f);
        EXPECT_EQ(scene.zoom, -20.0f);
        EXPECT_EQ(scene.billboardAngle, 0);
        // Moved while open; the next opening starts afresh.
        Send(*shown.Canvas(), Mouse(wxEVT_RIGHT_DOWN, 10, 100, false, true));
        Send(*shown.Canvas(), Mouse(wxEVT_MOTION, 10, 50, false, true));
        EXPECT_FLOAT_EQ(shown.Canvas()->Scene().zoom, -19.5f);
    };
    wxTEST_DIALOG(Command(ID_BILLBOARD), ExpectBillboard(check));
    wxTEST_DIALOG(Command(ID_BILLBOARD), ExpectBillboard(check));
    EXPECT_EQ(opened, 2);
    // The view's lists were not rebuilt for the dialog.
    EXPECT_EQ(View().GetTreeList().Filling(), treeFilling);
}

TEST_F(BillboardTest, MouseFramesTheTreeAndCtrlDragTiltStopsAtMinus90) {
    BillBoardContext& canvas = *Open().Canvas();
    auto send = [&](wxMouseEvent event) { Send(canvas, event); };
    send(Mouse(wxEVT_LEFT_DOWN, 100, 300, true, false));
    for (int y = 299; y >= 100; --y) send(Mouse(wxEVT_MOTION, 100, y, true, false, false, true));
    EXPECT_EQ(canvas.Scene().tilt, -90);
    send(Mouse(wxEVT_MOTION, 100, 101, true, false, false, true));
    EXPECT_EQ(canvas.Scene().tilt, -89);
    // Without Ctrl the same drag pans; sideways pans x too.
    send(Mouse(wxEVT_MOTION, 150, 1, true, false));
    EXPECT_FLOAT_EQ(canvas.Scene().panY, -3.0f + 1.0f);
    EXPECT_FLOAT_EQ(canvas.Scene().panX, 0.5f);
    EXPECT_EQ(canvas.Scene().tilt, -89);
}

TEST_F(BillboardTest, OriginalSizeIsTheCanvasAndCustomSamplesItNearest) {
    Open();
    EXPECT_TRUE(dialog->OriginalSize());
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(Control<wxComboBox>("", i).IsEnabled());
        EXPECT_EQ(Control<wxComboBox>("", i).GetValue(), "128");
    }
    EXPECT_FALSE(Control<wxStaticText>("Width").IsEnabled());
    TempFolder folder;
    const PixelImage shown = dialog->Canvas()->ReadPixels();
    const wxSize client = dialog->GetClientSize();
    ASSERT_EQ(shown.width, client.x - 200);
    ASSERT_EQ(shown.height, client.y);

    Export(folder.File("original.tga"));
    const Tga original = ReadTga(folder.File("original.tga"));
    EXPECT_EQ(original.width, shown.width);
    EXPECT_EQ(original.height, shown.height);
    EXPECT_EQ(original.bits, 32);
    ASSERT_EQ(original.pixels.size(), std::size_t(shown.width) * shown.height * 4);
    for (int i = 0; i < shown.height; i += 7)
        for (int j = 0; j < shown.width; j += 3) ExpectPixel(original, j, i, shown, j, i, 0);
    // The tree shows, on a transparent background.
    EXPECT_GT(Transparent(original), 0);
    EXPECT_LT(Transparent(original), shown.width * shown.height);

    Choose("Custom");
    EXPECT_FALSE(dialog->OriginalSize());
    EXPECT_TRUE(Control<wxComboBox>("", 1).IsEnabled());
    EXPECT_TRUE(Control<wxStaticText>("Height").IsEnabled());
    Export(folder.File("custom.tga"));
    const Tga custom = ReadTga(folder.File("custom.tga"));
    ASSERT_EQ(custom.width, 128);
    ASSERT_EQ(custom.height, 128);
    for (int i = 0; i < 128; ++i)
        for (int j = 0; j < 128; ++j)
            ExpectPixel(custom, j, i, shown, static_cast<int>(float(shown.width) / 128 * j),
                        static_cast<int>(float(shown.height) / 128 * i), 0);
}

TEST_F(BillboardTest, WhiteBackgroundIsTheTransparentOneThen) {
    Open();
    Choose("White");
    EXPECT_FALSE(dialog->BlackBackground());
    const PixelImage shown = dialog->Canvas()->ReadPixels();
    TempFolder folder;
    Export(folder.File("white.tga"));
    const Tga white = ReadTga(folder.File("white.tga"));
    ASSERT_EQ(white.width, shown.width);
    for (int i = 0; i < shown.height; i += 5)
        for (int j = 0; j < shown.width; j += 2) ExpectPixel(white, j, i, shown, j, i, 255);
    EXPECT_GT(Transparent(white), shown.width * shown.height / 2);
}

TEST_F(BillboardTest, NamesAndFormatsFollowTheChosenEntry) {
    Open();
    TempFolder folder;
    // The extension test is case-sensitive.
    Export(folder.File("tree.TGA"));
    EXPECT_EQ(ReadTga(folder.File("tree.TGA.tga")).bits, 32);
    Export(folder.File("kept.tga.old"));
    EXPECT_EQ(ReadTga(folder.File("kept.tga.old")).bits, 32);
    // A typed PNG name is a PNG, though the TGA entry is chosen.
    Export(folder.File("tree.png"));
    EXPECT_EQ(ReadFileBytes(folder.File("tree.png")).substr(0, 4), "\x89PNG");
    EXPECT_FALSE(std::ifstream(folder.File("tree.png.tga")).good());
    // The BMP entry writes a BMP whatever the typed name says, 24 bits, top row first.
    Choose("Custom");
    Export(folder.File("name.tga"), 1);
    const std::string bmp = ReadFileBytes(folder.File("name.tga.bmp"));
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(bmp[28], 24);
    wxImage image(wxString::FromUTF8(folder.File("name.tga.bmp")), wxBITMAP_TYPE_BMP);
    ASSERT_TRUE(image.IsOk());
    EXPECT_EQ(image.GetWidth(), 128);
    EXPECT_EQ(image.GetHeight(), 128);
    // The PNG entry: the TGA's pixels and alpha, top row first.
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    Export(folder.File("name"), 0);
    Export(folder.File("name"), 2);
    wxImage png(wxString::FromUTF8(folder.File("name.png")), wxBITMAP_TYPE_PNG);
    ASSERT_TRUE(png.IsOk());
    ASSERT_TRUE(png.HasAlpha());
    const auto tga = ReadTga(folder.File("name.tga"));
    ASSERT_EQ(png.GetWidth(), 128);
    for (int row = 0; row < 128; row += 7)
        for (int column = 0; column < 128; column += 5) {
            const std::uint8_t* bgra = reinterpret_cast<const std::uint8_t*>(&tga.pixels[((127 - row) * 128 + column) * 4]);
            ASSERT_EQ(png.GetRed(column, row), bgra[2]);
            ASSERT_EQ(png.GetBlue(column, row), bgra[0]);
            ASSERT_EQ(png.GetAlpha(column, row), bgra[3]);
        }
    EXPECT_EQ(grovewright::test::ListFolder(folder.Path()).size(), 6u);
}

TEST_F(BillboardTest, AFailedWriteSaysSoAndKeepsThePreviousFile) {
    Open();
    TempFolder folder;
    std::ofstream(folder.File("tree.tga")) << "previous";
    // Files larger than 1000 bytes cannot be written for the moment.
    rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    const sighandler_t oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    wxString message;
    wxTEST_DIALOG(dialog->ExportBillboard(), ExpectSave(folder.File("tree.tga"), 0), ExpectMessage(wxOK, message));
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_NE(message.Find("The billboard was not written"), wxNOT_FOUND) << message;
    EXPECT_EQ(ReadFileBytes(folder.File("tree.tga")), "previous");
    EXPECT_EQ(grovewright::test::ListFolder(folder.Path()).size(), 1u);
}

TEST_F(BillboardTest, ANarrowDialogStillHasACanvas) {
    Open();
    dialog->SetClientSize(150, 300);
    Pump();
    EXPECT_EQ(dialog->Canvas()->CanvasSize(), wxSize(1, 300));
    EXPECT_EQ(dialog->Canvas()->ReadPixels().pixels.size(), 300u * 4);
}
