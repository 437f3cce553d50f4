// SPDX-License-Identifier: GPL-3.0-or-later
// The call interface between the design program and the window layer.
//
// The design program asks for windows, dialogs, alerts, plots and menu items
// through the UIK_* operations below. Each operation reads the design
// program's records (blank-padded 128-character texts, plain numbers), builds
// one request with a property map whose keys keep the order in which they are
// inserted, and hands it to the window layer through a single seam,
// `UIK_Window_Layer::Carry_Out`. The window program implements the seam with
// Qt; the tests of the design program implement it with a scripted stand-in.
//
// Unit numbers of new windows and identifiers of dialog controls come from
// one automatic counter whose first value is 1,000,000. The dialog answer
// registry remembers, for every control that returns a value, where its
// answer is written back when its dialog is accepted.
//
// Everything here runs on the design program's thread; nothing is locked.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <utility>
#include <variant>
#include <vector>

// ---- Texts of the design program's records ----

constexpr int UIK_Text_Length = 128;

// A fixed-length text field of 128 characters, padded with blanks.
struct UIK_Text {
    std::array<char, UIK_Text_Length> c;
    UIK_Text() { c.fill(' '); }
    UIK_Text(const std::string& s) { set(s); }  // NOLINT: texts are assigned from strings everywhere
    // Store s, cut at 128 characters and filled with blanks.
    void set(const std::string& s);
    // All 128 characters.
    std::string raw() const { return std::string(c.data(), c.size()); }
    // The text without its trailing blanks (an all-blank field gives "").
    std::string trimmed() const;
};

// Trailing blanks removed (the rule for every text handed to the window layer).
std::string UIK_Trim_Trailing(const std::string& s);

// ---- Records (fields in the order the window layer expects) ----

struct UIK_TextWindow_Record {
    int unit = 0;
    UIK_Text windowName;
    int width = 0;
    int height = 0;
};

struct UIK_XYPlot_Record {
    int unit = 0;
    UIK_Text windowTitle;
    UIK_Text xAxisName;
    UIK_Text yAxisName;
    unsigned chartBackgroundColor = 0;
    int xScaleType = 0;
    double xScaleUB = -1.0;  // upper bound before lower bound, as in the record
    double xScaleLB = -1.0;
    double xScaleStep = -1.0;
    int yScaleType = 0;
    double yScaleUB = -1.0;
    double yScaleLB = -1.0;
    double yScaleStep = -1.0;
    int showHgridLines = 0;
    int showVgridLines = 0;
};

// How a curve joins its points ("curveStyle"); symbols are drawn as
// symbolStyle says whatever the style.
enum UIK_Curve_Style : int {
    UIK_Curve_None = -1,   // symbols only
    UIK_Curve_Lines = 0,   // straight lines from point to point
    UIK_Curve_Sticks = 1,  // a vertical line from y = 0 to each point (stems)
    UIK_Curve_Steps = 2,   // horizontal then vertical to each next point
};

struct UIK_XYSeries_Record {
    UIK_Text curveLabel;
    unsigned curveColor = 0;
    int curveLineWidth = 1;
    unsigned dotColor = 0;
    int dotSize = 0;
    int symbolStyle = -1;
    int fittedCurve = 0;
    int curveStyle = UIK_Curve_Lines;
    // Not blank: the curve is one the user may hide. It is drawn beneath the
    // others, and the plot's context menu gets a checkable item of this text
    // that hides it while checked.
    UIK_Text hideItem;
};

struct UIK_Dialog_Record {
    int unit = 0;
    UIK_Text windowTitle;
    // False: the window layer starts every control from the value the
    // design program passes, never from an entry the user accepted in an
    // earlier dialog of this title, and keeps none of this dialog's entries.
    bool remembered = true;
};

struct UIK_Label_Record {
    int labelId = 0;
    UIK_Text text;
};

struct UIK_CheckBox_Record {
    int labelId = 0;
    UIK_Text title;
    int checked = 0;  // receives the answer
};

struct UIK_LineEdit_Record {
    int labelId = 0;
    UIK_Text title;
    UIK_Text text;  // receives the answer
    UIK_Text placeholder;
};

struct UIK_RadioButtons_Record {
    int labelId = 0;
    UIK_Text title;
    std::vector<UIK_Text> itemList;
    int selected = 1;  // receives the answer (1-based)
};

struct UIK_ComboBox_Record {
    int labelId = 0;
    UIK_Text title;
    std::vector<UIK_Text> itemList;
    int selected = 1;  // receives the answer (1-based)
};

// mode: 2 choose a directory, 3 allow a new file name, other values an
// existing file.
struct UIK_FileField_Record {
    int labelId = 0;
    UIK_Text title;
    UIK_Text defaultDirectory;
    UIK_Text placeholder;
    UIK_Text text;  // receives the chosen path
    int mode = 0;
};

// ---- Requests and the seam ----

using UIK_Value = std::variant<int, unsigned, double, bool, std::string, std::vector<std::string>>;
// Keys in insertion order; the window layer turns this into its own map.
using UIK_Property_Map = std::vector<std::pair<std::string, UIK_Value>>;

// The value stored under `key`, or nullptr.
const UIK_Value* UIK_Find(const UIK_Property_Map& map, const std::string& key);

// A routine of the design program bound to a menu item or a timer; runs when
// chosen or when the timer fires.
using UIK_Callback = int (*)();
// The data routine of a contour plot: z at (x, y).
using UIK_Contour_Callback = double (*)(double& x, double& y);

// Data types of the array-writing operations.
extern const char* const UIK_Data_Types[5];  // "INTEGER*4" "INTEGER*8" "REAL*4" "REAL*8" "REAL*16"

// The operations of the window layer, one per kind of request.
enum class UIK_Op {
    createWindow,
    writeText,
    closeWindow,
    moveWindow,
    activateUIKWindow,
    saveWindowContents,
    alertBox,
    createDialogWindow,
    addLabelToDialog,
    addComboBoxToDialog,
    addCheckBoxToDialog,
    addLineEditToDialog,
    addFileDialogToDialog,
    addRadioButtonsToDialog,
    showDialogWindow,
    addMenu,
    enableItem,
    getSaveFileName,
    createXYPlot,
    writeXYPlot,
    clearXYPlot,
    writeSpreadsheet,
    readSpreadsheet,
    setHorizontalLabels,
    setVerticalLabels,
    createBarchart,
    writeBarchart,
    createPieChart,
    writePieChart,
    createPolarPlot,
    writePolarPlot,
    clearPolarPlot,
    createContourPlot,
    writeContourPlot,
    clearContourPlot,
    createCanvas,
    clearCanvas,
    createObjectOnCanvas,
    createTimerWindow,
    destroyTimerWindow,
    rememberDialogEntry,
    Count
};
// The name of `op` ("createDialogWindow" for UIK_Op::createDialogWindow).
const char* UIK_Op_Name(UIK_Op op);

struct UIK_Request {
    UIK_Op op = UIK_Op::Count;
    std::string signal;  // UIK_Op_Name(op), for the scripted stand-in of the tests
    int unit = 0;
    int labelId = 0;
    // Named arguments (title, text, checked, ...) and the property maps of
    // the create and write operations, in the order of the call interface.
    UIK_Property_Map properties;
    // Array writes: nrows rows of ncols values each, row after row. The
    // window layer reads the data while the operation waits.
    const void* data = nullptr;
    std::string dataType;
    int nrows = 0;
    int ncols = 0;
    // Size in bytes of the data block; set by operations whose block the
    // window layer copies instead of reading it while the operation waits.
    std::size_t dataBytes = 0;
    // For readSpreadsheet: the block the window layer fills.
    void* dataOut = nullptr;
    UIK_Callback callback = nullptr;                 // addMenu, createTimerWindow
    UIK_Contour_Callback contourCallback = nullptr;  // writeContourPlot
    bool waits = false;                              // the operation returns only after the answer
};

class UIK_Window_Layer {
public:
    virtual ~UIK_Window_Layer() = default;
    // Carries one request out, in the order requests are made. For a request
    // that waits it returns once the window layer has finished it. Answers:
    // "showDialogWindow" its answer list, "getSaveFileName" the path and the
    // file type chosen, "saveWindowContents" nothing when the file was
    // written and else one entry, the reason it was not; other requests an
    // empty list. Requests are told apart by `op`, never by name.
    virtual std::vector<std::string> Carry_Out(const UIK_Request& request) = 0;
};

// The window layer that carries requests out; nullptr (the start) means none:
// every operation then has no effect and returns its no-window result, while
// unit numbers and identifiers are still assigned.
void UIK_Set_Window_Layer(UIK_Window_Layer* layer);
UIK_Window_Layer* UIK_Current_Window_Layer();

// Hands one request to the window layer (nothing happens without one) and
// returns its answer list. The operations of every content kind use it.
std::vector<std::string> UIK_Carry_Out(const UIK_Request& request);

// Building blocks of the operations of every content kind:
// a request for `op` on `unit` (and control or object `label_id`),
UIK_Request UIK_Request_For(UIK_Op op, int unit = 0, int label_id = 0);
// one more entry of its property map (keys keep the order they are put in),
void UIK_Put(UIK_Request& request, const char* key, UIK_Value value);
// a request for `op` on `unit` that hands over an nrows x ncols block of
// `data_type` (the type without its trailing blanks),
UIK_Request UIK_Block_Request(UIK_Op op, int unit, const void* data, const std::string& data_type, int nrows,
                              int ncols);
// a curve's style in the order XY and polar series list it: curveLabel,
// curveColor, dotColor, symbolStyle, curveLineWidth, dotSize (and curveStyle
// when it is not UIK_Curve_Lines),
template <class Series>
void UIK_Put_Curve_Style(UIK_Request& request, const Series& series) {
    UIK_Put(request, "curveLabel", series.curveLabel.trimmed());
    UIK_Put(request, "curveColor", series.curveColor);
    UIK_Put(request, "dotColor", series.dotColor);
    UIK_Put(request, "symbolStyle", series.symbolStyle);
    UIK_Put(request, "curveLineWidth", series.curveLineWidth);
    UIK_Put(request, "dotSize", series.dotSize);
    // Sent only when not the default, so the plain curves' requests stay as they were.
    if (series.curveStyle != UIK_Curve_Lines) UIK_Put(request, "curveStyle", series.curveStyle);
}
// texts without their trailing blanks, for item lists,
std::vector<std::string> UIK_Trimmed_Items(const std::vector<UIK_Text>& items);
// and the shortest text that reads back as `value`, with a decimal point
// whatever the process's locale (for numbers sent in string lists).
std::string UIK_Number_Text(double value);

// ---- Automatic unit counter and answer registry ----

constexpr int UIK_First_Automatic_Unit = 1000000;

// The next number of the automatic counter (first 1,000,000); each call
// takes one. Also serves the window layer's automatic window units.
int UIK_Next_Unit_Number();

// Control kinds of the answer registry.
enum UIK_Control_Kind {
    UIK_Combo_Box = 1,
    UIK_Check_Box = 2,
    UIK_Line_Edit = 3,
    UIK_File_Field = 4,
    UIK_Radio_Buttons = 5
};

// Empties the registry and restarts the counter at 1,000,000. For tests that
// need the first numbers of a fresh process; the program never calls it.
void UIK_Reset_Call_Interface();

// ---- Operations (result 1 unless stated) ----

// Text window: unit from the counter; the name is handed on with its
// trailing blanks; access "ACCESS=window,<width>,<height>".
int UIK_createWindow(UIK_TextWindow_Record& window);
// Write text (a line feed is appended). Result 0.
int UIK_writeText(int unit, const std::string& text);
// Read one line of the console or a text window into buffer (length bytes):
// the line is cut at its first line feed and blank-padded to `length`.
// Result: bytes stored by the read (line plus CR LF, capped at length), -1
// when the read was cancelled or nothing can be read, -3 for a line longer
// than the buffer.
int UIK_readText(int unit, char* buffer, int length);

// Generic window operations: only the record's unit is used.
int UIK_closeWindow_Unit(int unit);
int UIK_moveWindow_Unit(int unit, int x, int y);
int UIK_activateWindow_Unit(int unit);
// Saves the contents of `unit`'s window (a plot as an image, a text window's
// text) under file_name (trailing blanks removed; the window layer may add
// the image kind's extension); waits until the window layer has written the
// file, whole or not at all. Result 0 when the file was written (or there is
// no window layer to ask), UIK_Save_Failed when it was not: then
// UIK_Save_Failure_Reason() tells why.
int UIK_saveWindowContents_Unit(int unit, const std::string& file_name);
constexpr int UIK_Save_Failed = 1;
// Why the most recent UIK_saveWindowContents_Unit did not write its file, in
// the window layer's words (e.g. "No space left on device"); never empty
// after a failed save, empty after one that wrote its file.
std::string UIK_Save_Failure_Reason();
template <class Record>
int UIK_closeWindow(Record& r) {
    return UIK_closeWindow_Unit(r.unit);
}
template <class Record>
int UIK_moveWindow(Record& r, int x, int y) {
    return UIK_moveWindow_Unit(r.unit, x, y);
}
template <class Record>
int UIK_activateWindow(Record& r) {
    return UIK_activateWindow_Unit(r.unit);
}
// UIK_saveWindowContents_Unit for the record's unit.
template <class Record>
int UIK_saveWindowContents(Record& r, const std::string& file_name) {
    return UIK_saveWindowContents_Unit(r.unit, file_name);
}

// Alert box with one OK button; waits until it is dismissed.
int UIK_alertBox(const std::string& title, const std::string& text);

// Dialogs: the create call takes a new unit; each control a new identifier.
int UIK_createDialog(UIK_Dialog_Record& dialog);
int UIK_addLabel(int dialog_unit, UIK_Label_Record& label);
int UIK_addComboBox(int dialog_unit, UIK_ComboBox_Record& combo);
int UIK_addCheckBox(int dialog_unit, UIK_CheckBox_Record& check);
int UIK_addLineEdit(int dialog_unit, UIK_LineEdit_Record& edit);
int UIK_addFileField(int dialog_unit, UIK_FileField_Record& file);
int UIK_addRadioButtons(int dialog_unit, UIK_RadioButtons_Record& radio);
// Shows the dialog and waits for its answer list ("1" or "0", then one value
// per value-returning control in the order added). Only on "1" are the
// values written back into the records: an integer for combo boxes, check
// boxes and radio buttons (text that is not a number gives 0), a blank-filled
// 128-character text for line edits and file fields. Returns the first
// answer as a number (1 accepted), 0 when there is no answer or no window
// layer.
int UIK_showDialog(int dialog_unit);

// Makes `entry` the entry remembered for field `field` (its memory name, see
// UIK_Preset_Answers.h) of the dialogs titled `dialog_title`, as if the user
// had accepted it there ("rememberDialogEntry"). Result 0.
int UIK_rememberDialogEntry(const std::string& dialog_title, const std::string& field, const std::string& entry);

// Menu item on the menu bar of `unit`'s window, bound to `callback`.
// Shortcut: portable text ("Ctrl+N"), blank for none. Result 0.
int UIK_addMenu(int unit, const std::string& menu, const std::string& item, UIK_Callback callback,
                const std::string& shortcut = std::string());
// Enables (state true) or disables the item added by UIK_addMenu with the
// same unit, menu and item texts ("enableItem"). Result 0.
int UIK_enableMenuItem(int unit, const std::string& menu, const std::string& item, bool state);

// Save-file dialog titled `caption` ("getSaveFileName"), listing one file
// type per entry of `file_types` (e.g. "C/C++ header (*.h)"); entry
// `selected_type` (1-based) is chosen at first. Waits for the user. Returns
// the path chosen, "" when the dialog was cancelled (or there is no window
// layer), and stores the 1-based number of the file type chosen in
// `selected_type` (left unchanged on cancel).
std::string UIK_getSaveFileName(const std::string& caption, const std::vector<std::string>& file_types,
                                int& selected_type);

// XY plots: the create call takes a new unit.
int UIK_createXYPlot(UIK_XYPlot_Record& plot);
// One series of nrows points; data holds nrows rows of ncols values of
// `data_type` (x first). Waits until the window layer has read the data.
int UIK_writeXYPlot(int plot_unit, const void* data, const std::string& data_type, int nrows, int ncols,
                    const UIK_XYSeries_Record& series);
int UIK_clearXYPlot(UIK_XYPlot_Record& plot);
