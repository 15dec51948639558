#pragma once

#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/scrolwin.h>
#include <wx/slider.h>
#include <wx/statbox.h>

#include <memory>
#include <string>

#include "generators/TreeGeneratorModel.h"
#include "geometry/Vector3D.h"
#include "panels/SliderRows.h"

namespace grovewright {
class SkeletonLevels;
class TGXMLFileWriter;
}  // namespace grovewright
class AbstractLeafCreator;
class GrovewrightDrawPanelGL;

// A tree generator's settings page. It wraps the generator's model (values,
// validation, project section, rebuild) and adds the controls: the BaseSetup
// rows, the light controls and a notebook for the subclass's own pages. Setters
// validate through the model, then move the slider and rewrite the label; the
// edit handlers rebuild, redraw and mark the design modified.
class AbstractGrovewright : public wxPanel {
public:
    AbstractGrovewright(wxWindow* parent, AbstractLeafCreator& leafCreator, grovewright::TGXMLFileWriter& writer, GrovewrightDrawPanelGL& drawPanel,
                        grovewright::SkeletonLevels& skeleton,
                        std::unique_ptr<grovewright::TreeGeneratorModel> model);

    // The generator hooks, in their order.
    // Back to the defaults, then rebuild and redraw.
    void Reset();
    // The generator's name doubles as the page's window name.
    wxString GetName() const override { return wxString::FromUTF8(model_->GetName()); }
    virtual void SetMeshMode(bool on);
    void WriteSetup() { model_->WriteSetup(writer_); }
    // After a project load replaced the model's values: shows them in the rows and
    // hands the view its angles (no rebuild).
    void ShowLoadedSetup();
    virtual bool IsModified() const { return modified_; }
    virtual void ClearModified() { modified_ = false; }

    // Clears the skeleton, hands the view its tree values, places the trunk and
    // grows the branches; does nothing while rebuilding is disabled (during Reset).
    bool Rebuild();
    // After an edit that changes the skeleton: rebuild, regenerate the leaves so
    // that they sit on the tree shown, and redraw with new display lists.
    void RebuildAndRedraw();

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

    // Computes the light position from its slider and pushes all light values.
    void PushLightValues();
    // Pushes ambient, diffuse and the current light position unchanged.
    void PushCurrentLight();

    const grovewright::TreeGeneratorModel& Model() const { return *model_; }
    // The model a project load reads into.
    grovewright::TreeGeneratorModel& ModelForLoad() { return *model_; }
    bool MeshMode() const { return meshMode_; }
    const grovewright::Vector3D& LightPosition() const { return lightPosition_; }
    // The rows, for tests and subclasses.
    SliderRow& Row(const std::string& name);
    wxSlider* LightPositionSlider() const { return lightSlider_; }
    wxSlider* AmbientSlider() const { return ambientSlider_; }
    wxSlider* DiffuseSlider() const { return diffuseSlider_; }
    wxNotebook* CustomNotebook() const { return notebook_; }
    wxPanel* BaseArea() const { return baseArea_; }

protected:
    grovewright::TreeGeneratorModel& ModelForEdit() { return *model_; }
    // Shows every current value in its row; subclasses add their own rows.
    virtual void ShowValues();
    // A user edit on this page that changes the skeleton: RebuildAndRedraw, then
    // mark the design modified.
    void Edited();

private:
    void BuildPage();
    void OnSize(wxSizeEvent& event);
    // Adds a row to the base area under its name and calls edit with its value.
    void AddRow(const char* name, std::unique_ptr<SliderRow> row, std::function<void(int)> edit);
    void ShowRow(const char* name, int value, bool accepted);

    AbstractLeafCreator& leafCreator_;
    grovewright::TGXMLFileWriter& writer_;
    GrovewrightDrawPanelGL& drawPanel_;
    grovewright::SkeletonLevels& skeleton_;
    std::unique_ptr<grovewright::TreeGeneratorModel> model_;

    bool modified_ = false;
    bool rebuildEnabled_ = true;
    bool meshMode_ = false;
    grovewright::Vector3D lightPosition_;

    wxScrolledWindow* outer_ = nullptr;
    wxPanel* column_ = nullptr;
    wxPanel* customArea_ = nullptr;
    wxPanel* baseArea_ = nullptr;
    wxStaticBox* customBox_ = nullptr;
    wxNotebook* notebook_ = nullptr;
    SliderRows rows_;
    wxSlider* lightSlider_ = nullptr;
    wxSlider* ambientSlider_ = nullptr;
    wxSlider* diffuseSlider_ = nullptr;
};
