// SPDX-License-Identifier: GPL-3.0-or-later
// Unit I/O: the design program reads and writes text on logical unit numbers.
//
// A unit is either a file opened by name (`UNIT_Open`), or a window of the
// window layer: the console units (-4, -3, -2, plus 5 and 6 for standard input
// and output) and windows opened through `UNIT_Open_Window`. Window text goes
// through hooks that the window layer registers; with no hooks registered the
// console writes to the process's standard output and reads from its standard
// input, so the design program runs without any window layer at all.
//
// All routines run on the design program's thread; nothing here is locked.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Console units. -4, -3 and -2 all address the console window; 5 (standard
// input) and 6 (standard output) reach it too and are handed to the hooks as -2.
constexpr int UNIT_Console = -2;
constexpr int UNIT_Standard_Output = 6;
constexpr int UNIT_Standard_Input = 5;
// An open-window request with this unit number gets the next automatic number.
constexpr int UNIT_Automatic = -1000;

// Status codes of the unit operations (Fortran IOSTAT style).
constexpr int UNIT_OK = 0;
constexpr int UNIT_End_Of_File = -1;
constexpr int UNIT_Not_Open = 1;
constexpr int UNIT_Open_Failed = 2;
constexpr int UNIT_Already_Open = 3;
constexpr int UNIT_Read_Error = 4;
constexpr int UNIT_Write_Error = 5;
constexpr int UNIT_Line_Too_Long = -3;

// Hooks of the window layer. Any of them may be empty.
//  write_text(text, unit)                -> length written, or -1
//  read_line(buffer, buffer_length, unit) -> bytes stored (line plus CR LF,
//                                           capped at buffer_length); -1 when the
//                                           read was cancelled; -3 when the line
//                                           is longer than the buffer
//  open_window(unit in/out, name, access) -> 0
//  close_window(unit)                     -> 0
//  file_name(unit, new_file, name out)    -> length of the name
//  stop()                                 -> parks the design program's thread
struct UNIT_Hooks {
    std::function<int(const std::string& text, int unit)> write_text;
    std::function<int(char* buffer, int buffer_length, int unit)> read_line;
    std::function<int(int& unit, const std::string& name, const std::string& access)> open_window;
    std::function<int(int unit)> close_window;
    std::function<int(int unit, bool new_file, std::string& name)> file_name;
    std::function<void()> stop;
};

void UNIT_Register_Hooks(const UNIT_Hooks& hooks);
void UNIT_Clear_Hooks();
const UNIT_Hooks& UNIT_Current_Hooks();

// Write replaces an existing file as it goes; Append adds to it; Replace
// writes a temporary file beside the final name that the unit's close
// renames over it once every line has been written and flushed (see
// Atomic_File.h), so the name never holds a partial file.
enum class UNIT_Mode { Read, Write, Append, Replace };

// True for -4, -3, -2, 5 and 6.
bool UNIT_Is_Console(int unit);

// Open `file_name` on `unit`. Write replaces an existing file, Append adds to it.
// Returns UNIT_OK or UNIT_Open_Failed / UNIT_Already_Open; a Replace unit
// that cannot be created leaves the system's reason in UNIT_Failure_Reason.
int UNIT_Open(int unit, const std::string& file_name, UNIT_Mode mode);

// Open a window unit through the window layer; `unit` may be UNIT_Automatic,
// in which case the window layer's automatic number is stored back. A console
// unit or a unit with an open file gives UNIT_Already_Open.
int UNIT_Open_Window(int& unit, const std::string& window_name, const std::string& access);

// True when `unit` is a console unit, an open window or an open file.
bool UNIT_Is_Open(int unit);

// Name of the file open on `unit` ("" for windows and closed units).
std::string UNIT_File_Name(int unit);

// Write one line (a line end is appended). Returns UNIT_OK, UNIT_Not_Open, or
// UNIT_Write_Error (a file opened for reading, or the write failed; see
// UNIT_Failure_Reason). Lines to files are buffered: a full disk may show
// only at the next flush or close.
int UNIT_Write(int unit, const std::string& line);

// Longest line, in characters without its line end, read from a file.
constexpr int UNIT_File_Line_Limit = 4096;

// Read the next line without its line end. Returns UNIT_OK, UNIT_End_Of_File
// (also for a cancelled console read), UNIT_Not_Open or UNIT_Line_Too_Long.
// A file line longer than UNIT_File_Line_Limit is UNIT_Line_Too_Long: no more
// than the limit and two characters of it are read (a further read goes on
// after them) and `line` is left empty.
int UNIT_Read_Line(int unit, std::string& line);

// Read the next line and split it into free-format items (see below).
int UNIT_Read_Items(int unit, std::vector<std::string>& items);

// Back to the first line. On a file opened for writing, the next line written
// replaces the whole old content (the file ends after it).
int UNIT_Rewind(int unit);
// Hand the buffered lines of a file unit to the system. Returns UNIT_OK,
// UNIT_Not_Open for a unit that is neither open nor a console unit, or
// UNIT_Write_Error when the flush failed, an earlier write on the unit failed,
// or the file has been removed from its folder while open (on such a file
// every write succeeds and every line is lost).
int UNIT_Flush(int unit);
// Close a file or window unit. Console units are never closed. For a file
// opened for writing the buffered lines are flushed first; UNIT_Write_Error
// reports a failed flush or close, an earlier failed write, or a file removed
// while open. The unit is closed (its stream released) in every case.
// For a Replace unit the close commits the file: a failure of the flush, the
// sync or the rename, or any earlier failure, removes the temporary file and
// leaves the final name as it was.
int UNIT_Close(int unit);
// Close a file unit without keeping what was written: a Replace unit's
// temporary file is removed, any other file is just closed. A window unit is
// closed as by UNIT_Close. Returns UNIT_OK, or UNIT_Not_Open.
int UNIT_Discard(int unit);
// Close every file unit (used by tests and at the end of the process); a
// Replace unit not closed by its writer is discarded.
void UNIT_Close_All_Files();

// The reason of the most recent UNIT_Write_Error of UNIT_Write, UNIT_Flush or
// UNIT_Close on a file: the system's error text (for instance "No space left
// on device") or UNIT_Removed_File_Reason. Empty before the first failure.
std::string UNIT_Failure_Reason();
extern const char* const UNIT_Removed_File_Reason;

// ---- Free-format and fixed-field reading ----

// Split a line into items separated by commas and/or blanks. Two commas with
// nothing between them give an empty item; a line of only blanks gives none.
std::vector<std::string> UNIT_Free_Format_Items(const std::string& line);

// Parse a whole item as an integer / a real (leading and trailing blanks
// allowed; a real may be written as an integer or with an exponent E or D,
// with a decimal point whatever the process's locale). Values outside the
// type's range do not parse.
bool UNIT_Parse_Integer(const std::string& item, long long& value);
bool UNIT_Parse_Real(const std::string& item, double& value);

// Fortran Iw: an integer from the first `width` characters of `text`, blanks
// ignored anywhere in the field; an all-blank field reads as 0. Returns
// UNIT_OK, or UNIT_Read_Error (value unchanged) for anything else.
int UNIT_Read_Integer_Field(const std::string& text, int width, int& value);

// Fortran Fw.0: a real from the first `width` characters, blanks ignored; a
// field without a decimal point is a whole number; an exponent is allowed.
int UNIT_Read_Real_Field(const std::string& text, int width, double& value);
