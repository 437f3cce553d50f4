#include "UIK_Spreadsheet_Interface.h"

#include <climits>
#include <cstdint>

namespace {

constexpr std::size_t Longest_Text_Element = 65535;
const std::string Character_Prefix = "CHARACTER*";

std::string trimmed(const std::string& s) {
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// The byte count of an nrows x ncols block of `type`; false when it cannot be
// handed over (the window layer copies at most INT_MAX bytes).
bool block_bytes(const UIK_Cell_Type& type, int nrows, int ncols, std::size_t& bytes) {
    const std::uint64_t count = static_cast<std::uint64_t>(nrows) * static_cast<std::uint64_t>(ncols);
    if (count != 0 && type.size > static_cast<std::uint64_t>(INT_MAX) / count) return false;
    bytes = static_cast<std::size_t>(count * type.size);
    return true;
}

int set_labels(const char* signal, int unit, std::vector<std::string> labels) {
    UIK_Request r = UIK_Request_For(signal, unit);
    r.properties.emplace_back("labels", std::move(labels));
    UIK_Carry_Out(r);
    return 1;
}

std::vector<std::string> labels_from(const char* labels, int label_length, int count) {
    std::vector<std::string> list;
    if (labels == nullptr || label_length <= 0 || count <= 0) return list;
    list.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        list.push_back(UIK_Trim_Trailing(std::string(labels + static_cast<std::size_t>(i) * label_length,
                                                     static_cast<std::size_t>(label_length))));
    return list;
}

}  // namespace

UIK_Cell_Type UIK_Spreadsheet_Cell_Type(const std::string& data_type) {
    const std::string name = trimmed(data_type);
    if (name == "INTEGER*4") return {UIK_Cell_Kind::Integer4, 4};
    if (name == "INTEGER*8") return {UIK_Cell_Kind::Integer8, 8};
    if (name == "REAL*4") return {UIK_Cell_Kind::Real4, sizeof(float)};
    if (name == "REAL*8") return {UIK_Cell_Kind::Real8, sizeof(double)};
    if (name == "REAL*16") return {UIK_Cell_Kind::Real16, sizeof(long double)};
    if (name == "COMPLEX*4" || name == "COMPLEX*8") return {UIK_Cell_Kind::Complex8, 2 * sizeof(float)};
    if (name == "COMPLEX*16") return {UIK_Cell_Kind::Complex16, 2 * sizeof(double)};
    if (name.compare(0, Character_Prefix.size(), Character_Prefix) == 0) {
        const std::string digits = name.substr(Character_Prefix.size());
        if (digits.empty()) return {UIK_Cell_Kind::Character, static_cast<std::size_t>(UIK_Text_Length)};
        if (digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) return {};
        const std::size_t length = std::stoul(digits);
        if (length == 0 || length > Longest_Text_Element) return {};
        return {UIK_Cell_Kind::Character, length};
    }
    return {};
}

int UIK_writeSpreadsheet(int unit, const void* data, const std::string& data_type, int nrows, int ncols) {
    const UIK_Cell_Type type = UIK_Spreadsheet_Cell_Type(data_type);
    if (nrows < 0) nrows = 0;
    if (ncols < 0) ncols = 0;
    std::size_t bytes = 0;
    if (!type.valid() || !block_bytes(type, nrows, ncols, bytes) || (data == nullptr && bytes != 0)) return 0;
    if (UIK_Current_Window_Layer() == nullptr) return 1;

    // The window layer copies the block: the write does not wait.
    UIK_Request r = UIK_Request_For("writeSpreadsheet", unit);
    r.data = data;
    r.dataType = trimmed(data_type);
    r.nrows = nrows;
    r.ncols = ncols;
    r.dataBytes = bytes;
    UIK_Carry_Out(r);
    return 1;
}

int UIK_readSpreadsheet(int unit, void* data, const std::string& data_type, int nrows, int ncols) {
    const UIK_Cell_Type type = UIK_Spreadsheet_Cell_Type(data_type);
    if (nrows < 0) nrows = 0;
    if (ncols < 0) ncols = 0;
    std::size_t bytes = 0;
    if (!type.valid() || !block_bytes(type, nrows, ncols, bytes) || (data == nullptr && bytes != 0)) return 0;
    if (UIK_Current_Window_Layer() == nullptr) return 1;

    UIK_Request r = UIK_Request_For("readSpreadsheet", unit);
    r.dataOut = data;
    r.dataType = trimmed(data_type);
    r.nrows = nrows;
    r.ncols = ncols;
    r.waits = true;
    UIK_Carry_Out(r);
    return 1;
}

int UIK_setHorizontalLabels(int unit, const char* labels, int label_length, int count) {
    return set_labels("setHorizontalLabels", unit, labels_from(labels, label_length, count));
}

int UIK_setVerticalLabels(int unit, const char* labels, int label_length, int count) {
    return set_labels("setVerticalLabels", unit, labels_from(labels, label_length, count));
}

int UIK_setHorizontalLabels(int unit, const std::vector<UIK_Text>& labels) {
    std::vector<std::string> list;
    for (const UIK_Text& label : labels) list.push_back(label.trimmed());
    return set_labels("setHorizontalLabels", unit, std::move(list));
}

int UIK_setVerticalLabels(int unit, const std::vector<UIK_Text>& labels) {
    std::vector<std::string> list;
    for (const UIK_Text& label : labels) list.push_back(label.trimmed());
    return set_labels("setVerticalLabels", unit, std::move(list));
}

