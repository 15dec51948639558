#include "generators/ProjectLoader.h"

#include <strings.h>

#include "generators/BaseSetup.h"
#include "generators/LeafGenerator.h"
#include "generators/TreeGeneratorModel.h"
#include "io/NumberFormat.h"
#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"

namespace grovewright {

namespace {

// "LeafCreator" when no page was read, else "LeafCreator: Leaf 3, Leaf 7".
std::string DescribeUnreadLeafPages(const std::string& name, const std::vector<int>& pages) {
    if (pages.size() == static_cast<std::size_t>(LeafGeneratorModel::kPageCount)) return name;
    std::string text = name + ":";
    for (std::size_t i = 0; i < pages.size(); ++i) text += (i ? ", Leaf " : " Leaf ") + FormatInt(pages[i]);
    return text;
}

}  // namespace

constexpr const char* kDesignView = "DesignView";
constexpr const char* kShownGenerator = "ShownGenerator";

std::string NoValidSection(const std::string& path, const std::string& generatorName) {
    return path + ": no valid " + generatorName + " section (missing, incomplete or with a value out of range)";
}

bool LoadProject(TGXMLFileReader& reader, const std::string& path,
                 const std::vector<TreeGeneratorModel*>& generators, std::string& error,
                 LeafGeneratorModel* leaves, std::vector<std::string>* keptPrevious, DesignViewValues* view) {
    reader.SetFileName(path);
    if (!reader.Open()) {
        error = reader.LastError().empty() ? path + ": cannot be opened" : reader.LastError();
        return false;
    }
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < generators.size(); ++i) {
        TreeGeneratorModel& generator = *generators[i];
        if (generator.ReadSetup(reader)) {
            generator.ApplySetup();
        } else if (i == 0) {
            error = NoValidSection(path, generator.GetName());
            reader.Close();
            return false;
        } else {
            kept.push_back(generator.GetName());
        }
    }
    if (leaves) {
        std::vector<int> unreadPages;
        if (leaves->ReadSetup(reader, &unreadPages)) leaves->ApplySetup();
        if (!unreadPages.empty()) kept.push_back(DescribeUnreadLeafPages(leaves->GetName(), unreadPages));
    }
    if (view) {
        *view = DesignViewValues();
        reader.Rewind();
        if (reader.EnterElement(kDesignView)) {
            // A value out of range refuses the element.
            const bool named = reader.HasElement(kShownGenerator);
            const long shown = named ? reader.ReadInt(kShownGenerator) : -1;
            if ((named && (shown < 0 || shown >= static_cast<long>(generators.size()))) ||
                !ReadTextureChoice(reader, path, view->textures)) {
                *view = DesignViewValues();
                view->read = false;
                kept.push_back(kDesignView);
            } else {
                view->shownGenerator = static_cast<int>(shown);
            }
        }
    }
    reader.Close();
    if (keptPrevious) *keptPrevious = std::move(kept);
    return true;
}

void WriteDesignView(TGXMLFileWriter& writer, int shownGenerator, const TextureChoice& textures) {
    if (shownGenerator == 0 && textures.IsDefault()) return;
    writer.WriteLine(std::string(kGeneratorIndent) + "<" + kDesignView + ">");
    writer.WriteValue(kSectionIndent, kShownGenerator, shownGenerator);
    WriteTextureChoice(writer, textures);
    writer.WriteLine(std::string(kGeneratorIndent) + "</" + kDesignView + ">");
}

std::string GeneratorNamedBy(const std::string& path) {
    for (const char* name : {"regular", "complex", "simple"}) {
        const std::string ending = std::string(".") + name + ".xml";
        if (path.size() >= ending.size() && strcasecmp(path.c_str() + path.size() - ending.size(), ending.c_str()) == 0)
            return name;
    }
    return "simple";
}

}  // namespace grovewright
