// SPDX-License-Identifier: GPL-3.0-or-later
// The call interface as the window layer sees it: unit numbers and control
// identifiers, the texts handed on, the property maps in their key order, and
// the write-back of dialog answers into the design program's records.
#include <cstring>
#include <variant>

#include "UIK_Call_Interface.h"
#include "UIK_Error_Message.h"
#include "UIK_Script.h"
#include "test_support.h"

namespace {

class CallInterface : public Call_Interface_Test {};

TEST_F(CallInterface, UnitsAndIdentifiersComeFromOneCounterStartingAtOneMillion) {
    UIK_Script script;
    UIK_XYPlot_Record a, b;
    UIK_createXYPlot(a);
    UIK_createXYPlot(b);
    EXPECT_EQ(a.unit, 1000000);
    EXPECT_EQ(b.unit, 1000001);
    UIK_Dialog_Record d;
    UIK_Label_Record label;
    UIK_createDialog(d);
    UIK_addLabel(d.unit, label);
    EXPECT_EQ(d.unit, 1000002);
    EXPECT_EQ(label.labelId, 1000003);
    EXPECT_EQ(UIK_Next_Unit_Number(), 1000004);
}

TEST_F(CallInterface, DialogAnswersAreWrittenBackByKindSkippingLabels) {
    UIK_Script script;
    UIK_Dialog_Record d;
    d.windowTitle.set("Answers");
    UIK_Label_Record label;
    label.text.set("A label");
    UIK_CheckBox_Record check;
    check.title.set("Agree?");
    UIK_LineEdit_Record edit;
    edit.title.set("Name");
    edit.text.set("old");
    UIK_RadioButtons_Record radio;
    radio.title.set("Pick");
    radio.itemList = {UIK_Text("one"), UIK_Text("two"), UIK_Text("three")};
    radio.selected = 1;
    UIK_createDialog(d);
    UIK_addLabel(d.unit, label);
    UIK_addCheckBox(d.unit, check);
    UIK_addLineEdit(d.unit, edit);
    UIK_addRadioButtons(d.unit, radio);
    script.Answer({"1", "1", "new text", "3"});
    EXPECT_EQ(UIK_showDialog(d.unit), 1);
    EXPECT_EQ(check.checked, 1);
    EXPECT_EQ(edit.text.trimmed(), "new text");
    EXPECT_EQ(edit.text.raw().size(), 128u);
    EXPECT_EQ(edit.text.raw().substr(8), std::string(120, ' '));
    EXPECT_EQ(radio.selected, 3);
    // The window layer got four controls, of which three return values.
    ASSERT_EQ(script.shown.size(), 1u);
    EXPECT_EQ(script.shown[0].controls.size(), 4u);
    EXPECT_EQ(script.shown[0].fields().size(), 3u);
}

TEST_F(CallInterface, CancelledOrEmptyAnswersLeaveTheRecordsAlone) {
    UIK_Script script;
    UIK_Dialog_Record d;
    UIK_LineEdit_Record edit;
    edit.text.set("kept");
    UIK_CheckBox_Record check;
    UIK_createDialog(d);
    UIK_addLineEdit(d.unit, edit);
    UIK_addCheckBox(d.unit, check);
    script.Answer({"0", "changed", "1"});
    EXPECT_EQ(UIK_showDialog(d.unit), 0);
    script.Answer({});
    EXPECT_EQ(UIK_showDialog(d.unit), 0);
    script.Answer({"2", "changed", "1"});  // any result but 1 writes nothing back
    EXPECT_EQ(UIK_showDialog(d.unit), 2);
    EXPECT_EQ(edit.text.trimmed(), "kept");
    EXPECT_EQ(check.checked, 0);
}

TEST_F(CallInterface, IntegerAnswersThatAreNotNumbersBecomeZeroAndLongTextsAreCut) {
    UIK_Script script;
    UIK_Dialog_Record d;
    UIK_RadioButtons_Record radio;
    radio.itemList = {UIK_Text("a"), UIK_Text("b")};
    radio.selected = 2;
    UIK_LineEdit_Record edit;
    UIK_createDialog(d);
    UIK_addRadioButtons(d.unit, radio);
    UIK_addLineEdit(d.unit, edit);
    script.Answer({"1", "x2", std::string(200, 'z')});
    UIK_showDialog(d.unit);
    EXPECT_EQ(radio.selected, 0);
    EXPECT_EQ(edit.text.raw(), std::string(128, 'z'));
}

TEST_F(CallInterface, AnAnswerListLongerThanTheDialogNeverReachesAnotherDialog) {
    UIK_Script script;
    UIK_Dialog_Record first, second;
    UIK_LineEdit_Record a, b;
    a.text.set("a");
    b.text.set("b");
    UIK_createDialog(first);
    UIK_addLineEdit(first.unit, a);
    UIK_createDialog(second);
    UIK_addLineEdit(second.unit, b);
    script.Answer({"1", "first answer", "stray answer"});
    UIK_showDialog(first.unit);
    EXPECT_EQ(a.text.trimmed(), "first answer");
    EXPECT_EQ(b.text.trimmed(), "b");
}

TEST_F(CallInterface, TextsAreHandedOnWithoutTrailingBlanks) {
    UIK_Script script;
    UIK_Dialog_Record d;
    d.windowTitle.set("");  // all blank
    UIK_createDialog(d);
    UIK_LineEdit_Record edit;
    edit.title.set("  Field  ");
    UIK_addLineEdit(d.unit, edit);
    UIK_alertBox("Title   ", "Text   ");
    ASSERT_EQ(script.requests.size(), 3u);
    EXPECT_EQ(Property<std::string>(script.requests[0].properties, "windowTitle"), "");
    EXPECT_EQ(Property<std::string>(script.requests[1].properties, "title"), "  Field");
    ASSERT_EQ(script.alerts.size(), 1u);
    EXPECT_EQ(script.alerts[0].title, "Title");
    EXPECT_EQ(script.alerts[0].text, "Text");
    EXPECT_TRUE(script.requests[2].waits);
}

TEST_F(CallInterface, PlotMapsKeepTheirKeyOrderAndBoundsGoToTheirOwnKeys) {
    UIK_Script script;
    UIK_XYPlot_Record plot;
    plot.windowTitle.set("Plot");
    plot.xScaleUB = 2.0;
    plot.xScaleLB = 1.0;
    plot.chartBackgroundColor = 0xffe8e8e8u;
    UIK_createXYPlot(plot);
    const UIK_Property_Map& map = script.requests[0].properties;
    EXPECT_EQ(Property_Keys(map),
              (std::vector<std::string>{"windowTitle", "chartBackgroundColor", "xAxisName", "yAxisName", "xScaleType",
                                        "xScaleLB", "xScaleUB", "xScaleStep", "yScaleType", "yScaleLB", "yScaleUB",
                                        "yScaleStep", "showHgridLines", "showVgridLines"}));
    EXPECT_EQ(std::get<double>(*UIK_Find(map, "xScaleUB")), 2.0);
    EXPECT_EQ(std::get<double>(*UIK_Find(map, "xScaleLB")), 1.0);
    EXPECT_EQ(std::get<unsigned>(*UIK_Find(map, "chartBackgroundColor")), 0xffe8e8e8u);

    const double data[] = {0.0, 1.0, 0.5, -1.0};
    UIK_XYSeries_Record series;
    series.curveLabel.set("Curve");
    UIK_writeXYPlot(plot.unit, data, "REAL*8", 2, 2, series);
    const UIK_Request& write = script.requests[1];
    EXPECT_EQ(Property_Keys(write.properties),
              (std::vector<std::string>{"fittedCurve", "curveLabel", "curveColor", "dotColor", "symbolStyle",
                                        "curveLineWidth", "dotSize"}));
    EXPECT_TRUE(write.waits);
    ASSERT_EQ(script.plots[0].series.size(), 1u);
    EXPECT_EQ(script.plots[0].series[0].points, (std::vector<std::pair<double, double>>{{0.0, 1.0}, {0.5, -1.0}}));
}

TEST_F(CallInterface, WithoutWindowLayerDialogsReturnZeroButNumbersAreStillGiven) {
    UIK_Dialog_Record d;
    UIK_LineEdit_Record edit;
    edit.text.set("kept");
    EXPECT_EQ(UIK_createDialog(d), 1);
    EXPECT_EQ(UIK_addLineEdit(d.unit, edit), 1);
    EXPECT_EQ(d.unit, 1000000);
    EXPECT_EQ(edit.labelId, 1000001);
    EXPECT_EQ(UIK_showDialog(d.unit), 0);
    EXPECT_EQ(UIK_alertBox("t", "x"), 1);
    EXPECT_EQ(UIK_addMenu(-2, "Menu", "Item", nullptr), 0);
    EXPECT_EQ(edit.text.trimmed(), "kept");
}

TEST_F(CallInterface, FileFieldModesAndMenuItems) {
    UIK_Script script;
    UIK_Dialog_Record d;
    UIK_createDialog(d);
    for (int mode : {0, 2, 3}) {
        UIK_FileField_Record file;
        file.mode = mode;
        UIK_addFileField(d.unit, file);
        const UIK_Property_Map& map = script.requests.back().properties;
        EXPECT_EQ(Property_Keys(map), (std::vector<std::string>{"title", "placeholder", "text", "defaultDirectory",
                                                                "chooseDirectory", "allowNewFiles"}));
        EXPECT_EQ(std::get<bool>(*UIK_Find(map, "chooseDirectory")), mode == 2);
        EXPECT_EQ(std::get<bool>(*UIK_Find(map, "allowNewFiles")), mode == 3);
    }
    UIK_addMenu(-2, "FIR Design", "New FIR Filter Design", nullptr);
    ASSERT_EQ(script.menu_items.size(), 1u);
    EXPECT_EQ(script.menu_items[0].menu, "FIR Design");
    EXPECT_EQ(script.menu_items[0].item, "New FIR Filter Design");
    EXPECT_EQ(script.menu_items[0].shortcut, "");
}

TEST_F(CallInterface, ReadTextCutsAtTheLineEndAndPadsWithBlanks) {
    Console_Capture console;
    console.input.push_back("abc");
    char buffer[16];
    EXPECT_EQ(UIK_readText(-2, buffer, 16), 5);  // "abc" + CR LF
    EXPECT_EQ(std::string(buffer, 16), "abc" + std::string(13, ' '));
    EXPECT_EQ(UIK_readText(-2, buffer, 16), -1);  // nothing left: cancelled read
}

TEST_F(CallInterface, WriteTextAppendsALineFeed) {
    UIK_Script script;
    EXPECT_EQ(UIK_writeText(1000005, "line"), 0);
    EXPECT_EQ(Property<std::string>(script.requests[0].properties, "text"), "line\n");
    EXPECT_EQ(script.requests[0].unit, 1000005);
}

// ---- Message boxes ----

TEST_F(CallInterface, MessageBoxCollectsLinesUnderOneTitleAndCancelStops) {
    Console_Capture console;
    UIK_Script script;
    Error_Message_Title("  Several lines  ");
    Error_Message_Line("first   ");
    Error_Message_Line("second");
    script.Accept();
    Error_Message_Show();
    ASSERT_EQ(script.shown.size(), 1u);
    EXPECT_EQ(script.shown[0].title, "Several lines");
    EXPECT_EQ(script.shown[0].labels(), (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(script.shown[0].answer, (std::vector<std::string>{"1"}));

    // A title without lines shows nothing.
    Error_Message_Title("Nothing");
    Error_Message_Show();
    EXPECT_EQ(script.shown.size(), 1u);

    script.Cancel();
    std::string stop_text;
    EXPECT_TRUE(Stops([] { Error_Message("Bad Input", "Please try again"); }, &stop_text));
    EXPECT_EQ(stop_text, "Program stopped by user request.");
    EXPECT_TRUE(console.contains("Program stopped by user request."));
    EXPECT_TRUE(script.script_errors.empty());
}

}  // namespace
