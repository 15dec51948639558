#include "cli/CommandLine.h"

#include <strings.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <charconv>
#include <cstdio>
#include <iostream>
#include <new>
#include <optional>
#include <sstream>
#include <ostream>
#include <string>
#include <vector>
#include <nlohmann/json.hpp>

#include "cli/HelpFormatter.h"
#include "cli/PictureModule.h"
#include "generators/BranchTreeModel.h"
#include "generators/DesignSize.h"
#include "generators/LeafGenerator.h"
#include "generators/ParameterKey.h"
#include "generators/ProjectLoader.h"
#include "generators/SimpleTreeModel.h"
#include "geometry/LeafPolygon.h"
#include "geometry/SkeletonLevels.h"
#include "io/BillboardImage.h"
#include "io/FileNaming.h"
#include "io/ImageFiles.h"
#include "io/ModelFiles.h"
#include "io/NumberFormat.h"
#include "io/ProgramVersion.h"
#include "io/TGDXFFileWriter.h"
#include "io/TGDirectXFileWriter.h"
#include "io/TGXMLFileReader.h"
#include "render/CrownCover.h"
#include "render/ExportSinks.h"
#include "render/MeshBuilder.h"
#include "render/PaintedTextures.h"
#include "render/TextureImage.h"
#include "render/LevelsOfDetail.h"
#include "render/WindWeights.h"

namespace grovewright {

namespace {

constexpr const char* kProgram = "grovewright-cli";
// Above this many triangles a design is refused unless the limit is raised:
// about 3 GB as DXF and 2 GB of memory.
constexpr std::size_t kDefaultMaxTriangles = 20'000'000;

// A loaded design and the tree one of its generators grows.
struct Design {
    SimpleTreeModel simple;
    RegularTreeModel regular;
    ComplexTreeModel complex;
    LeafGeneratorModel leafPages;
    TreeGeneratorModel* chosen = nullptr;
    SkeletonLevels skeleton;
    LeafStore leaves;
    TreeViewParameters view;
    // The textures the project file chose.
    TextureChoice textures;
};

// A failure with its exit status and the one line that explains it.
struct Failure {
    int status = kExitOk;
    std::string message;
};

enum class Format { Unknown, DXF, DirectX, GLB, GLTF, OBJ, TGA, BMP, PNG };

// The format an output's extension names, compared without regard to case.
Format FormatOf(const std::string& path) {
    const auto dot = path.find_last_of('.');
    const auto slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return Format::Unknown;
    const char* extension = path.c_str() + dot + 1;
    if (strcasecmp(extension, "dxf") == 0) return Format::DXF;
    if (strcasecmp(extension, "x") == 0) return Format::DirectX;
    if (strcasecmp(extension, "glb") == 0) return Format::GLB;
    if (strcasecmp(extension, "gltf") == 0) return Format::GLTF;
    if (strcasecmp(extension, "obj") == 0) return Format::OBJ;
    if (strcasecmp(extension, "tga") == 0) return Format::TGA;
    if (strcasecmp(extension, "bmp") == 0) return Format::BMP;
    if (strcasecmp(extension, "png") == 0) return Format::PNG;
    return Format::Unknown;
}

// The one line that refuses a project some of whose leaf pages could not be
// read: each page with the first value it refused.
std::string RefusedLeafPages(TGXMLFileReader& reader, const std::string& project, const Design& design) {
    std::string pages;
    reader.SetFileName(project);
    if (reader.Open())
        for (int page = 1; page <= LeafGeneratorModel::kPageCount; ++page)
            if (const std::string refused = design.leafPages.RefusedValue(reader, page); !refused.empty())
                pages += (pages.empty() ? "" : "; ") + std::string("Leaf ") + std::to_string(page) + ": " + refused;
    reader.Close();
    if (pages.empty()) pages = "a leaf page";
    return project + ": " + design.leafPages.GetName() + ": " + pages + "; the leaves would not be the design's";
}

// Loads the project and chooses the generator whose tree is wanted.
Failure LoadDesign(const std::string& project, std::string generator, Design& design) {
    TGXMLFileReader reader;
    std::string error;
    std::vector<std::string> kept;
    DesignViewValues view;
    if (!LoadProject(reader, project, {&design.simple, &design.regular, &design.complex}, error, &design.leafPages,
                     &kept, &view))
        return {kExitFailure, error};
    design.textures = view.textures;
    // Not chosen on the command line: the one the file shows, else the one its name ends with.
    const char* const names[] = {"simple", "regular", "complex"};
    if (generator.empty())
        generator = view.shownGenerator >= 0 ? names[view.shownGenerator] : GeneratorNamedBy(project);
    if (const std::string notice = reader.MarkupNotice(); !notice.empty())
        std::cerr << "grovewright-cli: " << project << ": " << notice << "\n";
    for (const std::string& image : ImagesOutsideFolder(view.textures, project))
        std::cerr << "grovewright-cli: " << project << ": names an image outside its folder, which is used: " << image
                  << "\n";
    design.chosen = generator == "regular"   ? static_cast<TreeGeneratorModel*>(&design.regular)
                    : generator == "complex" ? static_cast<TreeGeneratorModel*>(&design.complex)
                                             : &design.simple;
    // The program would keep its previous settings; here they would be the
    // defaults, and an empty tree written as if it were the design.
    if (std::find(kept.begin(), kept.end(), design.chosen->GetName()) != kept.end())
        return {kExitFailure, NoValidSection(project, design.chosen->GetName())};
    // A leaf page that could not be read beside others that could would grow
    // other leaves than the design's: refused, as the chosen generator's
    // section is. The other parts (another generator, a file without leaf
    // pages, the view's textures) take their defaults, as in the program, and
    // are named: never dropped in silence.
    const std::string someLeafPages = design.leafPages.GetName() + ":";
    for (const std::string& part : kept) {
        if (part.rfind(someLeafPages, 0) == 0) return {kExitFailure, RefusedLeafPages(reader, project, design)};
        std::cerr << kProgram << ": " << project << ": no valid " << part
                  << " section (missing, or a value missing, not a number or out of range): its defaults are used\n";
    }
    return {};
}

// The whole text as a decimal integer, sign allowed, nothing else.
bool ParseWholeLong(const std::string& text, long& value) {
    const char* first = text.data() + (text.size() > 1 && text[0] == '+' ? 1 : 0);
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc() && end == last && first != last;
}

// Applies --set KEY=VALUE and --seed to the loaded design; a key that names no
// parameter or a value outside its range is a usage error.
Failure OverrideValues(const std::vector<std::string>& settings, const std::optional<long>& seed, Design& design) {
    DesignRecords records{design.simple, design.regular, design.complex, design.leafPages};
    for (const std::string& setting : settings) {
        const auto equals = setting.find('=');
        if (equals == std::string::npos) return {kExitUsage, "--set " + setting + ": give KEY=VALUE"};
        std::string error;
        const std::optional<ParameterId> id = FindParameter(setting.substr(0, equals), error);
        if (!id) return {kExitUsage, "--set " + error};
        const std::string text = setting.substr(equals + 1);
        const Parameter& parameter = DescribeParameter(*id);
        long value = 0;
        if (!ParseWholeLong(text, value) || !parameter.range.Contains(value))
            return {kExitUsage, "--set " + setting + ": the value must be a whole number from " +
                                    FormatInt(parameter.range.min) + " to " + FormatInt(parameter.range.max)};
        records.Visit(*id, [&](auto& record) { return record.SetParameter(id->index, value); });
    }
    const ParameterRange seeds = GrowthSetup::Range(GrowthSetup::kSeed);
    if (seed && !design.chosen->Growth().SetParameter(GrowthSetup::kSeed, *seed))
        return {kExitUsage, "--seed " + FormatInt(*seed) + ": give a seed from " + FormatInt(seeds.min) + " to " +
                                FormatInt(seeds.max)};
    return {};
}

// Grows the chosen generator's tree as the program does after a load; the view
// gets that generator's mesh values, and the leaves, when wanted, grow on it.
void GrowDesign(Design& design, bool withLeaves) {
    design.chosen->Rebuild(design.skeleton);
    design.view.Take(design.chosen->Base());
    if (withLeaves)
        design.leafPages.Generate(design.skeleton, design.leaves,
                                  LeafGeneratorModel::Seed(design.chosen->Growth().Seed(), design.chosen->Index()));
}

// "1,234,567".
std::string Grouped(std::size_t value) {
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(at, ",");
    return digits;
}

// The one line that refuses a design above the limit, saying how big it would be.
// How many triangles of a plain export a design's export weighs: its
// triangles, times what its options (wind, levels of detail) need in memory
// beside a plain export of it.
std::size_t WeighedTriangles(const DesignSize& size, const DesignSize::ExportNeeds& needs) {
    const double plain = static_cast<double>(size.grownBytes + size.ExportBytes({needs.withLeaves}));
    const double asked = static_cast<double>(size.grownBytes + size.ExportBytes(needs));
    return static_cast<std::size_t>(static_cast<double>(size.Triangles(needs.withLeaves)) * asked / plain);
}

Failure TooBig(const std::string& project, const Design& design, const DesignSize& size,
               const DesignSize::ExportNeeds& needs, std::size_t limit) {
    const std::size_t triangles = size.Triangles(needs.withLeaves), weighed = WeighedTriangles(size, needs);
    std::string message = project + ": the " + design.chosen->GetName() + " tree would have " + Grouped(triangles) +
                          " triangles (about " + FormatBytes(size.DXFBytes(needs.withLeaves)) + " as DXF)";
    // Only what the export asked for is named.
    const char* asked = needs.levelsOfDetail ? (needs.wind ? "levels of detail and wind weights" : "levels of detail")
                        : needs.wind         ? "wind weights"
                                             : nullptr;
    if (weighed > triangles && asked)
        message += ", and its " + std::string(asked) + " need the memory of " + Grouped(weighed) + " (about " +
                   FormatBytes(size.grownBytes + size.ExportBytes(needs)) + ")";
    return {kExitFailure, message + "; the limit is " + Grouped(limit) + " (--max-triangles, 0 for none)"};
}

Failure UnknownFormat(const std::string& output, const char* names = "a .dxf, .x, .glb, .gltf or .obj") {
    return {kExitUsage, output + ": unknown output format; use " + names + " file name"};
}

// "640x480" into its two numbers, each 1 to kMaxPictureSide.
bool ParseSize(const std::string& text, int& width, int& height) {
    char x = 0, rest = 0;
    return std::sscanf(text.c_str(), "%d%c%d%c", &width, &x, &height, &rest) == 3 && (x == 'x' || x == 'X') &&
           width >= 1 && height >= 1 && width <= kMaxPictureSide && height <= kMaxPictureSide;
}

// The picture a render or billboard command asked for.
struct PictureRequest {
    bool billboard = false;
    std::vector<std::string> outputs;
    std::string size;
    int width = 0, height = 0;  // from size
    std::string mode = "full3d";
    std::string lighting = "off";
    std::string background = "black";
    int angle = 0;
    // Pictures from this many directions around the tree in one row (an impostor's atlas); 0: one billboard.
    int atlas = 0;
    // The view shows this level of detail (0 .. 3) as export --lod writes it; -1: the tree itself.
    int level = -1;
    ProceduralTextures::Choice textures;
    double distance = 0;
    double cameraHeight = 0;
    double detail = 1;
    std::string counts = "on";
    std::string figure = "off";
    // The light as the base page's sliders set it: ambient and diffuse in percent, the direction in degrees.
    int ambient = 100, diffuse = 100, lightAngle = LightSettings::kSliderStart;
};

// The user's own texture images (--bark-image, --stump-image, --leaf-image), in
// that order, read before anything is grown.
struct OwnImages {
    std::string paths[3];
    PixelImage images[3];
    std::string files[3];  // the bytes read, which a model stores as they are when PNG or JPEG

    const PixelImage* Image(int i) const { return paths[i].empty() ? nullptr : &images[i]; }
    // Reads the images named on the command line, then, where it names none, the
    // project's own: one of those that cannot be read is told of on err and the
    // built-in texture used instead, as the program does.
    Failure Read(const TextureChoice& project, std::ostream& err) {
        const int kinds[3] = {TextureChoice::kBark, TextureChoice::kStump, TextureChoice::kLeaves};
        for (int i = 0; i < 3; ++i) {
            std::string error;
            if (!paths[i].empty()) {
                if (!ReadTextureImage(paths[i], images[i], error, &files[i])) return {kExitFailure, error};
            } else if (const std::string& chosen = project.image[kinds[i]]; !chosen.empty()) {
                if (ReadTextureImage(chosen, images[i], error, &files[i]))
                    paths[i] = chosen;
                else
                    err << kProgram << ": the project's " << TextureKindName(kinds[i]) << " image " << error
                        << "; the built-in texture is used\n";
            }
        }
        return {};
    }
    // The chosen built-in textures with the own images in their place.
    ModelTextures ModelTexturesFor(ProceduralTextures::Choice choice) const {
        ModelTextures textures = BuiltinModelTextures(choice);
        PixelImage* slots[3] = {&textures.bark, &textures.stump, &textures.leaves};
        for (int i = 0; i < 3; ++i) {
            if (paths[i].empty()) continue;
            *slots[i] = images[i];
            textures.KeepFile(*slots[i], files[i]);
        }
        // An own bark comes without relief.
        if (!paths[0].empty()) textures.barkNormals = {};
        return textures;
    }
};

// The box an impostor's pictures frame: the tree as a model is exported.
ImpostorBox TreeBox(const Design& design, bool withLeaves) {
    TreeModel model;
    ModelSink sink(model);
    MeshBuilder(design.skeleton, design.leaves, design.view).BuildTree(sink, withLeaves);
    return ImpostorBoxOf(model);
}

// Draws the grown design's picture off screen and writes it to every output in
// the format its extension names: a billboard as .tga or .png (alpha from the
// background) or .bmp, a view as .png. out hears of every file written.
Failure WritePictures(const PictureRequest& request, const OwnImages& own, Design& design, bool withLeaves,
                      std::ostream& out) {
    const int width = request.width, height = request.height;
    const Vector3D towards = LightSettings::PositionForSlider(request.lightAngle);
    const LightSettings light{request.ambient / 100.0f, request.diffuse / 100.0f,
                              {static_cast<float>(towards.x), static_cast<float>(towards.y),
                               static_cast<float>(towards.z)}};
    PictureScene scene{design.skeleton,    design.leaves, design.view, light,
                       request.textures,   own.Image(0),  own.Image(1), own.Image(2),
                       request.distance, request.cameraHeight, request.detail, request.counts == "on"};
    scene.figure = request.figure == "on";
    const bool black = request.background == "black";
    PixelImage image;
    std::string error;
    const std::string& first = request.outputs.front();
    const PictureRenderer* renderer = LoadPictureRenderer(error);
    if (!renderer) return {kExitFailure, first + ": " + error};
    // A level of detail in place of the tree; the impostor's planes are drawn as leaves cut out of its atlas.
    TreeModel level;
    PixelImage atlas;
    if (request.level >= 0) {
        const LevelsOfDetail levels(design.skeleton, design.leaves, design.view,
                                    design.leafPages.Places(design.skeleton), withLeaves);
        if (request.level < LevelsOfDetail::kMeshLevels) {
            levels.Build(request.level, level, false, ModelSink::Order::kView);
        } else {
            levels.Build(0, level, false);
            const ImpostorBox box = ImpostorBoxOf(level);
            if (!renderer->atlas(scene, kImpostorViews, kImpostorCell, box.radius, box.height, atlas, error))
                return {kExitFailure, first + ": " + error};
            atlas = WithBillboardAlpha(atlas, true);
            level = TreeModel();
            level.leaves = ImpostorCrossForView(box, kImpostorViews);
            scene.leafImage = &atlas;
        }
        scene.model = &level;
    }
    const ImpostorBox box = request.atlas > 0 ? TreeBox(design, withLeaves) : ImpostorBox();
    const bool drawn =
        request.atlas > 0 ? renderer->atlas(scene, request.atlas, height, box.radius, box.height, image, error)
        : request.billboard
            ? renderer->billboard(scene, request.angle, black, withLeaves, width, height, image, error)
            : renderer->view(scene, request.mode == "line" ? 0 : request.mode == "wire" ? 1 : 2,
                             request.lighting == "on", width, height, image, error);
    if (!drawn) return {kExitFailure, first + ": " + error};
    for (const std::string& output : request.outputs) {
        const Format format = FormatOf(output);
        const std::string bytes = format == Format::TGA   ? EncodeBillboardTga(image, black)
                                  : format == Format::BMP ? EncodeBmp(image)
                                  : request.billboard     ? EncodeBillboardPng(image, black)
                                                          : EncodePngFast(image, true);
        if (bytes.empty()) return {kExitFailure, output + ": the picture could not be encoded (out of memory)"};
        if (!WriteFileBytes(output, bytes, error)) return {kExitFailure, error};
        out << "wrote " << output << "\n";
    }
    return {};
}

// "tree.dxf [##########          ]  50 %" on one line, redrawn as the share grows.
MeshBuilder::Progress ProgressBar(std::ostream& out, const std::string& output) {
    return [&out, output, shown = -1](double done) mutable {
        constexpr int kWidth = 30;
        const int percent = static_cast<int>(done * 100);
        if (percent == shown) return true;
        shown = percent;
        const int filled = percent * kWidth / 100;
        out << "\r" << output << " [" << std::string(filled, '#') << std::string(kWidth - filled, ' ') << "] "
            << percent << " %" << (percent == 100 ? "\n" : "") << std::flush;
        return true;
    };
}

// Writes one output in the format its extension names, models with the chosen
// built-in textures or the own images (made into textures when the first model
// needs them); progress, when given, receives a progress bar.
Failure ExportTo(const std::string& output, Design& design, bool withLeaves, ProceduralTextures::Choice choice,
                 const OwnImages& own, std::optional<ModelTextures>& textures, const WindOutput& wind,
                 std::ostream* progress) {
    MeshBuilder builder(design.skeleton, design.leaves, design.view);
    if (progress) builder.SetProgress(ProgressBar(*progress, output));
    auto write = [&](auto&& writer) -> Failure {
        writer.SetFileName(output);
        if (ExportFile(writer, builder, withLeaves) != ExportResult::Written) return {kExitFailure, writer.LastError()};
        return {};
    };
    const Format format = FormatOf(output);
    if (format == Format::DXF) return write(TGDXFFileWriter());
    if (format == Format::DirectX) return write(TGDirectXFileWriter());
    if (!textures) textures = own.ModelTexturesFor(choice);
    const ModelFormat model = format == Format::GLB    ? ModelFormat::GLB
                              : format == Format::GLTF ? ModelFormat::GLTF
                                                       : ModelFormat::OBJ;
    std::string error;
    if (ExportModel(model, output, builder, withLeaves, *textures, error, wind) != ExportResult::Written)
        return {kExitFailure, error};
    return {};
}

// A point to the micrometre; never -0, which would read as a value below zero.
nlohmann::json Point(const Vector3D& p) {
    auto micro = [](double v) { return std::round(v * 1e6) / 1e6 + 0.0; };
    return {micro(p.x), micro(p.y), micro(p.z)};
}

// One JSON object: the counts known before growing, then, when the design was
// grown (built), the triangles of the Full 3D view and the bounding box.
// crownLeaves: measure how closed the crown is, its leaves cut out by this
// image; null: not asked.
void PrintInfo(std::ostream& out, Design& design, const DesignSize& size, bool built, bool levelsOfDetail,
               const PixelImage* crownLeaves) {
    nlohmann::ordered_json info;
    info["generator"] = design.chosen->GetName();
    nlohmann::ordered_json& growth = info["growth"] = nlohmann::ordered_json::object();
    for (int i = 0; i < GrowthSetup::kCount; ++i)
        if (GrowthSetup::AppliesTo(design.chosen->Index(), i))
            growth[GrowthSetup::kParameters[i].name] = design.chosen->Growth().GetParameter(i);
    info["segmentsPerLevel"] = size.skeleton.perLevel;
    info["branchesPerLevel"] = size.skeleton.branchesPerLevel;
    info["rootSegments"] = size.skeleton.roots;
    info["segments"] = size.skeleton.Total();
    // False when pruning of a huge design was counted by its expectation.
    info["countsExact"] = size.skeleton.exact;
    nlohmann::ordered_json& estimate = info["estimate"];
    estimate["treeTriangles"] = size.treeTriangles;
    estimate["leafTriangles"] = size.leaves.Triangles();
    estimate["memoryBytes"] = size.memoryBytes;
    estimate["dxfBytes"] = size.DXFBytes(true);
    estimate["directXBytes"] = size.DirectXBytes(true);
    // What an export of the tree and its leaves takes in all, by its options.
    const std::pair<const char*, DesignSize::ExportNeeds> options[] = {
        {"model", {}}, {"wind", {true, true, false}}, {"levelsOfDetail", {true, false, true}},
        {"levelsOfDetailWithWind", {true, true, true}}};
    for (const auto& [name, needs] : options)
        estimate["exportMemoryBytes"][name] = size.grownBytes + size.ExportBytes(needs);
    info["built"] = built;
    info["treeTriangles"] = nullptr;
    info["leafTriangles"] = nullptr;
    info["boundingBox"] = nullptr;
    if (built) {
        MeshBuilder builder(design.skeleton, design.leaves, design.view);
        CountingSink counts;
        info["treeTriangles"] = builder.BuildTree(counts, !design.leaves.Empty());
        info["leafTriangles"] = builder.LeafTriangles();
        if (counts.hasPoints) info["boundingBox"] = {{"min", Point(counts.minimum)}, {"max", Point(counts.maximum)}};
        if (levelsOfDetail) {
            // The meshes of every level, and the impostor's two planes.
            const LevelsOfDetail levels(design.skeleton, design.leaves, design.view,
                                        design.leafPages.Places(design.skeleton), true);
            nlohmann::ordered_json& triangles = info["levelsOfDetail"];
            for (int k = 0; k < LevelsOfDetail::kMeshLevels; ++k) {
                TreeModel model;
                levels.Build(k, model, false);
                triangles.push_back(model.bark.TriangleCount() + model.caps.TriangleCount() +
                                    model.leaves.TriangleCount());
            }
            triangles.push_back(ImpostorCross({}, kImpostorViews).TriangleCount());
        }
        if (crownLeaves) {
            TreeModel model;
            ModelSink sink(model);
            MeshBuilder(design.skeleton, design.leaves, design.view).BuildTree(sink, !design.leaves.Empty());
            const CrownCover cover = MeasureCrownCover(model, crownLeaves);
            nlohmann::ordered_json& crown = info["crown"];
            auto share = [](double v) { return std::round(v * 1e4) / 1e4; };
            crown["sky"] = share(cover.Sky());
            for (const CrownSide& side : cover.sides)
                crown["sides"].push_back({{"sky", share(side.sky)}, {"leaves", share(side.leaves)}, {"wood", share(side.wood)}});
            crown["pixels"] = {cover.width, cover.height};
        }
    }
    out << info.dump() << "\n";
}

// Every value a project stores, by the section that holds it (a branch page's
// values on every BranchSetupN, a leaf page's on every LeafSetupN): its name in
// the file, the row's label, how the file stores it, its range, default and
// what it does (the row's tooltip).
void PrintParameters(std::ostream& out) {
    nlohmann::ordered_json sections;
    auto add = [&](const char* section, const auto& table) {
        nlohmann::ordered_json& rows = sections[section] = nlohmann::ordered_json::array();
        for (const Parameter& parameter : table) {
            std::string label = parameter.label;
            label = label.substr(0, label.find(':'));
            const char* stored = parameter.format == ValueFormat::Metres       ? "centimetres"
                                 : parameter.format == ValueFormat::Hundredths ? "hundredths"
                                 : parameter.format == ValueFormat::None       ? "flag"
                                                                               : "number";
            rows.push_back({{"name", parameter.name}, {"label", label}, {"stored", stored},
                            {"min", parameter.range.min}, {"max", parameter.range.max},
                            {"default", parameter.initial}, {"help", parameter.help}});
        }
    };
    add("BaseSetup", BaseSetup::kParameters);
    add("CustomSetup", SimpleSetup::kParameters);
    add("GrowthSetup", GrowthSetup::kParameters);
    add("BranchSetup", BranchSetup::kParameters);
    add("LeafSetup", LeafSetup::kParameters);
    out << sections.dump(2) << "\n";
}

}  // namespace

int RunCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err) {
    CLI::App app{"Grovewright: grows the tree of a project file and exports it without a window.", kProgram};
    app.set_version_flag("--version", kProgramVersion);
    app.require_subcommand(1);
    app.formatter(std::make_shared<HelpFormatter>());  // before the subcommands, which take it over

    std::string project, generator;  // empty: the one the project's name says
    std::vector<std::string> outputs;
    bool withLeaves = false;
    std::size_t maxTriangles = kDefaultMaxTriangles;
    const std::string limitHelp = "Refuse designs with more triangles than this (0: no limit)";
    const std::vector<std::string> generators = {"simple", "regular", "complex"};
    const std::string generatorHelp =
        "Tree generator: simple, regular or complex (default: the one the file shows, else the one its name "
        "ends with, as in NAME.complex.xml, else simple)";
    // The built-in textures, named as the Textures menu names them, in its order.
    std::vector<std::string> barkNames = {"trunc1", "trunc2"}, leafNames = {"leaves1", "leaves2", "needles"};
    for (int i = 0; i < PaintedTextures::kBarkCount; ++i) barkNames.push_back(PaintedTextures::BarkName(i));
    for (int i = 0; i < PaintedTextures::kLeafCount; ++i) leafNames.push_back(PaintedTextures::LeafName(i));
    std::string bark, leafTexture;  // empty: the project's choice, else the first
    OwnImages own;
    auto textureOptions = [&](CLI::App* command) {
        command->add_option("--bark", bark, "Bark texture: trunc1, trunc2, oak-bark, birch-bark, pine-bark, "
                                            "willow-bark, palm-bark or beech-bark (default: the project's, else trunc1)")
            ->check(CLI::IsMember(barkNames))
            ->option_text("NAME");
        command->add_option("--leaf-texture", leafTexture,
                            "Leaf texture: leaves1, leaves2, needles, oak-leaf, birch-leaf, willow-leaf, maple-leaf, "
                            "leaflet, oak-twig, birch-twig, willow-twig, maple-twig, spruce-needles or pine-needles "
                            "(default: the project's, else leaves1)")
            ->check(CLI::IsMember(leafNames))
            ->option_text("NAME");
        const char* formats = "(PNG, JPEG, BMP, TGA or XPM)";
        // An empty path would quietly mean the built-in texture.
        const CLI::Validator kImagePath(
            [](const std::string& path) { return path.empty() ? std::string("give the path of an image") : ""; },
            "PATH");
        command->add_option("--bark-image", own.paths[0], std::string("Your own bark image ") + formats)
            ->check(kImagePath);
        command->add_option("--stump-image", own.paths[1], std::string("Your own image of the cut ends ") + formats)
            ->check(kImagePath);
        command->add_option("--leaf-image", own.paths[2],
                            std::string("Your own leaf image ") + formats + "; its alpha cuts out the leaf")
            ->check(kImagePath);
    };
    std::vector<std::string> settings;
    std::optional<long> seed;
    // Every command that grows the tree takes the generator and values for this run.
    auto generatorOption = [&](CLI::App* command) {
        command->add_option("--generator", generator, generatorHelp)->check(CLI::IsMember(generators));
        command->add_option("--seed", seed, "Grow this variation of the design (0 to 9999) instead of its own seed");
        command->add_option("--set", settings,
                            "Set a value for this run by the project file's names, KEY=VALUE, repeatable: "
                            "simple.Iteration=12, regular.BranchSetup3.AddAngle=40, leaves.LeafSetup2.Height=20, "
                            "complex.Gravity=-50")
            ->allow_extra_args(false);
    };

    CLI::App* exportCommand = app.add_subcommand("export", "Write the tree as .dxf, .x, .glb, .gltf and/or .obj files");
    exportCommand->add_option("project", project, "Project file (.xml)")->required();
    exportCommand->add_option("-o,--output", outputs,
                              "Output file; its extension (.dxf, .x, .glb, .gltf, .obj) names the format")
        ->required();
    generatorOption(exportCommand);
    exportCommand->add_flag("--leaves", withLeaves, "Export the leaves too");
    bool wind = false, windAsColour = false, levelsOfDetail = false;
    exportCommand->add_flag("--lod", levelsOfDetail,
                            "Write levels of detail into a .glb or .gltf: the tree, about half and a fifth of its "
                            "triangles, and an impostor (nodes Tree_LOD0 .. Tree_LOD3)");
    std::string lodLayout = "msft";
    exportCommand->add_option("--lod-layout", lodLayout,
                              "How --lod lays the levels out: msft (only Tree_LOD0 in the scene, the others reached "
                              "through MSFT_lod, as loaders of that extension switch them) or names (Tree_LOD0 .. "
                              "Tree_LOD3 side by side, for pipelines that group levels by name)")
        ->check(CLI::IsMember({"msft", "names"}))
        ->capture_default_str();
    exportCommand->add_flag("--wind", wind,
                            "Give every vertex of a .glb or .gltf its wind weights (the attribute _WIND: tree sway, "
                            "branch sway, branch phase, leaf flutter)");
    exportCommand->add_flag("--wind-as-color", windAsColour,
                            "--wind, and the same weights as the vertex colour COLOR_0 (which glTF multiplies into "
                            "the base colour)");
    textureOptions(exportCommand);
    exportCommand->add_option("--max-triangles", maxTriangles, limitHelp)->capture_default_str();

    CLI::App* infoCommand = app.add_subcommand("info", "Print the tree's figures as one JSON object");
    infoCommand->add_option("project", project, "Project file (.xml)")->required();
    generatorOption(infoCommand);
    infoCommand->add_option("--max-triangles", maxTriangles, limitHelp + "; above it only the counts are printed")
        ->capture_default_str();
    infoCommand->add_flag("--lod", levelsOfDetail, "Also print the triangles of every level of detail, as export --lod "
                                                   "writes them");
    bool crown = false;
    infoCommand->add_flag("--crown", crown,
                          "Also print how closed the crown is: of its outline seen from four sides (front, right, back, "
                          "left; over the height of its leaves), the share that shows sky, leaves and wood");
    textureOptions(infoCommand);

    PictureRequest picture;
    const std::vector<std::string> onOff = {"on", "off"};
    auto pictureOptions = [&](CLI::App* command, const char* outputHelp, const std::string& defaultSize) {
        command->add_option("project", project, "Project file (.xml)")->required();
        command->add_option("-o,--output", picture.outputs, outputHelp)->required();
        generatorOption(command);
        textureOptions(command);
        command->add_option("--size", picture.size,
                            "Picture size in pixels, WIDTHxHEIGHT, each 1 to " + std::to_string(kMaxPictureSide) +
                                " (default " + defaultSize + ")");
        command->add_option("--max-triangles", maxTriangles, limitHelp)->capture_default_str();
    };
    CLI::App* billboardCommand =
        app.add_subcommand("billboard", "Draw the tree as a billboard picture, as the program's billboard export");
    pictureOptions(billboardCommand,
                   "Output picture, several allowed: .tga or .png (32 bits, transparent background) or .bmp (24 bits)",
                   "512x512");
    billboardCommand->add_option("--angle", picture.angle, "View angle in degrees: 0, 90, 180 or 270")
        ->check(CLI::IsMember({0, 90, 180, 270}))
        ->capture_default_str();
    billboardCommand->add_option("--background", picture.background, "Background: black or white")
        ->check(CLI::IsMember({"black", "white"}))
        ->capture_default_str();
    billboardCommand->add_flag("--leaves", withLeaves, "Draw the leaves too");
    billboardCommand
        ->add_option("--atlas", picture.atlas,
                     "Draw an impostor's atlas instead: the tree from this many directions around it (8 to 32, a "
                     "multiple of 4), side by side, each a square of --size's height in parallel projection")
        ->check(CLI::Range(8, 32));
    CLI::App* renderCommand = app.add_subcommand("render", "Draw the program's view of the tree as a PNG picture");
    pictureOptions(renderCommand, "Output picture (.png), several allowed", "800x600");
    renderCommand->add_option("--mode", picture.mode, "Render mode: line, wire or full3d")
        ->check(CLI::IsMember({"line", "wire", "full3d"}))
        ->capture_default_str();
    renderCommand->add_option("--lighting", picture.lighting, "Lighting: on or off")
        ->check(CLI::IsMember(onOff))
        ->capture_default_str();
    renderCommand->add_option("--lod", picture.level,
                              "Show this level of detail (0 to 3) as export --lod writes it, in Full 3D")
        ->check(CLI::Range(0, 3));
    renderCommand->add_option("--distance", picture.distance,
                              "Camera distance from the tree in metres, 1 to 90 (default: where the program's view "
                              "starts)")
        ->check(CLI::Range(1.0, 90.0));
    renderCommand->add_option("--camera-height", picture.cameraHeight,
                              "Camera height above the ground in metres, 0.2 to 90 (default: where the program's "
                              "view starts); low shows the trunk's foot")
        ->check(CLI::Range(0.2, 90.0));
    renderCommand->add_option("--detail", picture.detail,
                              "Draw about this share of the design's triangles, 0.05 to 1, as the view does while a "
                              "slider moves (default 1: all)")
        ->check(CLI::Range(0.05, 1.0));
    CLI::App* parametersCommand = app.add_subcommand(
        "parameters", "Print every value a project stores as one JSON object: by section, each with its range, "
                      "default and what it does (the names --set takes)");
    renderCommand->add_option("--ambient", picture.ambient,
                              "With --lighting on: the ambient light in percent, 0 to 100, as the base page's slider")
        ->check(CLI::Range(0, 100))
        ->capture_default_str();
    renderCommand->add_option("--diffuse", picture.diffuse,
                              "With --lighting on: the diffuse light in percent, 0 to 100, as the base page's slider; "
                              "ambient and diffuse at 100 light every side alike, lower values show the crown's form")
        ->check(CLI::Range(0, 100))
        ->capture_default_str();
    renderCommand->add_option("--light-angle", picture.lightAngle,
                              "With --lighting on: where the light comes from, in degrees, 0 to 360, as the base "
                              "page's slider (90: from above)")
        ->check(CLI::Range(0, 360))
        ->capture_default_str();
    renderCommand->add_option("--figure", picture.figure,
                              "A person 1.8 m tall beside the tree, in Full 3D, to show its size: on or off")
        ->check(CLI::IsMember(onOff))
        ->capture_default_str();
    renderCommand->add_option("--counts", picture.counts, "The triangle counts written over Full 3D: on or off")
        ->check(CLI::IsMember(onOff))
        ->capture_default_str();

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e, out, err);
    } catch (const CLI::ParseError& e) {
        // One line, as every other refusal.
        err << kProgram << ": " << e.what() << " (see --help)\n";
        return kExitUsage;
    }
    if (parametersCommand->parsed()) {
        PrintParameters(out);
        return kExitOk;
    }

    auto report = [&](const Failure& failure) {
        err << kProgram << ": " << failure.message << "\n";
        return failure.status;
    };
    for (const std::string& output : outputs)
        if (const Format format = FormatOf(output); format == Format::Unknown || format >= Format::TGA)
            return report(UnknownFormat(output));
    const auto position = [](const std::vector<std::string>& names, const std::string& name) {
        return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
    };
    picture.billboard = billboardCommand->parsed();
    if (picture.atlas % 4 != 0)
        return report({kExitUsage, "--atlas " + std::to_string(picture.atlas) + ": give a multiple of 4"});
    if (picture.size.empty()) picture.size = picture.atlas > 0 ? "256x256" : picture.billboard ? "512x512" : "800x600";
    const bool drawsPicture = picture.billboard || renderCommand->parsed();
    for (const std::string& output : picture.outputs) {
        const Format format = FormatOf(output);
        if (picture.billboard && format != Format::TGA && format != Format::BMP && format != Format::PNG)
            return report(UnknownFormat(output, "a .tga, .png or .bmp"));
        if (renderCommand->parsed() && format != Format::PNG) return report(UnknownFormat(output, "a .png"));
    }
    if (drawsPicture && !ParseSize(picture.size, picture.width, picture.height))
        return report({kExitUsage, "--size " + picture.size + ": give WIDTHxHEIGHT, each 1 to " +
                                       std::to_string(kMaxPictureSide)});
    // The view shows the leaves in Full 3D.
    if (renderCommand->parsed()) withLeaves = picture.mode == "full3d";
    Design design;
    if (Failure failure = LoadDesign(project, generator, design); failure.status != kExitOk)
        return report(failure);
    const ProceduralTextures::Choice textures{
        bark.empty() ? design.textures.builtIn[TextureChoice::kBark] : position(barkNames, bark),
        leafTexture.empty() ? design.textures.builtIn[TextureChoice::kLeaves] : position(leafNames, leafTexture)};
    picture.textures = textures;
    if (Failure failure = own.Read(design.textures, err); failure.status != kExitOk) return report(failure);
    if (Failure failure = OverrideValues(settings, seed, design); failure.status != kExitOk) return report(failure);
    const bool info = infoCommand->parsed();
    // The vertex colours carry either the leaves' own colours or the wind: never lose one silently.
    if (windAsColour && withLeaves && design.leafPages.Tinted())
        return report({kExitUsage, "--wind-as-color: the leaves have colours of their own (a leaf page's Lightness "
                                   "var. or Hue var.), which the vertex colours carry; use --wind instead"});
    // A progress bar only where a person watches it.
    const bool terminal = &err == &std::cerr && isatty(STDERR_FILENO);
    // info shows the leaves' figures; an export grows them only when it writes them.
    const bool growLeaves = info || withLeaves;
    const DesignSize size = MeasureDesign(*design.chosen, design.leafPages);
    // An export's options count: wind weights and levels of detail take memory of their own.
    const bool exports = !info && !drawsPicture;
    const DesignSize::ExportNeeds needs{growLeaves, exports && (wind || windAsColour), exports && levelsOfDetail};
    const bool withinLimit = maxTriangles == 0 || WeighedTriangles(size, needs) <= maxTriangles;
    if (!withinLimit && !info) return report(TooBig(project, design, size, needs, maxTriangles));
    // A GLB's length is known from the counts: one that would pass 4 GiB is refused at once.
    for (const std::string& output : outputs)
        if (std::string error; FormatOf(output) == Format::GLB && !FitsGlb(size.GlbBytes(needs), output, error))
            return report({kExitFailure, error});
    // The memory this process may use, by the window's rule: what cannot be
    // held is refused before anything is grown, never killed half-way.
    const std::size_t budget = ProcessMemoryBudget();
    const std::size_t needed = exports ? size.grownBytes + size.ExportBytes(needs) : size.memoryBytes;
    const bool withinBudget = needed <= budget;
    if (!withinBudget && !info) {
        const auto [need, allowed] = FormatBytesApart(needed, budget);
        return report({kExitFailure, project + ": the " + design.chosen->GetName() + " tree would need about " + need +
                                         " of memory, more than the " + allowed +
                                         " this process may use (half the least of the computer's memory, ulimit -v "
                                         "and the control group's limit)"});
    }
    // Several outputs are put in place together once all are written: a
    // failure leaves every one as it was. Each is told of once it is in place.
    std::optional<NamingGroup> together;
    if (outputs.size() + picture.outputs.size() > 1) together.emplace();
    std::ostringstream wrote;
    try {
        if (withinLimit && withinBudget) GrowDesign(design, growLeaves);
        if (info) {
            std::optional<ModelTextures> measured;
            if (crown) measured = own.ModelTexturesFor(textures);
            PrintInfo(out, design, size, withinLimit && withinBudget, levelsOfDetail,
                      measured ? &measured->leaves : nullptr);
            return kExitOk;
        }
        if (drawsPicture)
            if (Failure failure = WritePictures(picture, own, design, withLeaves, wrote); failure.status != kExitOk)
                return report(failure);
        std::optional<ModelTextures> modelTextures;
        std::optional<WindWeights> weights;
        if (wind || windAsColour) weights.emplace(design.skeleton, design.leafPages.Places(design.skeleton));
        const WindOutput windOutput{weights ? &*weights : nullptr, windAsColour};
        std::optional<LevelsOfDetailModel> levels;
        for (const std::string& output : outputs) {
            const bool gltf = FormatOf(output) == Format::GLB || FormatOf(output) == Format::GLTF;
            if (weights && !gltf) err << kProgram << ": " << output << ": only .glb and .gltf files carry wind weights\n";
            if (levelsOfDetail && gltf) {
                if (!modelTextures) modelTextures = own.ModelTexturesFor(textures);
                std::string error;
                if (!levels) {
                    levels.emplace();
                    const PictureScene scene{design.skeleton, design.leaves, design.view, LightSettings::PageStart(),
                                             textures,         own.Image(0),  own.Image(1), own.Image(2)};
                    auto drawAtlas = [&](const ImpostorBox& box, const TreeModel* reduced, PixelImage& atlas,
                                         std::string& why) {
                        const PictureRenderer* renderer = LoadPictureRenderer(why);
                        PictureScene shown = scene;
                        shown.model = reduced;
                        return renderer && renderer->atlas(shown, kImpostorViews, kImpostorCell, box.radius,
                                                           box.height, atlas, why);
                    };
                    if (!MakeLevelsOfDetail(design.skeleton, design.leaves, design.view, design.leafPages, withLeaves,
                                            weights.has_value(), drawAtlas, *levels, error))
                        return report({kExitFailure, output + ": " + error});
                    for (TreeModel& level : levels->levels) level.windAsColour = windAsColour;
                    levels->layout = lodLayout == "names" ? LevelsOfDetailModel::Layout::Names
                                                          : LevelsOfDetailModel::Layout::MsftLod;
                }
                if (!WriteLevelsOfDetail(FormatOf(output) == Format::GLB, output, *levels, *modelTextures, error))
                    return report({kExitFailure, error});
                wrote << "wrote " << output << "\n";
                continue;
            }
            if (levelsOfDetail) err << kProgram << ": " << output << ": only .glb and .gltf files hold levels of detail\n";
            if (Failure failure = ExportTo(output, design, withLeaves, textures, own, modelTextures, windOutput,
                                           terminal ? &err : nullptr);
                failure.status != kExitOk)
                return report(failure);
            wrote << "wrote " << output << "\n";
        }
    } catch (const std::bad_alloc&) {  // also the limit switched off (0) on a machine too small
        return report({kExitFailure, project + ": not enough memory for this design (about " +
                                         FormatBytes(size.memoryBytes) + " needed)"});
    }
    if (std::string error; together && !together->Commit(error)) return report({kExitFailure, error});
    out << wrote.str();
    return kExitOk;
}

}  // namespace grovewright
