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
using FieldSetters = std::map<std::string, void (*)(T&, double)>;

// Entries of a FieldTable (under the member's name or another) and of FieldSetters.
// clang-format off
#define ZEPHYRA_FIELD_AS(Type, name, m) {name, [](const Type& v) { return static_cast<double>(v.m); }}
#define ZEPHYRA_FIELD(Type, m) ZEPHYRA_FIELD_AS(Type, #m, m)
#define ZEPHYRA_SETTER(Type, m) \
    {#m, [](Type& v, double x) { v.m = static_cast<decltype(v.m)>(x); }}
// clang-format on

template <class T>
T withFields(T value, const FieldSetters<T>& setters, const std::string& fields) {
    std::istringstream in(fields);
    std::string item;
    while (in >> item) {
        const auto eq = item.find('=');
        const auto setter = setters.find(item.substr(0, eq));
        EXPECT_TRUE(eq != std::string::npos && setter != setters.end()) << item;
        if (eq != std::string::npos && setter != setters.end()) {
            setter->second(value, std::stod(item.substr(eq + 1)));
        }
    }
    return value;
}

template <class T>
void expectFields(const T& value, const FieldTable<T>& table, const std::string& expected,
                  double tolerance = 1e-9) {
    std::istringstream in(expected);
    std::string item;
    while (in >> item) {
        const auto eq = item.find('=');
        const auto field = table.find(item.substr(0, eq));
        ASSERT_TRUE(eq != std::string::npos && field != table.end()) << item;
        EXPECT_NEAR(field->second(value), std::stod(item.substr(eq + 1)), tolerance) << item;
    }
}

}  // namespace zephyra::test
