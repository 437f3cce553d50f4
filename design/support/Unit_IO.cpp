// SPDX-License-Identifier: GPL-3.0-or-later
#include "Unit_IO.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>

#include <sys/stat.h>
#include <unistd.h>

#include "Atomic_File.h"
#include "C_Locale.h"
#include "Design_Warnings.h"

const char* const UNIT_Removed_File_Reason = "the file was removed while it was being written";

namespace {

struct Unit_Entry {
    bool window = false;
    std::FILE* file = nullptr;
    std::string name;
    bool writing = false;            // opened with Write or Append
    bool truncate_on_write = false;  // rewound: the next line starts the file anew
    std::string failure;             // reason of the first failed write; empty while none
    ATOMIC_File replacement;         // Replace: the file the close commits (file == replacement.file)
};

std::string& last_failure() {
    static std::string reason;
    return reason;
}

// Record a failure of the file on `e` (the first one stays the file's own
// reason) and return UNIT_Write_Error.
int failed(Unit_Entry& e, const std::string& reason) {
    if (e.failure.empty()) e.failure = reason;
    last_failure() = e.failure;
    return UNIT_Write_Error;
}
int failed_with_errno(Unit_Entry& e, int error_number) {
    return failed(e, error_number != 0 ? std::strerror(error_number) : "unknown write error");
}

// A regular file that no longer has a name in any folder: whatever is written
// to it is lost when it is closed, although every write succeeds.
bool removed_while_open(std::FILE* fp) {
    struct stat s;
    return fstat(fileno(fp), &s) == 0 && S_ISREG(s.st_mode) && s.st_nlink == 0;
}

// Flush a file opened for writing and check that its lines can still reach
// the disk: UNIT_OK or UNIT_Write_Error (reason recorded).
int flush_and_check(Unit_Entry& e) {
    errno = 0;
    if (std::fflush(e.file) != 0) return failed_with_errno(e, errno);
    if (!e.failure.empty()) return failed(e, e.failure);
    if (removed_while_open(e.file)) return failed(e, UNIT_Removed_File_Reason);
    return UNIT_OK;
}

// Close the stream of a file entry without keeping what it holds back: a
// Replace unit's temporary file is removed, any other file just closed.
void drop_stream(Unit_Entry& e) {
    if (e.replacement.file)
        ATOMIC_Discard(e.replacement);
    else if (e.file)
        std::fclose(e.file);
}

std::map<int, Unit_Entry>& unit_table() {
    static std::map<int, Unit_Entry> table;
    return table;
}

UNIT_Hooks& hooks() {
    static UNIT_Hooks h;
    return h;
}

// Console units reach the window layer as themselves; standard input and
// output have no window of their own and go to the console window.
int hook_unit(int unit) { return (unit == UNIT_Standard_Input || unit == UNIT_Standard_Output) ? UNIT_Console : unit; }

void strip_line_end(std::string& line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
}

// Largest console line the window layer hands over in one read.
constexpr int Console_Read_Buffer = 4096;

int read_console(int unit, std::string& line) {
    const UNIT_Hooks& h = hooks();
    if (h.read_line) {
        std::string buffer(Console_Read_Buffer, '\0');
        int n = h.read_line(&buffer[0], Console_Read_Buffer, hook_unit(unit));
        if (n == UNIT_Line_Too_Long) return UNIT_Line_Too_Long;
        if (n < 0) return UNIT_End_Of_File;
        buffer.resize(static_cast<std::size_t>(n));
        std::size_t lf = buffer.find('\n');
        if (lf != std::string::npos) buffer.resize(lf);
        strip_line_end(buffer);
        line = buffer;
        return UNIT_OK;
    }
    std::cout.flush();
    if (!std::getline(std::cin, line)) return UNIT_End_Of_File;
    strip_line_end(line);
    return UNIT_OK;
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (is_blank(s[b]) || s[b] == '\r' || s[b] == '\n')) ++b;
    while (e > b && (is_blank(s[e - 1]) || s[e - 1] == '\r' || s[e - 1] == '\n')) --e;
    return s.substr(b, e - b);
}

// The first `width` characters with every blank taken out.
std::string field_without_blanks(const std::string& text, int width) {
    std::string out;
    std::size_t n = width < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(width), text.size());
    for (std::size_t i = 0; i < n; ++i)
        if (!is_blank(text[i])) out += text[i];
    return out;
}

}  // namespace

void UNIT_Register_Hooks(const UNIT_Hooks& h) { hooks() = h; }
void UNIT_Clear_Hooks() { hooks() = UNIT_Hooks(); }
const UNIT_Hooks& UNIT_Current_Hooks() { return hooks(); }

bool UNIT_Is_Console(int unit) {
    return unit == -4 || unit == -3 || unit == -2 || unit == UNIT_Standard_Input || unit == UNIT_Standard_Output;
}

int UNIT_Open(int unit, const std::string& file_name, UNIT_Mode mode) {
    if (UNIT_Is_Console(unit) || unit_table().count(unit)) return UNIT_Already_Open;
    Unit_Entry e;
    if (mode == UNIT_Mode::Replace) {
        std::string reason;
        if (!ATOMIC_Open(e.replacement, file_name, reason)) {
            last_failure() = reason;
            return UNIT_Open_Failed;
        }
        e.file = e.replacement.file;
    } else {
        const char* how = mode == UNIT_Mode::Read ? "rb" : (mode == UNIT_Mode::Write ? "wb" : "ab");
        e.file = std::fopen(file_name.c_str(), how);
        if (!e.file) return UNIT_Open_Failed;
    }
    e.name = file_name;
    e.writing = mode != UNIT_Mode::Read;
    unit_table()[unit] = e;
    return UNIT_OK;
}

int UNIT_Open_Window(int& unit, const std::string& window_name, const std::string& access) {
    // A file open on the unit keeps it; replacing the entry would lose the file.
    auto it = unit_table().find(unit);
    if (UNIT_Is_Console(unit) || (it != unit_table().end() && it->second.file)) return UNIT_Already_Open;
    if (hooks().open_window) hooks().open_window(unit, window_name, access);
    if (unit == UNIT_Automatic) return UNIT_Open_Failed;  // nobody handed out a number
    Unit_Entry e;
    e.window = true;
    e.name = window_name;
    unit_table()[unit] = e;
    return UNIT_OK;
}

bool UNIT_Is_Open(int unit) { return UNIT_Is_Console(unit) || unit_table().count(unit) != 0; }

std::string UNIT_File_Name(int unit) {
    auto it = unit_table().find(unit);
    return (it == unit_table().end() || it->second.window) ? std::string() : it->second.name;
}

int UNIT_Write(int unit, const std::string& line) {
    auto it = unit_table().find(unit);
    if (UNIT_Is_Console(unit) || (it != unit_table().end() && it->second.window)) {
        if (UNIT_Is_Console(unit)) DESIGN_WARNINGS_Note(line);
        if (hooks().write_text) {
            hooks().write_text(line, hook_unit(unit));
        } else {
            std::cout << line << '\n';
            std::cout.flush();
        }
        return UNIT_OK;
    }
    if (it == unit_table().end()) return UNIT_Not_Open;
    Unit_Entry& e = it->second;
    if (!e.writing) return UNIT_Write_Error;
    std::FILE* fp = e.file;
    if (e.truncate_on_write) {
        // As for a sequential file: writing after a rewind ends the file at the
        // new line, so no old text is left behind it.
        e.truncate_on_write = false;
        errno = 0;
        if (std::fflush(fp) != 0 || ftruncate(fileno(fp), 0) != 0) return failed_with_errno(e, errno);
    }
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), fp) != line.size() || std::fputc('\n', fp) == EOF)
        return failed_with_errno(e, errno);
    return UNIT_OK;
}

int UNIT_Read_Line(int unit, std::string& line) {
    auto it = unit_table().find(unit);
    if (UNIT_Is_Console(unit) || (it != unit_table().end() && it->second.window)) return read_console(unit, line);
    if (it == unit_table().end()) return UNIT_Not_Open;
    std::FILE* fp = it->second.file;
    line.clear();
    // Room for the longest line and the CR of a CR LF line end; a line that
    // needs more is refused there, without reading the rest of it.
    const std::size_t room = static_cast<std::size_t>(UNIT_File_Line_Limit) + 1;
    int c;
    bool any = false, too_long = false;
    while ((c = std::fgetc(fp)) != EOF) {
        any = true;
        if (c == '\n') break;
        if (line.size() == room) {
            too_long = true;
            break;
        }
        line += static_cast<char>(c);
    }
    if (!any) return UNIT_End_Of_File;
    strip_line_end(line);
    if (too_long || line.size() > static_cast<std::size_t>(UNIT_File_Line_Limit)) {
        line.clear();
        return UNIT_Line_Too_Long;
    }
    return UNIT_OK;
}

int UNIT_Read_Items(int unit, std::vector<std::string>& items) {
    std::string line;
    int status = UNIT_Read_Line(unit, line);
    items.clear();
    if (status == UNIT_OK) items = UNIT_Free_Format_Items(line);
    return status;
}

int UNIT_Rewind(int unit) {
    auto it = unit_table().find(unit);
    if (it == unit_table().end()) return UNIT_Is_Console(unit) ? UNIT_OK : UNIT_Not_Open;
    if (it->second.file) {
        std::rewind(it->second.file);
        if (it->second.writing) it->second.truncate_on_write = true;
    }
    return UNIT_OK;
}

int UNIT_Flush(int unit) {
    if (UNIT_Is_Console(unit)) {
        if (!hooks().write_text) std::cout.flush();
        return UNIT_OK;
    }
    auto it = unit_table().find(unit);
    if (it == unit_table().end()) return UNIT_Not_Open;
    Unit_Entry& e = it->second;
    if (e.file && e.writing) return flush_and_check(e);
    return UNIT_OK;
}

int UNIT_Close(int unit) {
    auto it = unit_table().find(unit);
    if (it == unit_table().end()) return UNIT_Not_Open;
    Unit_Entry& e = it->second;
    int status = UNIT_OK;
    if (e.window) {
        if (hooks().close_window) hooks().close_window(unit);
    } else if (e.replacement.file) {
        // The file takes its name only when every line has reached it.
        status = flush_and_check(e);
        std::string reason;
        if (status != UNIT_OK)
            ATOMIC_Discard(e.replacement);
        else if (!ATOMIC_Commit(e.replacement, reason))
            status = failed(e, reason);
    } else if (e.file) {
        // The last buffered lines are written here; a failure now still loses them.
        if (e.writing) status = flush_and_check(e);
        errno = 0;
        if (std::fclose(e.file) != 0 && e.writing && status == UNIT_OK) status = failed_with_errno(e, errno);
    }
    unit_table().erase(it);
    return status;
}

int UNIT_Discard(int unit) {
    auto it = unit_table().find(unit);
    if (it == unit_table().end() || it->second.window) return UNIT_Close(unit);
    drop_stream(it->second);
    unit_table().erase(it);
    return UNIT_OK;
}

void UNIT_Close_All_Files() {
    auto& table = unit_table();
    for (auto it = table.begin(); it != table.end();) {
        if (it->second.file) {
            // A Replace unit never closed by its writer is no complete file.
            drop_stream(it->second);
            it = table.erase(it);
        } else {
            ++it;
        }
    }
}

std::string UNIT_Failure_Reason() { return last_failure(); }

std::vector<std::string> UNIT_Free_Format_Items(const std::string& line) {
    std::vector<std::string> items;
    std::size_t i = 0, n = line.size();
    bool after_comma = false;  // a comma right after a value or comma opens a new item
    while (i < n) {
        while (i < n && (is_blank(line[i]) || line[i] == '\r' || line[i] == '\n')) ++i;
        if (i >= n) break;
        if (line[i] == ',') {
            if (after_comma || items.empty()) items.emplace_back();  // empty item
            after_comma = true;
            ++i;
            continue;
        }
        std::size_t b = i;
        while (i < n && line[i] != ',' && !is_blank(line[i]) && line[i] != '\r' && line[i] != '\n') ++i;
        items.push_back(line.substr(b, i - b));
        // A following comma only separates; it does not open an empty item.
        std::size_t k = i;
        while (k < n && is_blank(line[k])) ++k;
        if (k < n && line[k] == ',') {
            i = k + 1;
            after_comma = true;
        } else {
            after_comma = false;
        }
    }
    return items;
}

bool UNIT_Parse_Integer(const std::string& item, long long& value) {
    std::string s = trim(item);
    if (s.empty()) return false;
    std::size_t i = 0;
    if (s[0] == '+' || s[0] == '-') i = 1;
    if (i >= s.size()) return false;
    for (std::size_t k = i; k < s.size(); ++k)
        if (s[k] < '0' || s[k] > '9') return false;
    errno = 0;
    long long v = std::strtoll(s.c_str(), nullptr, 10);
    if (errno == ERANGE) return false;
    value = v;
    return true;
}

bool UNIT_Parse_Real(const std::string& item, double& value) {
    std::string s = trim(item);
    if (s.empty()) return false;
    for (char& c : s)
        if (c == 'd' || c == 'D') c = 'E';
    // Only plain decimal numbers: no hexadecimal, no "inf" or "nan" words.
    for (char c : s)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E')) return false;
    char* end = nullptr;
    errno = 0;
    // A decimal point in every locale: never the user's decimal comma.
    double v = strtod_l(s.c_str(), &end, KALTAP_C_Locale());
    if (end == s.c_str() || *end != '\0') return false;
    // A magnitude beyond the double range is no usable number.
    if (errno == ERANGE && std::fabs(v) > 1.0) return false;
    value = v;
    return true;
}

int UNIT_Read_Integer_Field(const std::string& text, int width, int& value) {
    std::string f = field_without_blanks(text, width);
    if (f.empty()) {
        value = 0;
        return UNIT_OK;
    }
    long long v;
    if (!UNIT_Parse_Integer(f, v) || v < -2147483648LL || v > 2147483647LL) return UNIT_Read_Error;
    value = static_cast<int>(v);
    return UNIT_OK;
}

int UNIT_Read_Real_Field(const std::string& text, int width, double& value) {
    std::string f = field_without_blanks(text, width);
    if (f.empty()) {
        value = 0.0;
        return UNIT_OK;
    }
    double v;
    if (!UNIT_Parse_Real(f, v)) return UNIT_Read_Error;
    // A sign or exponent alone is not a number.
    bool digit = false;
    for (char c : f) {
        if (c == 'e' || c == 'E' || c == 'd' || c == 'D') break;
        if (c >= '0' && c <= '9') digit = true;
    }
    if (!digit) return UNIT_Read_Error;
    value = v;
    return UNIT_OK;
}
