#pragma once

#include <wx/button.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/scrolwin.h>
#include <wx/slider.h>
#include <wx/statbox.h>

#include <random>
#include <string>

#include "generators/TreeDesign.h"
#include "geometry/Vector3D.h"
#include "panels/SliderRows.h"

// A tree generator's settings page: a view of the generator's values in the
// design. It holds the controls: the BaseSetup rows, the light controls and a
// notebook for the subclass's own pages. The rows send their edits to the design
// and show what it tells them; the light controls set the design's light.
// The controls are made when first needed (the page is shown, or a control is
// asked for): pages nobody looks at cost the window's start nothing.
class AbstractGrovewright : public wxPanel {
public:
    AbstractGrovewright(wxWindow* parent, grovewright::TreeDesign& design, int generator);

    // Makes the page's controls if they are not made yet; they show the design
    // and the mesh mode of the moment.
    void MakeControls();
    bool HasControls() const { return outer_ != nullptr; }

    // Back to the defaults (one undo step); the tree is grown again.
    void Reset();
    // The generator's name doubles as the page's window name.
    wxString GetName() const override { return wxString::FromUTF8(Model().GetName()); }
    virtual void SetMeshMode(bool on);
    virtual bool IsModified() const;
    virtual void ClearModified();

    // Makes this the shown generator and grows its tree and the leaves on it.
    bool Rebuild();

    // Setters: a value out of range is ignored; otherwise slider and label follow.
    void SetIteration(int v);
    void SetHeight(int v);
    void SetHeightReduction(int v);
    void SetExtendTo(int v);
    void SetObliqueAngle(int v);
    void SetOrientationAngle(int v);
    void SetDivision(int v);
    void SetDiameter(int v);
    void SetDiameterReduction(int v);
    void SetCut(bool cut);

    // Grows another variation of the design: an edit of the seed to another value.
    void NewSeed();

    // Computes the light position from its slider and pushes all light values.
    void PushLightValues();
    // Pushes ambient, diffuse and the current light position unchanged.
    void PushCurrentLight();

    const grovewright::TreeGeneratorModel& Model() const { return design_.Generator(generator_); }
    int GeneratorIndex() const { return generator_; }
    bool MeshMode() const { return meshMode_; }
    const grovewright::Vector3D& LightPosition() const { return lightPosition_; }
    // The controls, for tests and subclasses; asking for one makes them.
    SliderRow& Row(const std::string& name);
    wxSlider* LightPositionSlider() { return MadeControls().lightSlider_; }
    wxSlider* AmbientSlider() { return MadeControls().ambientSlider_; }
    wxSlider* DiffuseSlider() { return MadeControls().diffuseSlider_; }
    wxNotebook* CustomNotebook() { return MadeControls().notebook_; }
    wxPanel* BaseArea() { return MadeControls().baseArea_; }
    wxPanel* GrowthArea() { return MadeControls().growthArea_; }
    wxButton* NewSeedButton() { return MadeControls().newSeedButton_; }

protected:
    grovewright::TreeDesign& Design() const { return design_; }
    // The subclass's own pages in the custom notebook, made once with the other controls.
    virtual void MakeCustomPages(wxNotebook* notebook) = 0;
    // Shows the rows of the mesh mode of the moment and hides the others.
    virtual void ShowModeRows();

private:
    AbstractGrovewright& MadeControls() {
        MakeControls();
        return *this;
    }
    void BuildPage();
    void LayOutControls();
    // The Growth box: seed, variations, gravity and bend, and the New seed button;
    // below it the Form box: pruning, the crown (not on the simple page), flare and roots.
    void BuildGrowthRows();
    // The height of the area that holds both boxes.
    int GrowthAreaHeight() const;
    void OnSize(wxSizeEvent& event);
    void SetBase(grovewright::BaseSetup::Index index, int value);

    grovewright::TreeDesign& design_;
    int generator_;
    bool meshMode_ = false;
    bool sized_ = false;
    grovewright::Vector3D lightPosition_;

    wxScrolledWindow* outer_ = nullptr;
    wxPanel* column_ = nullptr;
    wxPanel* customArea_ = nullptr;
    wxPanel* baseArea_ = nullptr;
    wxPanel* growthArea_ = nullptr;
    wxButton* newSeedButton_ = nullptr;
    std::mt19937 seedPicker_{std::random_device{}()};
    wxStaticBox* customBox_ = nullptr;
    wxNotebook* notebook_ = nullptr;
    SliderRows rows_;
    wxSlider* lightSlider_ = nullptr;
    wxSlider* ambientSlider_ = nullptr;
    wxSlider* diffuseSlider_ = nullptr;
};
