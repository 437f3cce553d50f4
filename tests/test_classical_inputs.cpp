// SPDX-License-Identifier: GPL-3.0-or-later
// The classical band-definition path: the filter-definition dialog and its
// checks, the band dialogs with their defaults, the band checks, the ways out
// (Cancel in a dialog or a message box) and the design that results.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "KALTAP_Amplitude_Response.h"
#include "KALTAP_Classical_Inputs.h"
#include "KALTAP_Configuration_Parameters.h"
#include "Run_Logging.h"
#include "Timers.h"
#include "UIK_Script.h"
#include "Unit_IO.h"
#include "test_support.h"

namespace {

using Changes = std::vector<std::pair<std::string, std::string>>;
using Lines = std::vector<std::string>;

const char* const Definition_Title = "Legacy FIR Filter Parameters";
const char* const Bands_Field = "Number of Bands (use 1 for differentiator or Hilbert transformer)";
const char* const Log_File = "Classical_FIR_Filter_Design_Log_20261206_2227.txt";

Clock_Reading Fixed_Time() {
    Clock_Reading r;
    r.year = 2026, r.month = 12, r.day = 6;
    r.hour = 22, r.minute = 27, r.second = 5;
    return r;
}

// The texts of the four fields of every band in a band dialog, in order.
struct Band_Texts {
    std::string left, right, desired, weight;
};

std::vector<Band_Texts> Band_Fields_Of(const Scripted_Dialog& d) {
    std::vector<Band_Texts> bands;
    const auto f = d.fields();
    for (std::size_t i = 0; i + 3 < f.size(); i += 4) {
        EXPECT_EQ(f[i]->title, "Left Band Edge");
        EXPECT_EQ(f[i + 1]->title, "Right Band Edge");
        EXPECT_EQ(f[i + 2]->title, "Desired Frequency Response");
        EXPECT_EQ(f[i + 3]->title, "Band Weighting");
        bands.push_back({f[i]->text, f[i + 1]->text, f[i + 2]->text, f[i + 3]->text});
    }
    EXPECT_EQ(f.size() % 4, 0u);
    return bands;
}

double Value_Of(const std::string& text) {
    double v = -99.0;
    EXPECT_TRUE(UNIT_Parse_Real(text, v)) << text;
    return v;
}

class Classical_Inputs : public ::testing::Test {
protected:
    void SetUp() override {
        Reset_Design_Program();
        Timers_Set_Clock(Fixed_Time);
        std::remove(Log_File);
        // A field that fails to read keeps the value it had: start from the
        // dialog's own defaults so every expected message is the same.
        Number_of_Weights = 42, Number_of_Bands = 3, Search_Grid_Density = 32, Type_of_Filter = 1;
    }
    void TearDown() override {
        Timers_Set_Clock(nullptr);
        Reset_Design_Program();
    }
    // Runs the routine; true when it ended in an orderly stop.
    bool Run() {
        stop_text.clear();
        return Stops(KALTAP_Classical_Inputs, &stop_text);
    }
    Console_Capture console;
    UIK_Script script;
    std::string stop_text;
};

// ---- Filter-definition dialog ----

TEST_F(Classical_Inputs, CancelInTheDefinitionAlertsAndReturnsWithoutLogOrDesign) {
    script.Cancel();
    EXPECT_FALSE(Run());
    ASSERT_EQ(script.shown.size(), 1u);
    const Scripted_Dialog& d = script.shown[0];
    EXPECT_EQ(d.title, Definition_Title);
    const auto f = d.fields();
    ASSERT_EQ(f.size(), 4u);
    EXPECT_EQ(f[0]->kind, "radio");
    EXPECT_EQ(f[0]->title, "Select type of filter to design:");
    EXPECT_EQ(f[0]->items, (Lines{"General band pass design", "Differentiator", "Hilbert Transformer"}));
    EXPECT_EQ(f[0]->selected, 1);
    const std::vector<std::pair<std::string, std::string>> edits = {
        {"Number of weights", "42"}, {Bands_Field, "3"}, {"Search Grid Density", "32"}};
    for (std::size_t i = 0; i < edits.size(); ++i) {
        EXPECT_EQ(f[i + 1]->kind, "lineedit");
        EXPECT_EQ(f[i + 1]->title, edits[i].first);
        EXPECT_EQ(f[i + 1]->text, edits[i].second);
        EXPECT_EQ(f[i + 1]->placeholder, "");
    }
    ASSERT_EQ(script.alerts.size(), 1u);
    EXPECT_EQ(script.alerts[0].title, "Procedure ended");
    EXPECT_EQ(script.alerts[0].text, "Program exit on user option.");
    EXPECT_EQ(Run_Log_Unit, 0);
    EXPECT_TRUE(Read_Lines(Log_File).empty());
    EXPECT_TRUE(script.script_errors.empty());
}

struct Definition_Case {
    const char* name;
    Changes changes;
    Lines expected;  // lines of the "Error in Filter Definition" box; none = accepted
};

class Filter_Definition : public Classical_Inputs, public ::testing::WithParamInterface<Definition_Case> {};

// A refused definition lists every fault in one box and shows the dialog again
// with its defaults; an accepted one goes on to the band dialog (cancelled
// here, which stops the program before any design is run).
TEST_P(Filter_Definition, RefusedWithAllLinesInOneBoxOrAccepted) {
    const Definition_Case& c = GetParam();
    script.Accept(c.changes);
    if (c.expected.empty()) {
        script.Cancel();
        EXPECT_TRUE(Run());
        EXPECT_EQ(stop_text, "Program terminated at user request.");
        ASSERT_EQ(script.shown.size(), 2u);
        EXPECT_NE(script.shown[1].title, "Error in Filter Definition");
        EXPECT_EQ(script.shown[1].title, Number_of_Bands > 1 ? "Band Definitions" : "Band Definition");
        EXPECT_NE(Run_Log_Unit, 0);
        // The new design is sized for the accepted definition.
        EXPECT_EQ(Band_Edges.extent(), 2 * Number_of_Bands);
        EXPECT_EQ(Allocated_Number_of_Weights, Number_of_Weights);
    } else {
        script.Accept();  // the message box
        script.Cancel();  // the definition dialog again
        EXPECT_FALSE(Run());
        ASSERT_EQ(script.shown.size(), 3u);
        EXPECT_EQ(script.shown[1].title, "Error in Filter Definition");
        EXPECT_EQ(script.shown[1].labels(), c.expected);
        // Shown again from the defaults, not from the entries.
        const Scripted_Dialog& again = script.shown[2];
        EXPECT_EQ(again.title, Definition_Title);
        EXPECT_EQ(again.fields()[0]->selected, 1);
        EXPECT_EQ(again.field("Number of weights")->text, "42");
        EXPECT_EQ(again.field(Bands_Field)->text, "3");
        EXPECT_EQ(again.field("Search Grid Density")->text, "32");
        EXPECT_EQ(Run_Log_Unit, 0);
    }
    EXPECT_TRUE(script.script_errors.empty());
}

const Lines Accepted;
const std::string Weights_Line = "Input Error!  Number of Weights <3 or >16385";
const std::string Bands_Line = "Input Error!  Number of Bands < 1 or > 129";

INSTANTIATE_TEST_SUITE_P(
    Cases, Filter_Definition,
    ::testing::Values(
        Definition_Case{"Defaults", {}, Accepted},
        Definition_Case{"MostWeights", {{"Number of weights", "16385"}}, Accepted},
        Definition_Case{"TooManyWeights", {{"Number of weights", "16386"}}, {Weights_Line}},
        Definition_Case{"TooFewWeights", {{"Number of weights", "2"}}, {Weights_Line}},
        Definition_Case{"MostBands", {{Bands_Field, "129"}}, Accepted},
        Definition_Case{"TooManyBands", {{Bands_Field, "130"}}, {Bands_Line}},
        Definition_Case{
            "DensityAtLimitFor200", {{"Number of weights", "200"}, {"Search Grid Density", "101"}}, Accepted},
        Definition_Case{"DensityAboveLimitFor200",
                        {{"Number of weights", "200"}, {"Search Grid Density", "102"}},
                        {"Input Error!  Search grid density < 4 or > 101"}},
        Definition_Case{"DensityAboveLimitFor42",
                        {{"Search Grid Density", "33"}},
                        {"Input Error!  Search grid density < 4 or > 32"}},
        Definition_Case{
            "DensityTooSmall", {{"Search Grid Density", "3"}}, {"Input Error!  Search grid density < 4 or > 32"}},
        Definition_Case{"DifferentiatorWithTwoBands",
                        {{"Select type of filter to design:", "2"}, {Bands_Field, "2"}},
                        {"2 bands in differentiator or Hilbert transformer."}},
        Definition_Case{"HilbertWithFiveBands",
                        {{"Select type of filter to design:", "3"}, {Bands_Field, "5"}},
                        {"5 bands in differentiator or Hilbert transformer."}},
        Definition_Case{"BandsNotANumber", {{Bands_Field, "three"}}, {"I/O Error in Field 2:Number of Bands"}},
        Definition_Case{"EveryFieldUnreadable",
                        {{"Number of weights", "4x2"}, {Bands_Field, "3.5"}, {"Search Grid Density", "--"}},
                        {"I/O Error in Field 1:Number of Weights", "I/O Error in Field 2:Number of Bands",
                         "I/O Error in Field 3:Search Grid Density"}},
        // Text beyond the ten characters read is refused, not cut: "0000000042999"
        // is no 42; blanks after the field are harmless.
        Definition_Case{"TextBeyondTenCharacters",
                        {{"Number of weights", "0000000042999"}},
                        {"I/O Error in Field 1:Number of Weights"}},
        Definition_Case{"BlanksBeyondTenCharacters", {{"Search Grid Density", "        32        "}}, Accepted},
        Definition_Case{"SeveralFaultsAtOnce",
                        {{"Select type of filter to design:", "2"},
                         {"Number of weights", "-5"},
                         {Bands_Field, "200"},
                         {"Search Grid Density", "2"}},
                        {Weights_Line, Bands_Line, "Input Error!  Search grid density < 4 or > 32",
                         "200 bands in differentiator or Hilbert transformer."}}),
    Case_Name());

TEST_F(Classical_Inputs, CancelInTheDefinitionMessageBoxStopsTheProgram) {
    script.Accept({{"Number of weights", "1"}});
    script.Cancel();
    EXPECT_TRUE(Run());
    EXPECT_EQ(stop_text, "Program stopped by user request.");
    EXPECT_EQ(script.dialog_titles(), (Lines{Definition_Title, "Error in Filter Definition"}));
    EXPECT_TRUE(console.contains("Program stopped by user request."));
}

// ---- Band dialogs ----

TEST_F(Classical_Inputs, DefaultThreeBandDesignIsTheBandPassExample) {
    script.Accept();
    script.Accept();
    EXPECT_FALSE(Run()) << stop_text;
    EXPECT_TRUE(script.script_errors.empty());
    ASSERT_EQ(script.dialog_titles(), (Lines{Definition_Title, "Band Definitions"}));
    const Scripted_Dialog& d = script.shown[1];
    EXPECT_EQ(d.labels(), (Lines{"Band 1", "Band 2", "Band 3"}));
    const auto bands = Band_Fields_Of(d);
    ASSERT_EQ(bands.size(), 3u);
    const std::vector<Band> expected = {{0.0, 0.1, 0.0, 10.0}, {0.2, 0.35, 1.0, 1.0}, {0.425, 0.5, 0.0, 10.0}};
    for (int k = 1; k <= 3; ++k) {
        const Band& e = expected[k - 1];
        const Band_Texts& t = bands[k - 1];
        EXPECT_EQ(Value_Of(t.left), e.lower);
        EXPECT_EQ(Value_Of(t.right), e.upper);
        EXPECT_EQ(Value_Of(t.desired), e.desired);
        EXPECT_EQ(Value_Of(t.weight), e.weight);
        EXPECT_EQ(Band_Edges(2 * k - 1), e.lower);
        EXPECT_EQ(Band_Edges(2 * k), e.upper);
        EXPECT_EQ(Band_Desired_Value(k), e.desired);
        EXPECT_EQ(Band_Weighting(k), e.weight);
    }
    ASSERT_TRUE(KALTAP_Filter_Weights_Valid);
    EXPECT_EQ(Number_of_Weights, 42);
    EXPECT_EQ(Type_of_Filter, 1);
    EXPECT_EQ(Antisymmetric, 0);

    // The taps make an equiripple band-pass filter: the weighted error peaks
    // at the same level in all three bands and that level is the deviation.
    double peak[3] = {0, 0, 0};
    for (int k = 1; k <= 3; ++k) {
        const Band& e = expected[k - 1];
        for (int j = 0; j <= 2000; ++j) {
            const double f = e.lower + (e.upper - e.lower) * j / 2000.0;
            const double a = KALTAP_Amplitude_Response(f, Filter_Weights, Number_of_Weights, true);
            peak[k - 1] = std::max(peak[k - 1], e.weight * std::fabs(a - e.desired));
        }
    }
    ASSERT_GT(Remez_Deviation, 0.0);
    for (double p : peak) EXPECT_NEAR(p, Remez_Deviation, 0.01 * Remez_Deviation);
    // A useful band-pass: passband within 1 dB, stopbands at least 30 dB down.
    EXPECT_LT(20 * std::log10((1 + peak[1]) / (1 - peak[1])), 1.0);
    EXPECT_LT(peak[0] / 10.0, std::pow(10.0, -30.0 / 20.0));
    EXPECT_LT(peak[2] / 10.0, std::pow(10.0, -30.0 / 20.0));

    // Run log with its heading, and the new design in it.
    const Lines log = Read_Lines(Log_File);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0], "FIR filter Design, Classical inputs");
    EXPECT_NE(std::find(log.begin(), log.end(), " ####New FIR Filter Design ####"), log.end());
}

struct Default_Case {
    int bands;
    std::vector<int> per_dialog;  // bands in each dialog
    std::vector<int> desired;     // default desired values, band by band
};

class Band_Defaults : public Classical_Inputs, public ::testing::WithParamInterface<Default_Case> {};

// Computed defaults: equal band widths and gaps ending at 0.5, weight 1, the
// desired value alternating; bands in dialogs of five. The last dialog is
// cancelled, which stops the program.
TEST_P(Band_Defaults, EqualWidthsAlternatingDesiredInDialogsOfFive) {
    const Default_Case& c = GetParam();
    script.Accept({{Bands_Field, std::to_string(c.bands)}});
    for (std::size_t g = 1; g < c.per_dialog.size(); ++g) script.Accept();
    script.Cancel();
    EXPECT_TRUE(Run());
    EXPECT_EQ(stop_text, "Program terminated at user request.");
    EXPECT_TRUE(script.script_errors.empty());
    ASSERT_EQ(script.shown.size(), 1 + c.per_dialog.size());
    const char* title = c.bands > 1 ? "Band Definitions" : "Band Definition";
    int k = 0;
    for (std::size_t g = 0; g < c.per_dialog.size(); ++g) {
        const Scripted_Dialog& d = script.shown[g + 1];
        EXPECT_EQ(d.title, title);
        const auto bands = Band_Fields_Of(d);
        ASSERT_EQ(static_cast<int>(bands.size()), c.per_dialog[g]);
        Lines labels;
        for (const Band_Texts& t : bands) {
            ++k;
            labels.push_back("Band " + std::to_string(k));
            const double slots = 2.0 * c.bands - 1;
            EXPECT_EQ(Value_Of(t.left), 0.5 * (2 * k - 2) / slots) << "band " << k;
            EXPECT_EQ(Value_Of(t.right), 0.5 * (2 * k - 1) / slots) << "band " << k;
            EXPECT_EQ(Value_Of(t.desired), c.desired[k - 1]) << "band " << k;
            EXPECT_EQ(Value_Of(t.weight), 1.0);
        }
        EXPECT_EQ(d.labels(), labels);
    }
    EXPECT_EQ(k, c.bands);
    EXPECT_EQ(Value_Of(Band_Fields_Of(script.shown.back()).back().right), 0.5);
}

INSTANTIATE_TEST_SUITE_P(Cases, Band_Defaults,
                         ::testing::Values(Default_Case{1, {1}, {1}}, Default_Case{2, {2}, {1, 0}},
                                           Default_Case{4, {4}, {1, 0, 1, 0}}, Default_Case{5, {5}, {0, 1, 0, 1, 0}},
                                           Default_Case{7, {5, 2}, {0, 1, 0, 1, 0, 1, 0}},
                                           Default_Case{12, {5, 5, 2}, {1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0}}),
                         [](const ::testing::TestParamInfo<Default_Case>& info) {
                             return "Bands" + std::to_string(info.param.bands);
                         });

TEST_F(Classical_Inputs, SevenBandsInTwoDialogsAreReadIntoTheirOwnBands) {
    script.Accept({{Bands_Field, "7"}, {"Number of weights", "61"}});
    script.Accept({{"Band Weighting@5", "3.5"}});
    script.Accept({{"Desired Frequency Response@1", "0.25"}, {"Band Weighting@2", "2e1"}});
    EXPECT_FALSE(Run()) << stop_text;
    EXPECT_TRUE(script.script_errors.empty());
    EXPECT_EQ(script.dialog_titles(), (Lines{Definition_Title, "Band Definitions", "Band Definitions"}));
    EXPECT_EQ(script.shown[2].labels(), (Lines{"Band 6", "Band 7"}));
    EXPECT_EQ(Band_Weighting(5), 3.5);
    EXPECT_EQ(Band_Desired_Value(6), 0.25);
    EXPECT_EQ(Band_Weighting(7), 20.0);
    EXPECT_EQ(Band_Edges(14), 0.5);
    EXPECT_EQ(Band_Edges(11), 10.0 / 26.0);
    EXPECT_TRUE(KALTAP_Filter_Weights_Valid);
    // Band 6 approximates its desired value 0.25 within the design's deviation.
    const double mid = 0.5 * (Band_Edges(11) + Band_Edges(12));
    EXPECT_NEAR(KALTAP_Amplitude_Response(mid, Filter_Weights, 61, true), 0.25,
                Remez_Deviation / Band_Weighting(6) * 1.01);
}

struct Alternation_Case {
    int bands;
    std::vector<int> first, second;  // default desired values of the first and second showing
};

class Band_Alternation : public Classical_Inputs, public ::testing::WithParamInterface<Alternation_Case> {};

// The default desired values go on alternating from where the previous
// showing left them: with an odd number of bands the second showing starts
// with 1, with an even number it looks like the first. An error only in band
// 1 brings back every band dialog.
TEST_P(Band_Alternation, GoesOnAfterAnErrorInBandOne) {
    const Alternation_Case& c = GetParam();
    // Odd number of weights, so a last band ending at 0.5 with 1 is allowed.
    script.Accept({{Bands_Field, std::to_string(c.bands)}, {"Number of weights", "43"}});
    script.Accept({{"Band Weighting@1", "0"}});
    script.Accept();  // the message box of band 1
    script.Accept();  // the band dialog again, with its defaults
    EXPECT_FALSE(Run()) << stop_text;
    EXPECT_TRUE(script.script_errors.empty());
    ASSERT_EQ(script.dialog_titles(),
              (Lines{Definition_Title, "Band Definitions", "Error in Band Definitions", "Band Definitions"}));
    EXPECT_EQ(script.shown[2].labels(), Lines{"Bad weighting for band 1"});
    for (int showing : {1, 3}) {
        const auto bands = Band_Fields_Of(script.shown[showing]);
        const std::vector<int>& expected = showing == 1 ? c.first : c.second;
        ASSERT_EQ(bands.size(), expected.size());
        for (std::size_t k = 0; k < bands.size(); ++k)
            EXPECT_EQ(Value_Of(bands[k].desired), expected[k]) << "showing " << showing << " band " << k + 1;
    }
    // The entry 0 is not kept: band 1's weight is back at its default.
    EXPECT_EQ(Band_Fields_Of(script.shown[3])[0].weight, Band_Fields_Of(script.shown[1])[0].weight);
    for (int k = 1; k <= c.bands; ++k) EXPECT_EQ(Band_Desired_Value(k), c.second[k - 1]);
    EXPECT_TRUE(KALTAP_Filter_Weights_Valid);
}

INSTANTIATE_TEST_SUITE_P(Cases, Band_Alternation,
                         ::testing::Values(Alternation_Case{5, {0, 1, 0, 1, 0}, {1, 0, 1, 0, 1}},
                                           Alternation_Case{4, {1, 0, 1, 0}, {1, 0, 1, 0}},
                                           Alternation_Case{3, {0, 1, 0}, {0, 1, 0}}),
                         [](const ::testing::TestParamInfo<Alternation_Case>& info) {
                             return "Bands" + std::to_string(info.param.bands);
                         });

struct Band_Check_Case {
    const char* name;
    Changes definition;
    Changes bands;             // changes in the (first) band dialog
    std::vector<Lines> boxes;  // one "Error in Band Definitions" box per faulty band; none = accepted
};

class Band_Checks : public Classical_Inputs, public ::testing::WithParamInterface<Band_Check_Case> {};

// Each faulty band has its own box with all its lines; after the boxes every
// band dialog is shown again (cancelled here). Accepted bands are designed.
TEST_P(Band_Checks, OneBoxPerFaultyBandOrDesigned) {
    const Band_Check_Case& c = GetParam();
    script.Accept(c.definition);
    script.Accept(c.bands);
    if (c.boxes.empty()) {
        EXPECT_FALSE(Run()) << stop_text;
        EXPECT_EQ(script.dialog_titles(), (Lines{Definition_Title, "Band Definitions"}));
        EXPECT_TRUE(KALTAP_Filter_Weights_Valid);
    } else {
        for (std::size_t i = 0; i < c.boxes.size(); ++i) script.Accept();
        script.Cancel();
        EXPECT_TRUE(Run());
        EXPECT_EQ(stop_text, "Program terminated at user request.");
        ASSERT_EQ(script.shown.size(), 3 + c.boxes.size());
        for (std::size_t i = 0; i < c.boxes.size(); ++i) {
            EXPECT_EQ(script.shown[2 + i].title, "Error in Band Definitions");
            EXPECT_EQ(script.shown[2 + i].labels(), c.boxes[i]) << "box " << i + 1;
        }
        // Shown again with the defaults, not with the entries.
        const auto again = Band_Fields_Of(script.shown.back());
        const auto first = Band_Fields_Of(script.shown[1]);
        ASSERT_EQ(again.size(), first.size());
        for (std::size_t k = 0; k < again.size(); ++k) {
            EXPECT_EQ(again[k].left, first[k].left);
            EXPECT_EQ(again[k].right, first[k].right);
            EXPECT_EQ(again[k].desired, first[k].desired);
            EXPECT_EQ(again[k].weight, first[k].weight);
        }
        EXPECT_FALSE(KALTAP_Filter_Weights_Valid);
    }
    EXPECT_TRUE(script.script_errors.empty());
}

const std::string Half_Rate_Line = "Frequency Response Nonzero at Half Sample Rate for even number of weights.";
const std::string Band_1_Range_Line = "Input Error!  Band 1 edges must lie between 0 and 0.5.";
const std::string Band_3_Range_Line = "Input Error!  Band 3 edges must lie between 0 and 0.5.";
// 0.000...0123: 80 characters, the digits beyond the fortieth.
const std::string Eighty_Characters = "0." + std::string(75, '0') + "123";

INSTANTIATE_TEST_SUITE_P(
    Cases, Band_Checks,
    ::testing::Values(
        Band_Check_Case{"EqualEdges", {}, {{"Right Band Edge@1", "0.0"}}, {{"Band 1 has negative bandwidth."}}},
        Band_Check_Case{"TouchingBands",
                        {},
                        {{"Left Band Edge@2", "0.1"}},
                        {{"Bands 1 and 2 are not consecutive."}, {"Bands 1 and 2 are not consecutive."}}},
        Band_Check_Case{"OverlappingBands",
                        {},
                        {{"Right Band Edge@2", "0.43"}},
                        {{"Bands 2 and 3 are not consecutive."}, {"Bands 2 and 3 are not consecutive."}}},
        Band_Check_Case{
            "DesiredAboveOne", {}, {{"Desired Frequency Response@2", "1.5"}}, {{"Bad frequency response in band 2"}}},
        Band_Check_Case{"DesiredBelowMinusOne",
                        {},
                        {{"Desired Frequency Response@1", "-1.01"}},
                        {{"Bad frequency response in band 1"}}},
        Band_Check_Case{"DesiredMinusOneAllowed", {}, {{"Desired Frequency Response@2", "-1"}}, {}},
        Band_Check_Case{"ZeroWeight", {}, {{"Band Weighting@3", "0"}}, {{"Bad weighting for band 3"}}},
        Band_Check_Case{"WeightAbove10000", {}, {{"Band Weighting@3", "10000.5"}}, {{"Bad weighting for band 3"}}},
        Band_Check_Case{"Weight10000Allowed", {}, {{"Band Weighting@3", "10000"}}, {}},
        Band_Check_Case{
            "UnreadableField", {}, {{"Desired Frequency Response@2", "one"}}, {{"I/O Error for a field for band 2"}}},
        Band_Check_Case{"SeveralFaultsInOneBand",
                        {},
                        {{"Desired Frequency Response@2", "2"}, {"Band Weighting@2", "-1"}},
                        {{"Bad frequency response in band 2", "Bad weighting for band 2"}}},
        Band_Check_Case{"NonzeroAtHalfRateWithEvenLength",
                        {},
                        {{"Desired Frequency Response@3", "1"}},
                        {{Half_Rate_Line}, {Half_Rate_Line}, {Half_Rate_Line}}},
        Band_Check_Case{"NonzeroAtHalfRateListedAfterTheBandsOwnLines",
                        {},
                        {{"Desired Frequency Response@3", "0.5"}, {"Right Band Edge@1", "0.0"}},
                        {{"Band 1 has negative bandwidth.", Half_Rate_Line}, {Half_Rate_Line}, {Half_Rate_Line}}},
        Band_Check_Case{"NonzeroAtHalfRateWithOddLength",
                        {{"Number of weights", "43"}},
                        {{"Desired Frequency Response@3", "1"}},
                        {}},
        Band_Check_Case{"TinyDesiredAtHalfRate", {}, {{"Desired Frequency Response@3", "0.001"}}, {}},
        // Edges outside 0..0.5, in any band; an edge exactly at 0 or 0.5 is fine.
        Band_Check_Case{"RightEdgeAboveHalfRate", {}, {{"Right Band Edge@3", "0.9"}}, {{Band_3_Range_Line}}},
        Band_Check_Case{"NegativeLeftEdge", {}, {{"Left Band Edge@1", "-0.2"}}, {{Band_1_Range_Line}}},
        Band_Check_Case{"BothEdgesAboveHalfRate",
                        {},
                        {{"Left Band Edge@3", "0.6"}, {"Right Band Edge@3", "0.7"}},
                        {{Band_3_Range_Line}}},
        Band_Check_Case{
            "RightEdgeBelowLeftEdge", {}, {{"Right Band Edge@2", "0.15"}}, {{"Band 2 has negative bandwidth."}}},
        // Band 3 lies below band 1: every band is in order with its own
        // neighbours' edges except where 2 and 3 meet.
        Band_Check_Case{"BandsOutOfOrder",
                        {},
                        {{"Left Band Edge@1", "0.2"},
                         {"Right Band Edge@1", "0.25"},
                         {"Left Band Edge@2", "0.3"},
                         {"Right Band Edge@2", "0.35"},
                         {"Left Band Edge@3", "0.0"},
                         {"Right Band Edge@3", "0.1"}},
                        {{"Bands 2 and 3 are not consecutive."}, {"Bands 2 and 3 are not consecutive."}}},
        // Eighty characters read as 0 from the first forty: refused instead.
        Band_Check_Case{"TextBeyondFortyCharacters",
                        {},
                        {{"Desired Frequency Response@1", Eighty_Characters}},
                        {{"I/O Error for a field for band 1"}}},
        Band_Check_Case{"BlanksBeyondFortyCharacters", {}, {{"Band Weighting@2", "1.0" + std::string(60, ' ')}}, {}}),
    Case_Name());

// ---- Responses forced to zero by the filter's symmetry and length ----

struct Forced_Zero_Case {
    const char* name;
    int type, weights, bands;  // of the filter definition
    Changes band_changes;
    Lines lines;  // lines of every band's box; none = accepted and designed
};

class Forced_Zeros : public Classical_Inputs, public ::testing::WithParamInterface<Forced_Zero_Case> {};

// A band asking for a response where the filter is zero is refused with the
// cause in every band's box, and every band dialog comes again; what the
// filter can give is designed.
TEST_P(Forced_Zeros, RefusedWithTheCauseOrDesigned) {
    const Forced_Zero_Case& c = GetParam();
    script.Accept({{"Select type of filter to design:", std::to_string(c.type)},
                   {"Number of weights", std::to_string(c.weights)},
                   {Bands_Field, std::to_string(c.bands)}});
    script.Accept(c.band_changes);
    const int bands = c.bands;
    const std::string band_title = bands > 1 ? "Band Definitions" : "Band Definition";
    if (c.lines.empty()) {
        EXPECT_FALSE(Run()) << stop_text;
        EXPECT_EQ(script.dialog_titles(), (Lines{Definition_Title, band_title}));
        EXPECT_TRUE(KALTAP_Filter_Weights_Valid);
        EXPECT_EQ(Number_of_Weights, c.weights);
        EXPECT_EQ(Type_of_Filter, c.type);
    } else {
        for (int k = 1; k <= bands; ++k) script.Accept();
        script.Cancel();
        EXPECT_TRUE(Run());
        EXPECT_EQ(stop_text, "Program terminated at user request.");
        ASSERT_EQ(script.shown.size(), 3u + bands);
        for (int k = 1; k <= bands; ++k) {
            EXPECT_EQ(script.shown[1 + k].title, "Error in Band Definitions");
            EXPECT_EQ(script.shown[1 + k].labels(), c.lines) << "box " << k;
        }
        EXPECT_EQ(script.shown.back().title, band_title);
        EXPECT_FALSE(KALTAP_Filter_Weights_Valid);
    }
    EXPECT_TRUE(script.script_errors.empty());
}

const std::string Even_At_Zero = "Frequency Response Nonzero at 0 for even number of weights.";
const std::string Odd_At_Zero = "Frequency Response Nonzero at 0 for odd number of weights.";
const std::string Odd_At_Half_Rate = "Frequency Response Nonzero at Half Sample Rate for odd number of weights.";
const std::string Even_Antisymmetric_Cause =
    "Antisymmetric filters (differentiators, Hilbert transformers) of even length are zero at 0.";
const std::string Odd_Antisymmetric_Cause =
    "Antisymmetric filters (differentiators, Hilbert transformers) of odd length are zero at 0 and at half the "
    "sample rate.";

// Band edges and desired value of a single band.
Changes One_Band(const std::string& left, const std::string& right, const std::string& desired) {
    return {{"Left Band Edge", left}, {"Right Band Edge", right}, {"Desired Frequency Response", desired}};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Forced_Zeros,
    ::testing::Values(
        // Band-pass (symmetric): only an even length at half the sample rate.
        Forced_Zero_Case{"BandPassEvenFromZero", 1, 42, 2, {}, {}},
        Forced_Zero_Case{"BandPassEvenEdgeWithinToleranceOfHalfRate",
                         1,
                         42,
                         3,
                         {{"Desired Frequency Response@3", "1"}, {"Right Band Edge@3", "0.499995"}},
                         {Half_Rate_Line}},
        // Differentiator: slope * f is zero at 0 whatever the slope.
        Forced_Zero_Case{"DifferentiatorEvenFromZeroToHalfRate", 2, 32, 1, One_Band("0", "0.5", "1"), {}},
        Forced_Zero_Case{"DifferentiatorOddFromZero", 2, 33, 1, One_Band("0", "0.45", "1"), {}},
        Forced_Zero_Case{"DifferentiatorOddToHalfRate",
                         2,
                         33,
                         1,
                         One_Band("0", "0.5", "1"),
                         {Odd_At_Half_Rate, Odd_Antisymmetric_Cause}},
        Forced_Zero_Case{"DifferentiatorOddNegativeSlopeToHalfRate",
                         2,
                         33,
                         1,
                         One_Band("0.1", "0.5", "-0.5"),
                         {Odd_At_Half_Rate, Odd_Antisymmetric_Cause}},
        // 0.0015 * 0.5 is within the zero tolerance: the slope itself is not judged.
        Forced_Zero_Case{"DifferentiatorOddFlatSlopeToHalfRate", 2, 33, 1, One_Band("0", "0.5", "0.0015"), {}},
        // Hilbert transformer: zero at 0, and at 0.5 for an odd length.
        Forced_Zero_Case{"HilbertEvenToHalfRate", 3, 22, 1, One_Band("0.05", "0.5", "1"), {}},
        Forced_Zero_Case{
            "HilbertEvenFromZero", 3, 22, 1, One_Band("0", "0.45", "1"), {Even_At_Zero, Even_Antisymmetric_Cause}},
        Forced_Zero_Case{"HilbertEvenEdgeWithinToleranceOfZero",
                         3,
                         22,
                         1,
                         One_Band("0.000005", "0.45", "1"),
                         {Even_At_Zero, Even_Antisymmetric_Cause}},
        Forced_Zero_Case{
            "HilbertOddFromZero", 3, 23, 1, One_Band("0", "0.45", "-1"), {Odd_At_Zero, Odd_Antisymmetric_Cause}},
        Forced_Zero_Case{"HilbertOddToHalfRate",
                         3,
                         23,
                         1,
                         One_Band("0.05", "0.5", "1"),
                         {Odd_At_Half_Rate, Odd_Antisymmetric_Cause}},
        Forced_Zero_Case{"HilbertOddFromZeroToHalfRate",
                         3,
                         23,
                         1,
                         One_Band("0", "0.5", "1"),
                         {Odd_At_Zero, Odd_At_Half_Rate, Odd_Antisymmetric_Cause}},
        Forced_Zero_Case{"HilbertOddInside", 3, 23, 1, One_Band("0.05", "0.45", "1"), {}},
        // The band's own faults come first.
        Forced_Zero_Case{"HilbertOddBadWeightToo",
                         3,
                         23,
                         1,
                         {{"Left Band Edge", "0"}, {"Band Weighting", "0"}},
                         {"Bad weighting for band 1", Odd_At_Zero, Odd_At_Half_Rate, Odd_Antisymmetric_Cause}}),
    Case_Name());

TEST_F(Classical_Inputs, CancelInABandMessageBoxStopsTheProgram) {
    script.Accept();
    script.Accept({{"Band Weighting@1", "-3"}, {"Band Weighting@2", "-3"}});
    script.Cancel();  // the box of band 1: band 2's box is never shown
    EXPECT_TRUE(Run());
    EXPECT_EQ(stop_text, "Program stopped by user request.");
    EXPECT_EQ(script.dialog_titles(), (Lines{Definition_Title, "Band Definitions", "Error in Band Definitions"}));
}

TEST_F(Classical_Inputs, SingleBandHilbertTransformerIsDesigned) {
    script.Accept({{"Select type of filter to design:", "3"},
                   {"Number of weights", " 3 1"},  // blanks inside the field are ignored
                   {Bands_Field, "1"},
                   {"Search Grid Density", "16"}});
    script.Accept({{"Left Band Edge", "0.05"}, {"Right Band Edge", "0.45"}});
    EXPECT_FALSE(Run()) << stop_text;
    EXPECT_EQ(Type_of_Filter, 3);
    EXPECT_EQ(Number_of_Weights, 31);
    EXPECT_EQ(Search_Grid_Density, 16);
    EXPECT_EQ(script.dialog_titles(), (Lines{Definition_Title, "Band Definition"}));
    EXPECT_EQ(script.shown[1].labels(), Lines{"Band 1"});
    ASSERT_TRUE(KALTAP_Filter_Weights_Valid);
    EXPECT_EQ(Antisymmetric, 1);
    // Odd antisymmetric taps: the band 0.05-0.45 is passed with gain 1.
    for (double f : {0.1, 0.25, 0.4})
        EXPECT_NEAR(KALTAP_Amplitude_Response(f, Filter_Weights, 31, false), 1.0, 1.01 * Remez_Deviation);
    EXPECT_LT(Remez_Deviation, 0.05);
}

}  // namespace
