#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "panels/SliderRow.h"

// A page's settings rows by name.
class SliderRows {
public:
    SliderRow& Add(const std::string& name, std::unique_ptr<SliderRow> row) {
        rows_.emplace_back(name, std::move(row));
        return *rows_.back().second;
    }
    SliderRow& operator[](const std::string& name) const {
        for (const auto& [rowName, row] : rows_)
            if (rowName == name) return *row;
        throw std::out_of_range("no settings row " + name);
    }

private:
    std::vector<std::pair<std::string, std::unique_ptr<SliderRow>>> rows_;
};
