// SPDX-License-Identifier: GPL-3.0-or-later
// The spreadsheet operations of the call interface as the window layer sees
// them: the element of each data-type name, the blocks that are refused, and
// the block sizes handed to the window layer.
#include "UIK_Script.h"
#include "UIK_Spreadsheet_Interface.h"
#include "test_support.h"

namespace {

constexpr int Unit = 1000000;

std::vector<std::string> signals_of(const UIK_Script& script) {
    std::vector<std::string> list;
    for (const auto& r : script.requests) list.push_back(r.signal);
    return list;
}

class SpreadsheetInterface : public Call_Interface_Test {};

struct Type_Case {
    const char* name;
    UIK_Cell_Kind kind;
    std::size_t size;
};

TEST_F(SpreadsheetInterface, EachDataTypeNameGivesItsElement) {
    const Type_Case cases[] = {
        {"INTEGER*4", UIK_Cell_Kind::Integer4, 4},
        {"INTEGER*8", UIK_Cell_Kind::Integer8, 8},
        {"REAL*4", UIK_Cell_Kind::Real4, 4},
        {"REAL*8", UIK_Cell_Kind::Real8, 8},
        {"REAL*16", UIK_Cell_Kind::Real16, sizeof(long double)},
        {"COMPLEX*4", UIK_Cell_Kind::Complex8, 8},
        {"COMPLEX*8", UIK_Cell_Kind::Complex8, 8},
        {"COMPLEX*16", UIK_Cell_Kind::Complex16, 16},
        {"CHARACTER*", UIK_Cell_Kind::Character, 128},
        {"CHARACTER*12", UIK_Cell_Kind::Character, 12},
        {" REAL*8  ", UIK_Cell_Kind::Real8, 8},
        {"CHARACTER*0", UIK_Cell_Kind::None, 0},
        {"CHARACTER*x", UIK_Cell_Kind::None, 0},
        {"CHARACTER*99999999999999999999", UIK_Cell_Kind::None, 0},
        {"REAL*2", UIK_Cell_Kind::None, 0},
        {"real*8", UIK_Cell_Kind::None, 0},
        {"", UIK_Cell_Kind::None, 0},
    };
    for (const Type_Case& c : cases) {
        const UIK_Cell_Type type = UIK_Spreadsheet_Cell_Type(c.name);
        EXPECT_EQ(type.kind, c.kind) << c.name;
        EXPECT_EQ(type.size, c.size) << c.name;
    }
}

TEST_F(SpreadsheetInterface, BlocksTheWindowLayerCannotReadAreRefused) {
    UIK_Script script;
    int values[4] = {1, 2, 3, 4};
    EXPECT_EQ(UIK_writeSpreadsheet(Unit, values, "REAL*6", 2, 2), 0);
    EXPECT_EQ(UIK_readSpreadsheet(Unit, values, "CHARACTER*0", 2, 2), 0);
    EXPECT_EQ(UIK_writeSpreadsheet(Unit, nullptr, "INTEGER*4", 2, 2), 0);
    EXPECT_EQ(UIK_readSpreadsheet(Unit, nullptr, "INTEGER*4", 2, 2), 0);
    // More bytes than the window layer can copy.
    EXPECT_EQ(UIK_writeSpreadsheet(Unit, values, "CHARACTER*65535", 65535, 65535), 0);
    EXPECT_TRUE(script.requests.empty());

    // Negative counts are an empty block, which empties the table.
    EXPECT_EQ(UIK_writeSpreadsheet(Unit, nullptr, "INTEGER*4", -1, 3), 1);
    ASSERT_EQ(script.requests.size(), 1u);
    EXPECT_EQ(script.requests[0].nrows, 0);
    EXPECT_EQ(script.requests[0].ncols, 3);
    EXPECT_EQ(script.requests[0].dataBytes, 0u);
}

// A write does not wait: it hands over the size of its whole block, which the
// window layer copies before the design program can change it.
TEST_F(SpreadsheetInterface, WritesDoNotWaitAndCarryTheirBlockSize) {
    UIK_Script script;
    int values[2] = {1, 2};
    UIK_writeSpreadsheet(Unit, values, "INTEGER*4", 1, 2);
    UIK_writeSpreadsheet(Unit, values, "INTEGER*4", 1, 2);
    EXPECT_EQ(signals_of(script), (std::vector<std::string>{"writeSpreadsheet", "writeSpreadsheet"}));
    for (const UIK_Request& r : script.requests) {
        EXPECT_EQ(r.dataBytes, sizeof values);
        EXPECT_FALSE(r.waits);
    }
    script.requests.clear();
    UIK_readSpreadsheet(Unit, values, "INTEGER*4", 1, 2);
    ASSERT_EQ(script.requests.size(), 1u);
    EXPECT_TRUE(script.requests[0].waits);
    EXPECT_EQ(script.requests[0].dataOut, static_cast<void*>(values));
}

}  // namespace
