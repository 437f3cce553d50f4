// SPDX-License-Identifier: GPL-3.0-or-later
#include "Result_Set.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <system_error>
#include <vector>

#include "Timers.h"

namespace {

std::string current_stem;
bool set_current = false;

const char* const Run_Log_Extension = ".txt";

bool all_digits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// The suffix number k of the stem of `time_stamp` that the file `name`
// belongs to (1 for the plain stem), or 0 when it belongs to none:
// "<stamp>_<name>" or "<stamp>_<k>_<name>" with <name> not starting with a
// digit, or "<name>_<stamp>.txt" or "<name>_<stamp>_<k>.txt".
int stem_number(const std::string& name, const std::string& time_stamp) {
    const std::size_t n = time_stamp.size();
    if (name.size() > n + 1 && name.compare(0, n, time_stamp) == 0 && name[n] == '_') {
        const std::size_t digits_end = name.find_first_not_of("0123456789", n + 1);
        if (digits_end == n + 1) return 1;
        if (digits_end != std::string::npos && name[digits_end] == '_' && digits_end + 1 < name.size() &&
            !std::isdigit(static_cast<unsigned char>(name[digits_end + 1])))
            return std::atoi(name.c_str() + n + 1);
    }
    const std::string extension = Run_Log_Extension;
    if (name.size() <= extension.size() ||
        name.compare(name.size() - extension.size(), extension.size(), extension) != 0)
        return 0;
    const std::string base = name.substr(0, name.size() - extension.size());
    const std::size_t at = base.rfind("_" + time_stamp);
    if (at == std::string::npos || at == 0) return 0;
    const std::string rest = base.substr(at + 1 + n);
    if (rest.empty()) return 1;
    if (rest[0] == '_' && all_digits(rest.substr(1))) return std::atoi(rest.c_str() + 1);
    return 0;
}

// Calls `visit(path, k)` for each file of the working directory that belongs
// to a stem of `time_stamp`, k being its suffix number.
template <class Visit>
void for_files_of_stamp(const std::string& time_stamp, Visit visit) {
    std::error_code error;
    for (std::filesystem::directory_iterator it(".", error), end; !error && it != end; it.increment(error))
        if (const int k = stem_number(it->path().filename().string(), time_stamp)) visit(it->path(), k);
}

// Suffix numbers of `time_stamp` that files of the working directory carry.
std::set<int> taken_numbers(const std::string& time_stamp) {
    std::set<int> taken;
    for_files_of_stamp(time_stamp, [&taken](const std::filesystem::path&, int k) { taken.insert(k); });
    return taken;
}

}  // namespace

std::string RESULT_SET_Time_Stamp() {
    const Clock_Reading now = Timers_Now();
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d_%02d%02d", now.year, now.month, now.day, now.hour, now.minute);
    return stamp;
}

const std::string& RESULT_SET_Begin(const std::string& time_stamp) {
    // One look at the folder, then the first number no file carries.
    const std::set<int> taken = taken_numbers(time_stamp);
    int k = 1;
    while (taken.count(k)) ++k;
    current_stem = k == 1 ? time_stamp : time_stamp + "_" + std::to_string(k);
    set_current = true;
    return current_stem;
}

const std::string& RESULT_SET_Stem() {
    if (!set_current) return RESULT_SET_Begin(RESULT_SET_Time_Stamp());
    return current_stem;
}

bool RESULT_SET_Current() { return set_current; }

void RESULT_SET_End() { set_current = false; }

int RESULT_SET_Remove_Files(const std::string& stem) {
    // A stem is the stamp "CCYYMMDD_hhmm", then "_<k>" for k >= 2.
    const std::size_t stamp_length = RESULT_SET_Time_Stamp().size();
    if (stem.size() < stamp_length) return 0;
    const std::string stamp = stem.substr(0, stamp_length);
    const int k = stem.size() == stamp_length ? 1 : std::atoi(stem.c_str() + stamp_length + 1);
    std::vector<std::filesystem::path> doomed;
    for_files_of_stamp(stamp, [&doomed, k](const std::filesystem::path& path, int number) {
        std::error_code kind_error;
        if (number == k && std::filesystem::is_regular_file(path, kind_error)) doomed.push_back(path);
    });
    std::error_code error;
    int removed = 0;
    for (const auto& path : doomed)
        if (std::filesystem::remove(path, error)) ++removed;
    return removed;
}
