#include "generators/ProjectLoader.h"

#include "generators/LeafGenerator.h"
#include "generators/TreeGeneratorModel.h"
#include "io/TGXMLFileReader.h"

namespace grovewright {

bool LoadProject(TGXMLFileReader& reader, const std::string& path,
                 const std::vector<TreeGeneratorModel*>& generators, std::string& error,
                 LeafGeneratorModel* leaves) {
    reader.SetFileName(path);
    if (!reader.Open()) {
        error = reader.LastError().empty() ? path + ": cannot be opened" : reader.LastError();
        return false;
    }
    bool loaded = true;
    for (std::size_t i = 0; i < generators.size(); ++i) {
        TreeGeneratorModel& generator = *generators[i];
        if (generator.ReadSetup(reader)) {
            generator.ApplySetup();
        } else if (i == 0) {
            error = path + ": no valid " + generator.GetName() +
                    " section (missing, incomplete or with a value out of range)";
            loaded = false;
            break;
        }
    }
    if (loaded && leaves && leaves->ReadSetup(reader)) leaves->ApplySetup();
    reader.Close();
    return loaded;
}

}  // namespace grovewright
