// SPDX-License-Identifier: GPL-3.0-or-later
// Unit I/O: files on unit numbers, the console with and without the window
// layer's hooks, window units, fixed-field and free-format reading, and the
// orderly stop.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <iostream>
#include <sstream>

#include "Program_Stop.h"
#include "Unit_IO.h"
#include "test_support.h"

namespace {

constexpr int File_Unit = 70;

std::string Write_File(const std::string& name, const std::string& content) {
    std::FILE* f = std::fopen(name.c_str(), "wb");
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
    return name;
}

class Unit_Files : public ::testing::Test {
protected:
    void SetUp() override { Reset_Design_Program(); }
    void TearDown() override { UNIT_Close_All_Files(); }
};

TEST_F(Unit_Files, WrittenLinesReadBackRewindAndClose) {
    std::remove("lines.txt");
    EXPECT_FALSE(UNIT_Is_Open(File_Unit));
    ASSERT_EQ(UNIT_Open(File_Unit, "lines.txt", UNIT_Mode::Write), UNIT_OK);
    EXPECT_TRUE(UNIT_Is_Open(File_Unit));
    EXPECT_EQ(UNIT_File_Name(File_Unit), "lines.txt");
    EXPECT_EQ(UNIT_Write(File_Unit, "first line"), UNIT_OK);
    EXPECT_EQ(UNIT_Write(File_Unit, ""), UNIT_OK);
    EXPECT_EQ(UNIT_Write(File_Unit, "  third, with blanks  "), UNIT_OK);
    EXPECT_EQ(UNIT_Close(File_Unit), UNIT_OK);
    EXPECT_FALSE(UNIT_Is_Open(File_Unit));
    EXPECT_EQ(UNIT_File_Name(File_Unit), "");
    EXPECT_EQ(UNIT_Close(File_Unit), UNIT_Not_Open);

    ASSERT_EQ(UNIT_Open(File_Unit, "lines.txt", UNIT_Mode::Read), UNIT_OK);
    std::string line;
    ASSERT_EQ(UNIT_Read_Line(File_Unit, line), UNIT_OK);
    EXPECT_EQ(line, "first line");
    ASSERT_EQ(UNIT_Read_Line(File_Unit, line), UNIT_OK);
    EXPECT_EQ(line, "");
    ASSERT_EQ(UNIT_Read_Line(File_Unit, line), UNIT_OK);
    EXPECT_EQ(line, "  third, with blanks  ");
    EXPECT_EQ(UNIT_Read_Line(File_Unit, line), UNIT_End_Of_File);
    EXPECT_EQ(UNIT_Read_Line(File_Unit, line), UNIT_End_Of_File);

    EXPECT_EQ(UNIT_Rewind(File_Unit), UNIT_OK);
    ASSERT_EQ(UNIT_Read_Line(File_Unit, line), UNIT_OK);
    EXPECT_EQ(line, "first line");
    EXPECT_EQ(UNIT_Close(File_Unit), UNIT_OK);
}

TEST_F(Unit_Files, LineEndsOfOtherSystemsAndAMissingLastLineEnd) {
    Write_File("crlf.csv", "Frequency,Response\r\n0.1,2\r\n0.2,3");
    ASSERT_EQ(UNIT_Open(File_Unit, "crlf.csv", UNIT_Mode::Read), UNIT_OK);
    std::vector<std::string> items;
    ASSERT_EQ(UNIT_Read_Items(File_Unit, items), UNIT_OK);
    EXPECT_EQ(items, (std::vector<std::string>{"Frequency", "Response"}));
    ASSERT_EQ(UNIT_Read_Items(File_Unit, items), UNIT_OK);
    EXPECT_EQ(items, (std::vector<std::string>{"0.1", "2"}));
    std::string line;
    ASSERT_EQ(UNIT_Read_Line(File_Unit, line), UNIT_OK);
    EXPECT_EQ(line, "0.2,3");
    EXPECT_EQ(UNIT_Read_Items(File_Unit, items), UNIT_End_Of_File);
    EXPECT_TRUE(items.empty());
}

// A file line is read up to the limit (a CR LF end does not count against
// it); a longer one is refused after the limit and two characters, so an
// endless line such as /dev/zero ends at once.
TEST_F(Unit_Files, FileLinesBeyondTheLimitAreRefusedUnreadToTheirEnd) {
    const std::string longest(UNIT_File_Line_Limit, 'x');
    Write_File("long.txt", longest + "\n" + longest + "\r\n" + longest + "y\n" + longest + "\ryz\nafter\n");
    ASSERT_EQ(UNIT_Open(File_Unit, "long.txt", UNIT_Mode::Read), UNIT_OK);
    std::string line;
    ASSERT_EQ(UNIT_Read_Line(File_Unit, line), UNIT_OK);
    EXPECT_EQ(line, longest);
    ASSERT_EQ(UNIT_Read_Line(File_Unit, line), UNIT_OK);
    EXPECT_EQ(line, longest);
    EXPECT_EQ(UNIT_Read_Line(File_Unit, line), UNIT_Line_Too_Long);
    EXPECT_EQ(line, "");
    EXPECT_EQ(UNIT_Read_Line(File_Unit, line), UNIT_Line_Too_Long);
    ASSERT_EQ(UNIT_Read_Line(File_Unit, line), UNIT_OK);
    EXPECT_EQ(line, "z");
    ASSERT_EQ(UNIT_Read_Line(File_Unit, line), UNIT_OK);
    EXPECT_EQ(line, "after");
    UNIT_Close(File_Unit);

    ASSERT_EQ(UNIT_Open(File_Unit, "/dev/zero", UNIT_Mode::Read), UNIT_OK);
    std::vector<std::string> items{"kept?"};
    EXPECT_EQ(UNIT_Read_Items(File_Unit, items), UNIT_Line_Too_Long);
    EXPECT_TRUE(items.empty());
}

TEST_F(Unit_Files, OpenAndWriteFailuresAreReported) {
    std::remove("missing.txt");
    EXPECT_EQ(UNIT_Open(File_Unit, "missing.txt", UNIT_Mode::Read), UNIT_Open_Failed);
    EXPECT_FALSE(UNIT_Is_Open(File_Unit));
    EXPECT_EQ(UNIT_Open(File_Unit, "no_such_folder/x.txt", UNIT_Mode::Write), UNIT_Open_Failed);
    EXPECT_EQ(UNIT_Write(File_Unit, "nowhere"), UNIT_Not_Open);
    std::string line;
    EXPECT_EQ(UNIT_Read_Line(File_Unit, line), UNIT_Not_Open);
    EXPECT_EQ(UNIT_Rewind(File_Unit), UNIT_Not_Open);

    Write_File("input.txt", "kept\n");
    ASSERT_EQ(UNIT_Open(File_Unit, "input.txt", UNIT_Mode::Read), UNIT_OK);
    // A second open on the same unit, or an open on a console unit, is refused.
    EXPECT_EQ(UNIT_Open(File_Unit, "other.txt", UNIT_Mode::Write), UNIT_Already_Open);
    EXPECT_EQ(UNIT_Open(UNIT_Console, "other.txt", UNIT_Mode::Write), UNIT_Already_Open);
    // Writing to a file opened for reading fails and leaves the file as it was.
    EXPECT_EQ(UNIT_Write(File_Unit, "overwritten"), UNIT_Write_Error);
    UNIT_Close(File_Unit);
    EXPECT_EQ(Read_Lines("input.txt"), (std::vector<std::string>{"kept"}));
}

TEST_F(Unit_Files, WritingAfterRewindStartsTheFileAnew) {
    ASSERT_EQ(UNIT_Open(File_Unit, "rewound.txt", UNIT_Mode::Write), UNIT_OK);
    UNIT_Write(File_Unit, "a long first line of old text");
    UNIT_Write(File_Unit, "old second line");
    UNIT_Rewind(File_Unit);
    UNIT_Write(File_Unit, "new");
    UNIT_Close(File_Unit);
    EXPECT_EQ(Read_Lines("rewound.txt"), (std::vector<std::string>{"new"}));
}

TEST_F(Unit_Files, WriteReplacesAndAppendExtends) {
    Write_File("log.txt", "old\n");
    ASSERT_EQ(UNIT_Open(File_Unit, "log.txt", UNIT_Mode::Append), UNIT_OK);
    UNIT_Write(File_Unit, "added");
    UNIT_Close(File_Unit);
    EXPECT_EQ(Read_Lines("log.txt"), (std::vector<std::string>{"old", "added"}));
    ASSERT_EQ(UNIT_Open(File_Unit, "log.txt", UNIT_Mode::Write), UNIT_OK);
    UNIT_Write(File_Unit, "only");
    UNIT_Close(File_Unit);
    EXPECT_EQ(Read_Lines("log.txt"), (std::vector<std::string>{"only"}));
}

TEST_F(Unit_Files, FlushMakesLinesVisibleWhileTheFileIsOpen) {
    ASSERT_EQ(UNIT_Open(File_Unit, "flushed.txt", UNIT_Mode::Write), UNIT_OK);
    UNIT_Write(File_Unit, "visible");
    UNIT_Flush(File_Unit);
    EXPECT_EQ(Read_Lines("flushed.txt"), (std::vector<std::string>{"visible"}));
    UNIT_Close(File_Unit);
}

// A file whose lines cannot reach the disk: /dev/full (every write of the
// buffer fails) or a file removed from its folder while open (every write
// succeeds and the lines are lost with the file).
struct Lost_Lines {
    const char* name;
    bool removed;      // else the unit is opened on /dev/full
    int lines;         // enough lines of 100 characters overflow the buffer at a write
    bool write_fails;  // some UNIT_Write already reports the failure
};

class Unit_Write_Failures : public Unit_Files, public ::testing::WithParamInterface<Lost_Lines> {};

TEST_P(Unit_Write_Failures, FlushAndCloseReportThemAndTheUnitIsClosed) {
    const Lost_Lines& c = GetParam();
    const std::string name = c.removed ? "removed.txt" : "/dev/full";
    ASSERT_EQ(UNIT_Open(File_Unit, name, UNIT_Mode::Write), UNIT_OK);
    if (c.removed) std::remove(name.c_str());
    bool write_failed = false;
    for (int i = 0; i < c.lines; ++i) write_failed |= UNIT_Write(File_Unit, std::string(100, 'x')) != UNIT_OK;
    EXPECT_EQ(write_failed, c.write_fails);
    // Flush and close both report it, an earlier failed write included.
    EXPECT_EQ(UNIT_Flush(File_Unit), UNIT_Write_Error);
    EXPECT_EQ(UNIT_Close(File_Unit), UNIT_Write_Error);
    EXPECT_FALSE(UNIT_Is_Open(File_Unit));
    EXPECT_EQ(UNIT_Failure_Reason(), c.removed ? std::string(UNIT_Removed_File_Reason) : std::strerror(ENOSPC));
    // The unit is free again and an ordinary file on it closes without complaint.
    ASSERT_EQ(UNIT_Open(File_Unit, "good.txt", UNIT_Mode::Write), UNIT_OK);
    EXPECT_EQ(UNIT_Write(File_Unit, "kept"), UNIT_OK);
    EXPECT_EQ(UNIT_Flush(File_Unit), UNIT_OK);
    EXPECT_EQ(UNIT_Close(File_Unit), UNIT_OK);
}

INSTANTIATE_TEST_SUITE_P(Files, Unit_Write_Failures,
                         ::testing::Values(Lost_Lines{"full_in_buffer", false, 1, false},
                                           Lost_Lines{"full_at_write", false, 200, true},
                                           Lost_Lines{"removed", true, 200, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Unit_Files, CloseAllFilesKeepsWindowsAndConsole) {
    UNIT_Hooks h;
    h.open_window = [](int&, const std::string&, const std::string&) { return 0; };
    h.write_text = [](const std::string& text, int) { return static_cast<int>(text.size()); };
    UNIT_Register_Hooks(h);
    int window = 1000000;
    ASSERT_EQ(UNIT_Open_Window(window, "Plot", "write"), UNIT_OK);
    ASSERT_EQ(UNIT_Open(File_Unit, "a.txt", UNIT_Mode::Write), UNIT_OK);
    ASSERT_EQ(UNIT_Open(File_Unit + 1, "b.txt", UNIT_Mode::Write), UNIT_OK);
    UNIT_Close_All_Files();
    EXPECT_FALSE(UNIT_Is_Open(File_Unit));
    EXPECT_FALSE(UNIT_Is_Open(File_Unit + 1));
    EXPECT_TRUE(UNIT_Is_Open(window));
    EXPECT_TRUE(UNIT_Is_Open(UNIT_Console));
    UNIT_Close(window);
    UNIT_Clear_Hooks();
}

// ---- Console ----

// Swaps the standard streams for string streams while it lives.
class Standard_Streams {
public:
    explicit Standard_Streams(const std::string& input) : in_(input) {
        old_out_ = std::cout.rdbuf(out_.rdbuf());
        old_in_ = std::cin.rdbuf(in_.rdbuf());
    }
    ~Standard_Streams() {
        std::cout.rdbuf(old_out_);
        std::cin.rdbuf(old_in_);
        std::cin.clear();
    }
    std::string output() const { return out_.str(); }

private:
    std::ostringstream out_;
    std::istringstream in_;
    std::streambuf* old_out_;
    std::streambuf* old_in_;
};

TEST(Unit_Console, WithoutHooksUsesTheStandardStreams) {
    UNIT_Clear_Hooks();
    Standard_Streams streams("typed answer\r\nsecond\n");
    for (int unit : {-4, -3, -2, UNIT_Standard_Output, UNIT_Standard_Input}) {
        EXPECT_TRUE(UNIT_Is_Open(unit)) << unit;
        EXPECT_EQ(UNIT_Write(unit, "to console " + std::to_string(unit)), UNIT_OK);
    }
    EXPECT_EQ(streams.output(), "to console -4\nto console -3\nto console -2\nto console 6\nto console 5\n");
    std::string line;
    ASSERT_EQ(UNIT_Read_Line(UNIT_Console, line), UNIT_OK);
    EXPECT_EQ(line, "typed answer");
    ASSERT_EQ(UNIT_Read_Line(UNIT_Standard_Input, line), UNIT_OK);
    EXPECT_EQ(line, "second");
    EXPECT_EQ(UNIT_Read_Line(UNIT_Console, line), UNIT_End_Of_File);
    // Console units are never closed.
    EXPECT_EQ(UNIT_Close(UNIT_Console), UNIT_Not_Open);
    EXPECT_TRUE(UNIT_Is_Open(UNIT_Console));
}

TEST(Unit_Console, WithHooksEveryConsoleUnitReachesTheWindowLayer) {
    std::vector<std::pair<std::string, int>> written;
    std::vector<int> read_units;
    std::deque<int> read_results;  // what the hook answers: >= 0 a line, else the code
    UNIT_Hooks h;
    h.write_text = [&](const std::string& text, int unit) {
        written.emplace_back(text, unit);
        return static_cast<int>(text.size());
    };
    h.read_line = [&](char* buffer, int length, int unit) {
        read_units.push_back(unit);
        int code = read_results.front();
        read_results.pop_front();
        if (code < 0) return code;
        std::string line = "answer\r\n";
        int n = std::min(length, static_cast<int>(line.size()));
        std::copy(line.begin(), line.begin() + n, buffer);
        return n;
    };
    UNIT_Register_Hooks(h);
    Standard_Streams streams("");
    for (int unit : {-4, -3, -2, UNIT_Standard_Output}) UNIT_Write(unit, "x");
    // Standard output has no window of its own: it is handed over as the console.
    EXPECT_EQ(written, (std::vector<std::pair<std::string, int>>{{"x", -4}, {"x", -3}, {"x", -2}, {"x", -2}}));
    EXPECT_EQ(streams.output(), "");

    read_results = {0, UNIT_End_Of_File, UNIT_Line_Too_Long};
    std::string line;
    EXPECT_EQ(UNIT_Read_Line(UNIT_Standard_Input, line), UNIT_OK);
    EXPECT_EQ(line, "answer");
    EXPECT_EQ(UNIT_Read_Line(-3, line), UNIT_End_Of_File);  // the read was cancelled
    EXPECT_EQ(UNIT_Read_Line(-2, line), UNIT_Line_Too_Long);
    EXPECT_EQ(read_units, (std::vector<int>{-2, -3, -2}));
    UNIT_Clear_Hooks();
}

TEST(Unit_Console, CaptureAnswersReadsFromItsQueue) {
    Console_Capture console;
    console.input = {"first", "  second  "};
    std::string line;
    ASSERT_EQ(UNIT_Read_Line(UNIT_Console, line), UNIT_OK);
    EXPECT_EQ(line, "first");
    std::vector<std::string> items;
    ASSERT_EQ(UNIT_Read_Items(UNIT_Console, items), UNIT_OK);
    EXPECT_EQ(items, (std::vector<std::string>{"second"}));
    EXPECT_EQ(UNIT_Read_Line(UNIT_Console, line), UNIT_End_Of_File);
}

TEST(Unit_Windows, OpenWriteAndCloseThroughTheHooks) {
    Reset_Design_Program();
    std::vector<std::pair<std::string, int>> written;
    std::vector<int> closed;
    int next_automatic = 1000000;
    UNIT_Hooks h;
    h.open_window = [&](int& unit, const std::string&, const std::string&) {
        if (unit == UNIT_Automatic) unit = next_automatic++;
        return 0;
    };
    h.close_window = [&](int unit) {
        closed.push_back(unit);
        return 0;
    };
    h.write_text = [&](const std::string& text, int unit) {
        written.emplace_back(text, unit);
        return 0;
    };
    UNIT_Register_Hooks(h);

    int window = UNIT_Automatic;
    ASSERT_EQ(UNIT_Open_Window(window, "Spreadsheet", "readwrite"), UNIT_OK);
    EXPECT_EQ(window, 1000000);
    EXPECT_TRUE(UNIT_Is_Open(window));
    EXPECT_EQ(UNIT_File_Name(window), "");
    UNIT_Write(window, "cell text");
    EXPECT_EQ(written, (std::vector<std::pair<std::string, int>>{{"cell text", 1000000}}));
    EXPECT_EQ(UNIT_Close(window), UNIT_OK);
    EXPECT_EQ(closed, std::vector<int>{1000000});
    EXPECT_FALSE(UNIT_Is_Open(window));

    // A unit holding a file, or a console unit, cannot become a window.
    ASSERT_EQ(UNIT_Open(File_Unit, "held.txt", UNIT_Mode::Write), UNIT_OK);
    int unit = File_Unit;
    EXPECT_EQ(UNIT_Open_Window(unit, "Plot", "write"), UNIT_Already_Open);
    EXPECT_EQ(UNIT_Write(File_Unit, "still a file"), UNIT_OK);
    UNIT_Close(File_Unit);
    EXPECT_EQ(Read_Lines("held.txt"), (std::vector<std::string>{"still a file"}));
    unit = UNIT_Console;
    EXPECT_EQ(UNIT_Open_Window(unit, "Plot", "write"), UNIT_Already_Open);
    UNIT_Clear_Hooks();

    // Without a window layer nobody hands out an automatic number.
    int automatic = UNIT_Automatic;
    EXPECT_EQ(UNIT_Open_Window(automatic, "Plot", "write"), UNIT_Open_Failed);
    EXPECT_FALSE(UNIT_Is_Open(UNIT_Automatic));
}

// ---- Fixed fields ----

struct Integer_Field_Case {
    const char* text;
    int width;
    int status;
    int value;  // expected value; on a read error the previous value stays
};

class Integer_Fields : public ::testing::TestWithParam<Integer_Field_Case> {};

TEST_P(Integer_Fields, Read) {
    const auto& c = GetParam();
    int value = -999;
    EXPECT_EQ(UNIT_Read_Integer_Field(c.text, c.width, value), c.status);
    EXPECT_EQ(value, c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Unit_IO, Integer_Fields,
    ::testing::Values(Integer_Field_Case{"42", 10, UNIT_OK, 42}, Integer_Field_Case{"   42     ", 10, UNIT_OK, 42},
                      Integer_Field_Case{"-17", 10, UNIT_OK, -17}, Integer_Field_Case{"+5", 10, UNIT_OK, 5},
                      // Blanks anywhere in the field are ignored; an all-blank field is 0.
                      Integer_Field_Case{" 4 2", 10, UNIT_OK, 42}, Integer_Field_Case{"", 10, UNIT_OK, 0},
                      Integer_Field_Case{"          ", 10, UNIT_OK, 0},
                      // Only the first `width` characters count.
                      Integer_Field_Case{"12abc", 2, UNIT_OK, 12}, Integer_Field_Case{"     7", 5, UNIT_OK, 0},
                      Integer_Field_Case{"2147483647", 10, UNIT_OK, 2147483647},
                      Integer_Field_Case{"2147483648", 10, UNIT_Read_Error, -999},
                      Integer_Field_Case{"4.2", 10, UNIT_Read_Error, -999},
                      Integer_Field_Case{"abc", 10, UNIT_Read_Error, -999},
                      Integer_Field_Case{"-", 10, UNIT_Read_Error, -999},
                      Integer_Field_Case{"1e3", 10, UNIT_Read_Error, -999}));

struct Real_Field_Case {
    const char* text;
    int width;
    int status;
    double value;
};

class Real_Fields : public ::testing::TestWithParam<Real_Field_Case> {};

TEST_P(Real_Fields, Read) {
    const auto& c = GetParam();
    double value = -999.0;
    EXPECT_EQ(UNIT_Read_Real_Field(c.text, c.width, value), c.status);
    EXPECT_EQ(value, c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Unit_IO, Real_Fields,
    ::testing::Values(
        Real_Field_Case{"0.08", 40, UNIT_OK, 0.08}, Real_Field_Case{"  -1.5  ", 40, UNIT_OK, -1.5},
        // Without a decimal point the number is whole.
        Real_Field_Case{"3", 40, UNIT_OK, 3.0}, Real_Field_Case{".5", 40, UNIT_OK, 0.5},
        Real_Field_Case{"1e3", 20, UNIT_OK, 1000.0}, Real_Field_Case{"2.5D-1", 20, UNIT_OK, 0.25},
        Real_Field_Case{" - 1 . 5 ", 20, UNIT_OK, -1.5}, Real_Field_Case{"", 20, UNIT_OK, 0.0},
        Real_Field_Case{"1.25xyz", 4, UNIT_OK, 1.25}, Real_Field_Case{"1e-310", 20, UNIT_OK, 1e-310},
        Real_Field_Case{"+", 20, UNIT_Read_Error, -999.0}, Real_Field_Case{"E5", 20, UNIT_Read_Error, -999.0},
        Real_Field_Case{".", 20, UNIT_Read_Error, -999.0}, Real_Field_Case{"1.2.3", 20, UNIT_Read_Error, -999.0},
        Real_Field_Case{"1.5e", 20, UNIT_Read_Error, -999.0}, Real_Field_Case{"inf", 20, UNIT_Read_Error, -999.0},
        Real_Field_Case{"nan", 20, UNIT_Read_Error, -999.0}, Real_Field_Case{"0x10", 20, UNIT_Read_Error, -999.0},
        // Beyond the range of a double: no number, not infinity.
        Real_Field_Case{"1e400", 20, UNIT_Read_Error, -999.0}, Real_Field_Case{"-1e400", 20, UNIT_Read_Error, -999.0}));

// ---- Free-format items ----

struct Items_Case {
    const char* line;
    std::vector<std::string> items;
};

class Free_Format_Items : public ::testing::TestWithParam<Items_Case> {};

TEST_P(Free_Format_Items, Split) { EXPECT_EQ(UNIT_Free_Format_Items(GetParam().line), GetParam().items); }

INSTANTIATE_TEST_SUITE_P(Unit_IO, Free_Format_Items,
                         ::testing::Values(Items_Case{"1, 2, 3", {"1", "2", "3"}},
                                           Items_Case{"1 2   3", {"1", "2", "3"}},
                                           Items_Case{"0.1,-3.5", {"0.1", "-3.5"}}, Items_Case{"x ,y", {"x", "y"}},
                                           Items_Case{"x , y", {"x", "y"}}, Items_Case{"\t7\t8", {"7", "8"}},
                                           // Two commas with nothing between them give an empty item.
                                           Items_Case{"a,,b", {"a", "", "b"}}, Items_Case{"a, ,b", {"a", "", "b"}},
                                           Items_Case{",5", {"", "5"}}, Items_Case{"5,", {"5"}},
                                           Items_Case{"1.5,2.5\r\n", {"1.5", "2.5"}}, Items_Case{"", {}},
                                           Items_Case{"    ", {}}));

struct Number_Case {
    const char* item;
    bool integer_ok;
    long long integer;
    bool real_ok;
    double real;
};

class Item_Numbers : public ::testing::TestWithParam<Number_Case> {};

TEST_P(Item_Numbers, Parse) {
    const auto& c = GetParam();
    long long i = -1;
    double r = -1.0;
    EXPECT_EQ(UNIT_Parse_Integer(c.item, i), c.integer_ok);
    if (c.integer_ok) { EXPECT_EQ(i, c.integer); }
    EXPECT_EQ(UNIT_Parse_Real(c.item, r), c.real_ok);
    if (c.real_ok) { EXPECT_EQ(r, c.real); }
}

INSTANTIATE_TEST_SUITE_P(Unit_IO, Item_Numbers,
                         ::testing::Values(Number_Case{"12", true, 12, true, 12.0},
                                           Number_Case{" -3 ", true, -3, true, -3.0},
                                           Number_Case{"0.25", false, 0, true, 0.25},
                                           Number_Case{"1d2", false, 0, true, 100.0},
                                           Number_Case{"", false, 0, false, 0}, Number_Case{"1 2", false, 0, false, 0},
                                           Number_Case{"9223372036854775808", false, 0, true, 9223372036854775808.0},
                                           Number_Case{"Frequency", false, 0, false, 0}));

// ---- Orderly stop ----

TEST(Unit_Stop, StopWritesItsTextAndEndsOnlyTheProgram) {
    Console_Capture console;
    bool after_stop = false;
    std::string text = "not set";
    EXPECT_TRUE(Stops(
        [&] {
            UNIT_Write(UNIT_Console, "before");
            KALTAP_Stop("Program terminated at user request.   ");
            after_stop = true;
        },
        &text));
    EXPECT_FALSE(after_stop);
    EXPECT_EQ(text, "Program terminated at user request.");
    EXPECT_EQ(console.lines, (std::vector<std::string>{"before", "Program terminated at user request."}));

    // A blank stop text gives an empty line.
    console.lines.clear();
    EXPECT_TRUE(Stops([] { KALTAP_Stop(" "); }, &text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(console.lines, std::vector<std::string>{""});

    // A program that returns did not stop.
    console.lines.clear();
    text = "left over";
    EXPECT_FALSE(Stops([] { UNIT_Write(UNIT_Console, "done"); }, &text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(console.lines, std::vector<std::string>{"done"});
}

TEST(Unit_Stop, OrdinaryErrorHandlersDoNotSwallowAStop) {
    Console_Capture console;
    bool caught_by_program = false;
    EXPECT_TRUE(Stops([&] {
        try {
            KALTAP_Stop("stopped");
        } catch (const std::exception&) { caught_by_program = true; }
    }));
    EXPECT_FALSE(caught_by_program);
}

}  // namespace
