#pragma once

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

namespace zephyra::test {

// Named numeric fields of a value, for expectations written as "name=value name=value ...".
template <class T>
using FieldTable = std::map<std::string, double (*)(const T&)>;

template <class T>
void expectFields(const T& value, const FieldTable<T>& table, const std::string& expected) {
    std::istringstream in(expected);
    std::string item;
    while (in >> item) {
        const auto eq = item.find('=');
        const auto field = table.find(item.substr(0, eq));
        ASSERT_TRUE(eq != std::string::npos && field != table.end()) << item;
        EXPECT_NEAR(field->second(value), std::stod(item.substr(eq + 1)), 1e-9) << item;
    }
}

}  // namespace zephyra::test
