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
class AbstractGrovewright : public wxPanel {
public:
    AbstractGrovewright(wxWindow* parent, grovewright::TreeDesign& design, int generator);

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
    // The rows, for tests and subclasses.
    SliderRow& Row(const std::string& name);
    wxSlider* LightPositionSlider() const { return lightSlider_; }
    wxSlider* AmbientSlider() const { return ambientSlider_; }
    wxSlider* DiffuseSlider() const { return diffuseSlider_; }
    wxNotebook* CustomNotebook() const { return notebook_; }
    wxPanel* BaseArea() const { return baseArea_; }
    wxPanel* GrowthArea() const { return growthArea_; }
    wxButton* NewSeedButton() const { return newSeedButton_; }

protected:
    grovewright::TreeDesign& Design() const { return design_; }

private:
    void BuildPage();
    // The Growth box: seed, variations, gravity and bend, and the New seed button.
    void BuildGrowthRows();
    void OnSize(wxSizeEvent& event);
    void SetBase(grovewright::BaseSetup::Index index, int value);

    grovewright::TreeDesign& design_;
    int generator_;
    bool meshMode_ = false;
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
