// SPDX-License-Identifier: GPL-3.0-or-later
#include "UIK_Spreadsheet_Interface.h"

#include <climits>
#include <cstdint>

#include "Fortran_Format.h"

namespace {

constexpr std::size_t Longest_Text_Element = 65535;
const std::string Character_Prefix = "CHARACTER*";

// Checks a block handed to a write or read: a known data type, sizes (below
// zero taken as zero) whose byte count the window layer can copy (at most
// INT_MAX bytes), and data unless the block is empty. Gives the byte count.
bool accepted_block(const std::string& data_type, const void* data, int& nrows, int& ncols, std::size_t& bytes) {
    const UIK_Cell_Type type = UIK_Spreadsheet_Cell_Type(data_type);
    if (nrows < 0) nrows = 0;
    if (ncols < 0) ncols = 0;
    if (!type.valid()) return false;
    const std::uint64_t count = static_cast<std::uint64_t>(nrows) * static_cast<std::uint64_t>(ncols);
    if (count != 0 && type.size > static_cast<std::uint64_t>(INT_MAX) / count) return false;
    bytes = static_cast<std::size_t>(count * type.size);
    return data != nullptr || bytes == 0;
}

UIK_Request block_request(UIK_Op operation, int unit, const std::string& data_type, int nrows, int ncols) {
    UIK_Request r = UIK_Request_For(operation, unit);
    r.dataType = FMT_Trim(data_type);
    r.nrows = nrows;
    r.ncols = ncols;
    return r;
}

int set_labels(UIK_Op op, int unit, std::vector<std::string> labels) {
    UIK_Request r = UIK_Request_For(op, unit);
    r.properties.emplace_back("labels", std::move(labels));
    UIK_Carry_Out(r);
    return 1;
}

std::vector<std::string> labels_from(const char* labels, int label_length, int count) {
    std::vector<std::string> list;
    if (labels == nullptr || label_length <= 0 || count <= 0) return list;
    list.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        list.push_back(UIK_Trim_Trailing(
            std::string(labels + static_cast<std::size_t>(i) * label_length, static_cast<std::size_t>(label_length))));
    return list;
}

}  // namespace

UIK_Cell_Type UIK_Spreadsheet_Cell_Type(const std::string& data_type) {
    const std::string name = FMT_Trim(data_type);
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
    std::size_t bytes = 0;
    if (!accepted_block(data_type, data, nrows, ncols, bytes)) return 0;
    if (UIK_Current_Window_Layer() == nullptr) return 1;

    // The window layer copies the block: the write does not wait.
    UIK_Request r = block_request(UIK_Op::writeSpreadsheet, unit, data_type, nrows, ncols);
    r.data = data;
    r.dataBytes = bytes;
    UIK_Carry_Out(r);
    return 1;
}

int UIK_readSpreadsheet(int unit, void* data, const std::string& data_type, int nrows, int ncols) {
    std::size_t bytes = 0;
    if (!accepted_block(data_type, data, nrows, ncols, bytes)) return 0;
    if (UIK_Current_Window_Layer() == nullptr) return 1;

    UIK_Request r = block_request(UIK_Op::readSpreadsheet, unit, data_type, nrows, ncols);
    r.dataOut = data;
    r.waits = true;
    UIK_Carry_Out(r);
    return 1;
}

int UIK_setHorizontalLabels(int unit, const char* labels, int label_length, int count) {
    return set_labels(UIK_Op::setHorizontalLabels, unit, labels_from(labels, label_length, count));
}

int UIK_setVerticalLabels(int unit, const char* labels, int label_length, int count) {
    return set_labels(UIK_Op::setVerticalLabels, unit, labels_from(labels, label_length, count));
}

int UIK_setHorizontalLabels(int unit, const std::vector<UIK_Text>& labels) {
    std::vector<std::string> list;
    for (const UIK_Text& label : labels) list.push_back(label.trimmed());
    return set_labels(UIK_Op::setHorizontalLabels, unit, std::move(list));
}

int UIK_setVerticalLabels(int unit, const std::vector<UIK_Text>& labels) {
    std::vector<std::string> list;
    for (const UIK_Text& label : labels) list.push_back(label.trimmed());
    return set_labels(UIK_Op::setVerticalLabels, unit, std::move(list));
}
