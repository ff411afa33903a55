#pragma once
#include <QObject>
#include <QStringList>
#include <functional>
#include <vector>

// Each test file registers its classes; one executable per folder runs them all. A factory that
// returns nullptr leaves its class out, having said why.
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

// A test that needs a second process (a station to kill) starts its own executable with
// "--child NAME ARGS...": main runs the child registered under NAME and ends with its result.
using Child = std::function<int(const QStringList &args)>;
std::vector<std::pair<const char *, Child>> &children();
struct AddChild {
    AddChild(const char *name, Child c) { children().emplace_back(name, std::move(c)); }
};
} // namespace testreg

#define TORVANE_TEST(Class) static testreg::Add s_testreg_##Class(#Class, []() -> QObject * { return new Class; });
