#pragma once

#include <optional>
#include <string>

#include "generators/BranchTreeModel.h"
#include "generators/EditQueue.h"
#include "generators/LeafGenerator.h"
#include "generators/SimpleTreeModel.h"

namespace grovewright {

// The records of a whole design, reached by parameter id.
struct DesignRecords {
    SimpleTreeModel& simple;
    BranchTreeModel& regular;
    BranchTreeModel& complex;
    LeafGeneratorModel& leaves;

    TreeGeneratorModel& Generator(int g) {
        if (g == 1) return regular;
        if (g == 2) return complex;
        return simple;
    }
    // Calls f with the record that holds id.
    template <typename F>
    auto Visit(const ParameterId& id, F&& f) {
        switch (id.record) {
            case Record::Simple:
                return f(simple.Custom());
            case Record::Branch:
                return f((id.generator == 1 ? regular : complex).Page(id.page));
            case Record::Leaf:
                return f(leaves.Page(id.page));
            case Record::Growth:
                return f(Generator(id.generator).Growth());
            case Record::Base:
                break;
        }
        return f(Generator(id.generator).Base());
    }
};

// The table row of a parameter.
const Parameter& DescribeParameter(const ParameterId& id);

// A parameter named by the project file's own element names, as scripts name it:
// "simple.Iteration", "complex.Gravity", "regular.BranchSetup3.AddAngle",
// "leaves.LeafSetup2.Height". A generator's section may be named where a value
// name alone is not clear ("simple.CustomSetup.Cut", "simple.BaseSetup.Cut").
// Empty, with error saying why, when the key names no parameter.
std::optional<ParameterId> FindParameter(const std::string& key, std::string& error);

}  // namespace grovewright
