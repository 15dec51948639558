#include "generators/ParameterKey.h"

#include <cstring>
#include <vector>


namespace grovewright {

const Parameter& DescribeParameter(const ParameterId& id) {
    switch (id.record) {
        case Record::Simple:
            return SimpleSetup::kParameters[id.index];
        case Record::Branch:
            return BranchSetup::kParameters[id.index];
        case Record::Leaf:
            return LeafSetup::kParameters[id.index];
        case Record::Growth:
            return GrowthSetup::kParameters[id.index];
        case Record::Base:
            break;
    }
    return BaseSetup::kParameters[id.index];
}

namespace {

std::vector<std::string> Split(const std::string& key) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t dot = key.find('.'); dot != std::string::npos; dot = key.find('.', start)) {
        parts.push_back(key.substr(start, dot - start));
        start = dot + 1;
    }
    parts.push_back(key.substr(start));
    return parts;
}

template <std::size_t N>
int IndexOf(const Parameter (&table)[N], const std::string& name) {
    for (std::size_t i = 0; i < N; ++i)
        if (name == table[i].name) return static_cast<int>(i);
    return -1;
}

// "BranchSetup7" with prefix "BranchSetup" gives 7; anything else 0.
int NumberAfter(const std::string& text, const char* prefix) {
    const std::size_t length = std::strlen(prefix);
    if (text.compare(0, length, prefix) != 0 || text.size() == length || text.size() > length + 2) return 0;
    int number = 0;
    for (std::size_t i = length; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return 0;
        number = number * 10 + (text[i] - '0');
    }
    return number;
}

}  // namespace

std::optional<ParameterId> FindParameter(const std::string& key, std::string& error) {
    const std::vector<std::string> parts = Split(key);
    const std::string& head = parts.front();
    auto unknown = [&](const std::string& why) -> std::optional<ParameterId> {
        error = key + ": " + why;
        return std::nullopt;
    };
    if (parts.size() < 2 || parts.size() > 3) return unknown("give GENERATOR.NAME or GENERATOR.SECTION.NAME");
    const std::string& name = parts.back();
    if (head == "leaves") {
        const int page = parts.size() == 3 ? NumberAfter(parts[1], "LeafSetup") : 0;
        if (page < 1 || page > LeafGeneratorModel::kPageCount) return unknown("name a page LeafSetup1 to LeafSetup20");
        const int index = IndexOf(LeafSetup::kParameters, name);
        if (index < 0) return unknown("a leaf page has no value " + name);
        return ParameterId::Leaf(page - 1, index);
    }
    const char* const generators[] = {"simple", "regular", "complex"};
    int g = 0;
    while (g < 3 && head != generators[g]) ++g;
    if (g == 3) return unknown("begins with none of simple, regular, complex, leaves");
    auto crownless = [&] { return "the simple generator's forks have no crown to shape: " + name + " is for the regular and complex generators"; };
    if (parts.size() == 3) {
        const std::string& section = parts[1];
        if (g > 0) {
            if (const int page = NumberAfter(section, "BranchSetup"); page >= 1 && page <= BranchTreeModel::kLevelCount) {
                const int index = IndexOf(BranchSetup::kParameters, name);
                if (index < 0) return unknown("a branch page has no value " + name);
                return ParameterId::Branch(g, page - 1, index);
            }
        }
        int index = -1;
        std::optional<ParameterId> id;
        if (section == "BaseSetup" && (index = IndexOf(BaseSetup::kParameters, name)) >= 0)
            id = ParameterId::Base(g, index);
        else if (section == "GrowthSetup" && (index = IndexOf(GrowthSetup::kParameters, name)) >= 0)
            id = ParameterId::Growth(g, index);
        else if (g == 0 && section == "CustomSetup" && (index = IndexOf(SimpleSetup::kParameters, name)) >= 0)
            id = ParameterId::Simple(index);
        if (!id) return unknown(head + " has no " + section + " value " + name);
        if (id->record == Record::Growth && !GrowthSetup::AppliesTo(g, id->index)) return unknown(crownless());
        return id;
    }
    // A value name alone: it must be found in exactly one of the generator's sections.
    std::vector<ParameterId> found;
    if (const int i = IndexOf(BaseSetup::kParameters, name); i >= 0) found.push_back(ParameterId::Base(g, i));
    if (const int i = IndexOf(GrowthSetup::kParameters, name); i >= 0) found.push_back(ParameterId::Growth(g, i));
    if (const int i = IndexOf(SimpleSetup::kParameters, name); g == 0 && i >= 0)
        found.push_back(ParameterId::Simple(i));
    if (found.empty())
        return unknown(head + " has no value " + name + (g > 0 ? " (branch values: " + head + ".BranchSetupN." + name + ")" : ""));
    if (found.size() > 1) return unknown("say which: " + head + ".BaseSetup." + name + " or " + head + ".CustomSetup." + name);
    if (found.front().record == Record::Growth && !GrowthSetup::AppliesTo(g, found.front().index))
        return unknown(crownless());
    return found.front();
}

}  // namespace grovewright
