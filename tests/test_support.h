// SPDX-License-Identifier: GPL-3.0-or-later
// Shared helpers of the design-program tests: a console that records what the
// program writes and answers its reads from a queue, a fresh design program
// (the filter requirements are set up by Design_Setups.h), and the call
// interface's requests as a test reads them.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "Design_Setups.h"
#include "UIK_Call_Interface.h"

// Captures the console for the lifetime of the object.
class Console_Capture {
public:
    Console_Capture();
    ~Console_Capture();
    std::vector<std::string> lines;                // every console line, in order
    std::deque<std::string> input;                 // answers to console reads; empty queue = end of input
    bool contains(const std::string& text) const;  // some line contains text
    int count(const std::string& text) const;      // lines containing text
};

// Fresh design-program state: no log, no listed units, no current set of
// file names and no files of the test clocks' day, quiet exchange, no design
// shown in a main plot before.
void Reset_Design_Program();

// The test clock: 14:07:59 on 6 December 2026, so that result files are named
// 20261206_1407_<base name>; every file of the test clocks' day is removed
// first, so the design's names take the plain stem.
void Fix_Clock_And_Clear_Results();

// The date of every fixed test clock.
constexpr const char* Test_Clock_Date = "20261206";
// Remove the working directory's files of `date` (CCYYMMDD): result files
// "<date>_..." and run logs "..._<date>_...".
void Remove_Files_Of_Day(const std::string& date);

// Runs fn and returns true when it ended in an orderly stop (text stored).
bool Stops(const std::function<void()>& fn, std::string* text = nullptr);

// Read a whole file into lines.
std::vector<std::string> Read_Lines(const std::string& path);

// Full impulse response h(1..N) (zero-based vector) of the current design.
std::vector<double> Full_Impulse_Response();

// The keys of a request's property map, in the map's order.
std::vector<std::string> Property_Keys(const UIK_Property_Map& map);

// The value of `key` in `map` as a T. A key that is missing, or that holds
// another type, fails the running test and gives T().
template <class T>
T Property(const UIK_Property_Map& map, const std::string& key) {
    const UIK_Value* v = UIK_Find(map, key);
    if (v == nullptr || !std::holds_alternative<T>(*v)) {
        ADD_FAILURE() << "property " << key << " missing or of another type";
        return T();
    }
    return std::get<T>(*v);
}

// One design of the filter requirements, named for the test it makes.
struct Design_Case {
    const char* name;
    int type, N, density;  // Type_of_Filter, Number_of_Weights, Search_Grid_Density
    std::vector<Band> bands;
};

// The name of a test parameter that has a `name` (a C string or
// std::string), for INSTANTIATE_TEST_SUITE_P.
struct Case_Name {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
        return info.param.name;
    }
};

// Fixture of the tests of one design each; `Case` holds the filter's type,
// N, density and bands as Design_Case does. Before each test the design
// program is fresh (Reset_Design_Program), then its console is captured in
// `console` for the test, then the case's design is set up (Set_Up_Design)
// but not run.
template <class Case = Design_Case>
class Design_Case_Test : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        const Case& c = this->GetParam();
        Set_Up_Design(c.type, c.N, c.density, c.bands);
    }

private:
    struct Fresh_State {
        Fresh_State() { Reset_Design_Program(); }
    };
    Fresh_State fresh_;  // made before the console

protected:
    Console_Capture console;
};

// Fixture of the call-interface tests: before each test the design program's
// state is fresh (Reset_Design_Program) and the call interface is empty, its
// counter back at 1,000,000 (UIK_Reset_Call_Interface).
class Call_Interface_Test : public ::testing::Test {
protected:
    void SetUp() override;
};
