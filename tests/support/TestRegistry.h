#pragma once
#include <QObject>
#include <functional>
#include <vector>

// Each test file registers its classes; one executable per folder runs them all.
namespace testreg {
using Factory = std::function<QObject *()>;
struct Entry {
    const char *name;
    Factory make;
};
std::vector<Entry> &registry();
struct Add {
    Add(const char *name, Factory f) { registry().push_back({name, std::move(f)}); }
};
} // namespace testreg

#define TORVANE_TEST(Class) \
    static testreg::Add s_testreg_##Class(#Class, []() -> QObject * { return new Class; });
