#include "generators/TextureChoice.h"

#include <cstdlib>
#include <filesystem>

#include "generators/BaseSetup.h"
#include "io/TGXMLFileReader.h"
#include "io/TGXMLFileWriter.h"

namespace grovewright {

namespace {

namespace fs = std::filesystem;

// Element names inside DesignView; none starts with another or with a name of the project's sections.
constexpr const char* kTextureNames[TextureChoice::kKindCount] = {"BarkTexture", "FoliageTexture", "GroundTexture",
                                                                 "StumpTexture", "SkyTexture"};
constexpr const char* kImageNames[TextureChoice::kKindCount] = {"BarkImage", "FoliageImage", "GroundImage",
                                                               "StumpImage", "SkyImage"};

// The folder a relative image path is taken from: the project file's.
fs::path FolderOf(const std::string& projectPath) {
    std::error_code ignored;
    return fs::absolute(fs::path(projectPath), ignored).parent_path();
}

}  // namespace

const char* TextureKindName(int kind) {
    static const char* const names[TextureChoice::kKindCount] = {"bark", "leaves", "ground", "stump", "sky"};
    return names[kind];
}

std::string EscapeMarkup(std::string_view text) {
    std::string escaped;
    for (char c : text) {
        if (c == '&') escaped += "&amp;";
        else if (c == '<') escaped += "&lt;";
        else if (c == '>') escaped += "&gt;";
        else if (static_cast<unsigned char>(c) < 0x20) escaped += "&#" + std::to_string(static_cast<int>(c)) + ";";
        else escaped += c;
    }
    return escaped;
}

std::string UnescapeMarkup(std::string_view text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t end = text[i] == '&' ? text.find(';', i) : std::string_view::npos;
        if (end == std::string_view::npos || end - i > 6) {
            plain += text[i];
            continue;
        }
        const std::string_view entity = text.substr(i + 1, end - i - 1);
        if (entity == "amp") plain += '&';
        else if (entity == "lt") plain += '<';
        else if (entity == "gt") plain += '>';
        else if (entity.size() > 1 && entity[0] == '#' && entity.find_first_not_of("0123456789", 1) == entity.npos &&
                 std::atoi(std::string(entity.substr(1)).c_str()) < 0x20)
            plain += static_cast<char>(std::atoi(std::string(entity.substr(1)).c_str()));
        else {
            plain += text[i];
            continue;
        }
        i = end;
    }
    return plain;
}

std::vector<std::string> ImagesOutsideFolder(const TextureChoice& choice, const std::string& projectPath) {
    const fs::path folder = FolderOf(projectPath).lexically_normal();
    std::vector<std::string> outside;
    for (const std::string& image : choice.image) {
        if (image.empty()) continue;
        const fs::path relative = fs::path(image).lexically_normal().lexically_relative(folder);
        if (relative.empty() || *relative.begin() == "..") outside.push_back(image);
    }
    return outside;
}

void WriteTextureChoice(TGXMLFileWriter& writer, const TextureChoice& choice) {
    const std::string file = writer.GetFileName();
    for (int kind = 0; kind < TextureChoice::kKindCount; ++kind) {
        if (choice.builtIn[kind] != 0) writer.WriteValue(kSectionIndent, kTextureNames[kind], choice.builtIn[kind]);
        if (choice.image[kind].empty()) continue;
        fs::path path(choice.image[kind]);
        if (!file.empty()) {
            const fs::path relative = path.lexically_relative(FolderOf(file));
            if (!relative.empty()) path = relative;
        }
        writer.WriteLine(std::string(kSectionIndent) + "<" + kImageNames[kind] + ">" +
                         EscapeMarkup(path.generic_string()) + "</" + kImageNames[kind] + ">");
    }
}

bool ReadTextureChoice(const TGXMLFileReader& reader, const std::string& projectPath, TextureChoice& choice) {
    TextureChoice read;
    for (int kind = 0; kind < TextureChoice::kKindCount; ++kind) {
        if (reader.HasElement(kTextureNames[kind])) {
            const long number = reader.ReadInt(kTextureNames[kind]);
            if (number < 0 || number >= TextureChoice::kBuiltInCount[kind]) return false;
            read.builtIn[kind] = static_cast<int>(number);
        }
        std::string_view text;
        if (!reader.ReadText(kImageNames[kind], text)) continue;
        const std::string path = UnescapeMarkup(text);
        if (path.empty()) continue;
        read.image[kind] = (FolderOf(projectPath) / fs::path(path)).lexically_normal().string();
    }
    choice = std::move(read);
    return true;
}

}  // namespace grovewright
