// SPDX-License-Identifier: GPL-3.0-or-later
#include "KALTAP_Design_Record.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/stat.h>

const char* const KALTAP_Record_Format = "kaltap-design";

namespace {

using json = nlohmann::ordered_json;

constexpr double Half_Sample_Rate = 0.5;
constexpr int First_Version = 1;
constexpr int Minimum_Bits = 2;
constexpr int Maximum_Bits = 48;

const char* const Path_Names[] = {"", "lowpass", "highpass", "classical", "equalizer"};
const char* const Filter_Type_Names[] = {"", "bandpass", "differentiator", "hilbert_transformer"};
const char* const Find_Names[] = {"", "number_of_weights", "transition", "ripple", "attenuation"};
const char* const Order_Names[] = {"any", "odd", "even"};
// The transition search's choice, as its dialog numbers it (2 or 3).
const char* const Optimize_Names[] = {"", "", "bandwidth", "transition"};

// A fault of the record: the field's place and what is wrong with it.
struct Record_Fault {
    std::string text;
};

[[noreturn]] void fault(const std::string& where, const std::string& what) { throw Record_Fault{where + ": " + what}; }

const json& member(const json& object, const std::string& where, const char* key) {
    const auto found = object.find(key);
    if (found == object.end()) fault(where.empty() ? key : where + "." + key, "missing");
    return *found;
}

std::string place(const std::string& where, const char* key) { return where.empty() ? key : where + "." + key; }

const json& object_at(const json& object, const std::string& where, const char* key) {
    const json& value = member(object, where, key);
    if (!value.is_object()) fault(place(where, key), "expected an object");
    return value;
}

double real_at(const json& object, const std::string& where, const char* key) {
    const json& value = member(object, where, key);
    if (!value.is_number()) fault(place(where, key), "expected a number");
    const double number = value.get<double>();
    if (!std::isfinite(number)) fault(place(where, key), "not a finite number");
    return number;
}

int integer_at(const json& object, const std::string& where, const char* key, int low, int high) {
    const json& value = member(object, where, key);
    if (!value.is_number_integer()) fault(place(where, key), "expected an integer");
    const long long number = value.get<long long>();
    if (number < low || number > high)
        fault(place(where, key), "must lie between " + std::to_string(low) + " and " + std::to_string(high));
    return static_cast<int>(number);
}

std::string text_at(const json& object, const std::string& where, const char* key) {
    const json& value = member(object, where, key);
    if (!value.is_string()) fault(place(where, key), "expected a text");
    return value.get<std::string>();
}

// The index of `name` in `names` (count entries, the first unused when
// empty); a fault naming the field otherwise.
template <std::size_t Count>
int choice_at(const json& object, const std::string& where, const char* key, const char* const (&names)[Count]) {
    const std::string name = text_at(object, where, key);
    for (std::size_t i = 0; i < Count; ++i)
        if (names[i][0] != '\0' && name == names[i]) return static_cast<int>(i);
    std::string known;
    for (const char* n : names)
        if (n[0] != '\0') known += std::string(known.empty() ? "" : ", ") + "\"" + n + "\"";
    fault(place(where, key), "\"" + name + "\" is not one of " + known);
}

// Bands of a classical design: edges within 0..0.5 and in order.
std::vector<KALTAP_Input_Band> bands_at(const json& object, const std::string& where, bool with_values) {
    const json& list = member(object, where, "bands");
    const std::string at = place(where, "bands");
    if (!list.is_array() || list.empty()) fault(at, "expected a list of one band or more");
    std::vector<KALTAP_Input_Band> bands;
    for (std::size_t k = 0; k < list.size(); ++k) {
        const std::string band_at = at + "[" + std::to_string(k + 1) + "]";
        if (!list[k].is_object()) fault(band_at, "expected an object");
        KALTAP_Input_Band band;
        band.lower_edge = real_at(list[k], band_at, "lower_edge");
        band.upper_edge = real_at(list[k], band_at, "upper_edge");
        if (with_values) {
            band.desired = real_at(list[k], band_at, "desired");
            band.weight = real_at(list[k], band_at, "weight");
        }
        if (band.lower_edge < 0.0 || band.lower_edge > Half_Sample_Rate)
            fault(band_at + ".lower_edge", "must lie between 0 and 0.5");
        if (band.upper_edge < 0.0 || band.upper_edge > Half_Sample_Rate)
            fault(band_at + ".upper_edge", "must lie between 0 and 0.5");
        if (band.upper_edge <= band.lower_edge) fault(band_at + ".upper_edge", "must lie above the lower edge");
        if (!bands.empty() && band.lower_edge <= bands.back().upper_edge)
            fault(band_at + ".lower_edge",
                  "bands out of order: must lie above the upper edge of band " + std::to_string(k));
        bands.push_back(band);
    }
    return bands;
}

constexpr int Largest_Count = 1 << 30;

void read_classical(const json& input, const std::string& where, KALTAP_Design_Inputs& in) {
    in.filter_type = choice_at(input, where, "filter_type", Filter_Type_Names);
    in.number_of_weights = integer_at(input, where, "number_of_weights", 1, Largest_Count);
    in.grid_density = integer_at(input, where, "grid_density", 1, Largest_Count);
    in.bands = bands_at(input, where, true);
}

void read_two_band(const json& input, const std::string& where, KALTAP_Design_Inputs& in) {
    in.find = static_cast<KALTAP_Free_Quantity>(choice_at(input, where, "find", Find_Names));
    switch (in.find) {
        case KALTAP_Free_Quantity::Number_of_Weights:
            in.order = choice_at(input, where, "order", Order_Names);
            in.ripple_db = real_at(input, where, "ripple_db");
            in.attenuation_db = real_at(input, where, "attenuation_db");
            in.bandwidth = real_at(input, where, "bandwidth");
            if (input.contains("decimation_ratio") && !input["decimation_ratio"].is_null())
                in.decimation_ratio = integer_at(input, where, "decimation_ratio", 1, Largest_Count);
            else
                in.transition = real_at(input, where, "transition");
            break;
        case KALTAP_Free_Quantity::Transition:
            in.number_of_weights = integer_at(input, where, "number_of_weights", 1, Largest_Count);
            in.ripple_db = real_at(input, where, "ripple_db");
            in.attenuation_db = real_at(input, where, "attenuation_db");
            in.bandwidth = real_at(input, where, "bandwidth");
            in.optimize = choice_at(input, where, "optimize", Optimize_Names);
            break;
        case KALTAP_Free_Quantity::Ripple:
            in.number_of_weights = integer_at(input, where, "number_of_weights", 1, Largest_Count);
            in.attenuation_db = real_at(input, where, "attenuation_db");
            in.bandwidth = real_at(input, where, "bandwidth");
            in.transition = real_at(input, where, "transition");
            break;
        case KALTAP_Free_Quantity::Attenuation:
            in.number_of_weights = integer_at(input, where, "number_of_weights", 1, Largest_Count);
            in.ripple_db = real_at(input, where, "ripple_db");
            in.bandwidth = real_at(input, where, "bandwidth");
            in.transition = real_at(input, where, "transition");
            break;
    }
}

int bits_at(const json& object, const std::string& where) {
    const int bits = integer_at(object, where, "bits", 0, Maximum_Bits);
    if (bits == 1 || bits < 0) fault(place(where, "bits"), "must be 0 or between 2 and 48");
    return bits;
}

KALTAP_Design_Inputs read_record(const json& record) {
    if (!record.is_object()) fault("record", "expected a JSON object");
    if (text_at(record, "", "format") != KALTAP_Record_Format)
        fault("format", "\"" + record["format"].get<std::string>() + "\" is not \"" + KALTAP_Record_Format + "\"");
    const int version = integer_at(record, "", "format_version", 0, Largest_Count);
    if (version < First_Version || version > KALTAP_Record_Version)
        fault("format_version", std::to_string(version) + " is not a version this program reads (1 to " +
                                    std::to_string(KALTAP_Record_Version) + ")");
    KALTAP_Design_Inputs in;
    if (version == First_Version) {
        const json& requirements = object_at(record, "", "requirements");
        read_classical(requirements, "requirements", in);
        in.path = KALTAP_Design_Path::Classical;
        in.bits = 0;
        const json& results = object_at(record, "", "results");
        if (results.contains("quantization") && !results["quantization"].is_null()) {
            const json& q = object_at(results, "results", "quantization");
            in.bits = bits_at(q, "results.quantization");
        }
        return in;
    }
    const json& input = object_at(record, "", "input");
    in.path = static_cast<KALTAP_Design_Path>(choice_at(input, "input", "path", Path_Names));
    switch (in.path) {
        case KALTAP_Design_Path::Classical: read_classical(input, "input", in); break;
        case KALTAP_Design_Path::Lowpass:
        case KALTAP_Design_Path::Highpass: read_two_band(input, "input", in); break;
        case KALTAP_Design_Path::Equalizer:
            in.table_name = text_at(input, "input", "table_name");
            in.table = text_at(input, "input", "table");
            if (in.table_name.empty() || in.table_name.find('/') != std::string::npos)
                fault("input.table_name", "must be a file name without a folder");
            in.number_of_weights = integer_at(input, "input", "number_of_weights", 1, Largest_Count);
            in.grid_density = integer_at(input, "input", "grid_density", 1, Largest_Count);
            break;
        case KALTAP_Design_Path::None: break;
    }
    in.bits = bits_at(input, "input");
    return in;
}

// Where the parser is in the record, as a field's place ("input.bands[2].weight").
class Parse_Place {
public:
    void step(json::parse_event_t event, const json& parsed) {
        switch (event) {
            case json::parse_event_t::object_start: frames_.push_back(Frame{false, std::string(), 0}); break;
            case json::parse_event_t::array_start: frames_.push_back(Frame{true, std::string(), 0}); break;
            case json::parse_event_t::key:
                if (!frames_.empty()) frames_.back().key = parsed.is_string() ? parsed.get<std::string>() : "";
                break;
            case json::parse_event_t::object_end:
            case json::parse_event_t::array_end:
                if (!frames_.empty()) frames_.pop_back();
                next_element();
                break;
            case json::parse_event_t::value: next_element(); break;
        }
    }
    std::string text() const {
        std::string place;
        for (const Frame& frame : frames_) {
            if (frame.array)
                place += "[" + std::to_string(frame.index + 1) + "]";
            else if (!frame.key.empty())
                place += (place.empty() ? "" : ".") + frame.key;
        }
        return place.empty() ? "record" : place;
    }

private:
    struct Frame {
        bool array;
        std::string key;
        int index;
    };
    void next_element() {
        if (!frames_.empty() && frames_.back().array) ++frames_.back().index;
    }
    std::vector<Frame> frames_;
};

json band_list(const std::vector<KALTAP_Input_Band>& bands) {
    json list = json::array();
    for (const KALTAP_Input_Band& b : bands)
        list.push_back(
            {{"lower_edge", b.lower_edge}, {"upper_edge", b.upper_edge}, {"desired", b.desired}, {"weight", b.weight}});
    return list;
}

}  // namespace

nlohmann::ordered_json KALTAP_Record_Input(const KALTAP_Design_Inputs& in) {
    if (in.path == KALTAP_Design_Path::None) return nullptr;
    json input;
    input["path"] = Path_Names[static_cast<int>(in.path)];
    switch (in.path) {
        case KALTAP_Design_Path::Classical:
            input["filter_type"] = Filter_Type_Names[in.filter_type >= 2 && in.filter_type <= 3 ? in.filter_type : 1];
            input["number_of_weights"] = in.number_of_weights;
            input["grid_density"] = in.grid_density;
            input["bands"] = band_list(in.bands);
            break;
        case KALTAP_Design_Path::Lowpass:
        case KALTAP_Design_Path::Highpass:
            input["find"] = Find_Names[static_cast<int>(in.find)];
            if (in.find == KALTAP_Free_Quantity::Number_of_Weights) {
                input["order"] = Order_Names[in.order >= 1 && in.order <= 2 ? in.order : 0];
            } else {
                input["number_of_weights"] = in.number_of_weights;
            }
            if (in.find != KALTAP_Free_Quantity::Ripple) input["ripple_db"] = in.ripple_db;
            if (in.find != KALTAP_Free_Quantity::Attenuation) input["attenuation_db"] = in.attenuation_db;
            input["bandwidth"] = in.bandwidth;
            if (in.find == KALTAP_Free_Quantity::Transition)
                input["optimize"] = Optimize_Names[in.optimize == 2 ? 2 : 3];
            else if (in.find == KALTAP_Free_Quantity::Number_of_Weights && in.decimation_ratio > 0)
                input["decimation_ratio"] = in.decimation_ratio;
            else
                input["transition"] = in.transition;
            break;
        case KALTAP_Design_Path::Equalizer:
            input["table_name"] = in.table_name;
            input["table"] = in.table;
            input["number_of_weights"] = in.number_of_weights;
            input["grid_density"] = in.grid_density;
            break;
        case KALTAP_Design_Path::None: break;
    }
    input["bits"] = in.bits < 0 ? 0 : in.bits;
    return input;
}

bool KALTAP_Parse_Design_Record(const std::string& text, KALTAP_Design_Inputs& inputs, std::string& error) {
    Parse_Place where;
    try {
        inputs = read_record(json::parse(text, [&where](int, json::parse_event_t event, json& parsed) {
            where.step(event, parsed);
            return true;
        }));
        return true;
    } catch (const json::parse_error& e) {
        error = std::string("not a JSON text: ") + e.what();
    } catch (const json::out_of_range&) {
        // A number beyond the doubles (1e999): the parser names no field,
        // the place it had reached does.
        error = where.text() + ": not a finite number";
    } catch (const json::exception& e) {
        error = std::string("unreadable record: ") + e.what();
    } catch (const Record_Fault& f) { error = f.text; }
    return false;
}

bool KALTAP_Read_Design_Record(const std::string& path, KALTAP_Design_Inputs& inputs, std::string& error) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        error = path + ": cannot be read (no such file)";
        return false;
    }
    if (static_cast<std::uintmax_t>(status.st_size) > KALTAP_Record_Size_Limit) {
        error = path + ": larger than " + std::to_string(KALTAP_Record_Size_Limit / (1024 * 1024)) +
                " MiB; not a design record";
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = path + ": cannot be opened";
        return false;
    }
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (!KALTAP_Parse_Design_Record(text, inputs, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}
