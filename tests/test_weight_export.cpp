// SPDX-License-Identifier: GPL-3.0-or-later
// The weight export: every format read back the way its consumer reads it
// (the header compiled by the system compiler, the MATLAB/Octave and Python
// text parsed, the Xilinx and memory words decoded, the JSON record parsed)
// and compared with the design state; the menu routine's choice of format and
// file name, its error box for files that cannot be written, and the menu
// item that follows the validity of the design.
#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include <nlohmann/json.hpp>

#include "Design_Warnings.h"
#include "KALTAP_Configuration_Parameters.h"
#include "KALTAP_Design_Engine.h"
#include "KALTAP_Analysis_Views.h"
#include "KALTAP_Export_Menu.h"
#include "KALTAP_Main.h"
#include "KALTAP_Remez_Engine.h"
#include "KALTAP_Version.h"
#include "Design_Inputs.h"
#include "KALTAP_Weight_Export.h"
#include "KALTAP_Weight_Quantization.h"
#include "UIK_Script.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {

// The date of the test clock (Fix_Clock_And_Clear_Results).
const char* const Test_Date = "2026-12-06 14:07:59";

struct Export_Case {
    const char* name;  // also the base name of the files
    int type, N, density;
    std::vector<Band> bands;
    int bits;  // 0: not quantized
};

void PrintTo(const Export_Case& c, std::ostream* os) { *os << c.name; }

// Designs the case and quantizes it as the design loop does.
void design(const Export_Case& c) {
    Set_Up_Design(c.type, c.N, c.density, c.bands);
    KALTAP_Design();
    ASSERT_TRUE(KALTAP_Filter_Weights_Valid);
    KALTAP_Bits = c.bits;
    if (c.bits >= KALTAP_Minimum_Bits) KALTAP_Quantizer();
}

// The integers of taps 1..N: the quantizer's first half, mirrored with the
// sign of the case.
std::vector<long long> expected_integers() {
    const int N = Number_of_Weights, M = (N + 1) / 2;
    std::vector<long long> q;
    for (int n = 1; n <= N; ++n) {
        const bool mirrored = n > M;
        const long long sign = mirrored && Antisymmetric ? -1 : 1;
        q.push_back(sign * Scaled_Weights(mirrored ? N + 1 - n : n));
    }
    return q;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A whole token as a double / an integer; a token that is not all number
// fails the test.
double real_of(const std::string& token) {
    char* end = nullptr;
    const double v = std::strtod(token.c_str(), &end);
    EXPECT_TRUE(!token.empty() && *end == '\0') << "not a number: \"" << token << "\"";
    return v;
}

long long integer_of(const std::string& token, int base = 10) {
    char* end = nullptr;
    const long long v = std::strtoll(token.c_str(), &end, base);
    EXPECT_TRUE(!token.empty() && *end == '\0') << "not an integer: \"" << token << "\"";
    return v;
}

std::vector<std::string> split(const std::string& text, const std::string& separators) {
    std::vector<std::string> tokens;
    std::string token;
    for (char c : text) {
        if (separators.find(c) != std::string::npos) {
            if (!token.empty()) tokens.push_back(token);
            token.clear();
        } else {
            token += c;
        }
    }
    if (!token.empty()) tokens.push_back(token);
    return tokens;
}

// The assignments "name = value" of a MATLAB/Octave or Python text as their
// interpreters see them: comment lines dropped, a statement ends at
// `statement_end` outside brackets, a value is a number or a bracketed list
// (for Python inside np.array(...), with an optional dtype). Every value
// token is a whole number. `other` receives the statements that are not
// assignments.
std::map<std::string, std::vector<std::string>> assignments(const std::string& text, char comment, char statement_end,
                                                            std::vector<std::string>& other) {
    std::string code;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const auto first = line.find_first_not_of(' ');
        if (first != std::string::npos && line[first] == comment) continue;
        code += line + "\n";
    }
    std::map<std::string, std::vector<std::string>> values;
    std::string statement;
    int depth = 0;
    auto finish = [&] {
        const auto eq = statement.find('=');
        const auto first = statement.find_first_not_of(" \n");
        if (first == std::string::npos) {
        } else if (eq == std::string::npos || statement.find("import") != std::string::npos) {
            other.push_back(statement.substr(first));
        } else {
            const std::string name = split(statement.substr(0, eq), " \n").at(0);
            std::string rhs = statement.substr(eq + 1);
            for (const char* drop : {"np.array", "dtype=np.int64", "..."})
                for (auto at = rhs.find(drop); at != std::string::npos; at = rhs.find(drop))
                    rhs.replace(at, std::string(drop).size(), " ");
            values[name] = split(rhs, " \n,[]()");
        }
        statement.clear();
    };
    for (char c : code) {
        if (c == '[' || c == '(') ++depth;
        if (c == ']' || c == ')') --depth;
        if (c == statement_end && depth == 0)
            finish();
        else
            statement += c;
    }
    finish();
    EXPECT_EQ(depth, 0);
    return values;
}

// A real as its reader sees it: a decimal point or an exponent, never the
// bare digits of an integer.
bool written_as_real(const std::string& token) { return token.find_first_of(".eE") != std::string::npos; }

std::vector<double> reals(const std::vector<std::string>& tokens) {
    std::vector<double> v;
    for (const auto& t : tokens) v.push_back(real_of(t));
    return v;
}

std::vector<long long> integers(const std::vector<std::string>& tokens) {
    std::vector<long long> v;
    for (const auto& t : tokens) v.push_back(integer_of(t));
    return v;
}

const std::vector<Export_Case> Export_Cases = {
    // Odd symmetric (case 1), 16 bits: int16_t.
    {"lowpass_31", 1, 31, 16, {{0.0, 0.1, 1.0, 1.0}, {0.15, 0.5, 0.0, 10.0}}, 16},
    // Odd antisymmetric (case 3, zero centre tap), 10 bits: words of 3 hex
    // digits whose top bits are cut.
    {"hilbert_31", 3, 31, 16, {{0.05, 0.45, 1.0, 1.0}}, 10},
    // Even antisymmetric (case 4), the widest word: int64_t, 12 hex digits.
    {"differentiator_32", 2, 32, 16, {{0.0, 0.5, 1.0, 1.0}}, 48},
    // Even symmetric (case 2), three bands, 20 bits: int32_t.
    {"bandpass_24", 1, 24, 16, {{0.0, 0.08, 0.0, 1.0}, {0.15, 0.3, 1.0, 1.0}, {0.37, 0.5, 0.0, 1.0}}, 20},
    // No rounding: only the full-precision formats.
    {"unrounded_24", 1, 24, 16, {{0.0, 0.2, 1.0, 1.0}, {0.27, 0.5, 0.0, 1.0}}, 0},
};

class Weight_Export : public ::testing::TestWithParam<Export_Case> {
protected:
    void SetUp() override {
        Reset_Design_Program();
        Fix_Clock_And_Clear_Results();
        Weights_Quantized = false;
        KALTAP_Clear_Inputs();  // the designs here come from no dialog
        folder = fs::path("export_") += GetParam().name;
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string path(const char* extension) const { return (folder / GetParam().name).string() + extension; }

    // Compiles a program that includes the header and prints its arrays;
    // returns its output lines.
    std::vector<std::string> compile_and_run_header(const std::string& header) {
        const std::string id = GetParam().name;
        std::string ID = id;
        for (char& c : ID) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const std::string quantized = GetParam().bits >= KALTAP_Minimum_Bits ? "1" : "0";
        std::ofstream main_file(folder / "main.cpp");
        main_file << "#include <cstdio>\n#include \"" << fs::path(header).filename().string() << "\"\n"
                  << "#include \"" << fs::path(header).filename().string() << "\"  // the guard holds\n"
                  << "int main() {\n"
                  << "    for (int i = 0; i < " << ID << "_LENGTH; ++i) std::printf(\"%.17g\\n\", " << id
                  << "_taps[i]);\n"
                  << "#if " << quantized << "\n"
                  << "    std::printf(\"bits %d scale %.17g size %d\\n\", " << ID << "_BITS, " << id
                  << "_scale_factor, (int)sizeof " << id << "_taps_int[0]);\n"
                  << "    for (int i = 0; i < " << ID << "_LENGTH; ++i) std::printf(\"%lld\\n\", (long long)" << id
                  << "_taps_int[i]);\n"
                  << "#endif\n    return 0;\n}\n";
        main_file.close();
        const std::string dir = folder.string();
        const std::string command = "cd '" + dir +
                                    "' && c++ -std=c++17 -Wall -Wextra -Werror -o header_test main.cpp"
                                    " > compile.log 2>&1 && ./header_test > output.txt";
        EXPECT_EQ(std::system(command.c_str()), 0) << read_file((folder / "compile.log").string());
        return Read_Lines((folder / "output.txt").string());
    }

    fs::path folder;
    Console_Capture console;
};

TEST_P(Weight_Export, EveryOfferedFormatReadsBackToTheDesign) {
    const Export_Case& c = GetParam();
    design(c);
    const bool quantized = c.bits >= KALTAP_Minimum_Bits;
    ASSERT_EQ(KALTAP_Export_Quantized(), quantized);
    const std::vector<double> taps = Full_Impulse_Response();
    const std::size_t N = taps.size();
    std::vector<long long> q;
    if (quantized) {
        q = expected_integers();
        bool negative = false;
        for (long long v : q) negative = negative || v < 0;
        ASSERT_TRUE(negative) << "the case should have negative integers";
    }
    const std::vector<double> state_before = taps;

    std::vector<KALTAP_Export_Format> formats;
    for (const auto& info : KALTAP_Export_Offered(quantized)) formats.push_back(info.format);
    ASSERT_EQ(formats.size(), quantized ? 6u : 4u);
    for (KALTAP_Export_Format format : formats) {
        const std::string file = path(KALTAP_Export_Info(format).extension);
        std::string reason = "x";
        ASSERT_TRUE(KALTAP_Export_Weights(format, file, reason)) << file << ": " << reason;
        EXPECT_EQ(reason, "");
        const std::string text = read_file(file);
        SCOPED_TRACE(file);

        switch (format) {
            case KALTAP_Export_Format::C_Header: {
                const auto out = compile_and_run_header(file);
                ASSERT_EQ(out.size(), quantized ? 2 * N + 1 : N);
                for (std::size_t i = 0; i < N; ++i) EXPECT_EQ(real_of(out[i]), taps[i]) << i;
                EXPECT_NE(text.find(" * kaltap " KALTAP_VERSION_STRING " FIR filter design, exported "),
                          std::string::npos);
                if (!quantized) break;
                const int size = c.bits <= 16 ? 2 : c.bits <= 32 ? 4 : 8;
                char expected[128];
                std::snprintf(expected, sizeof expected, "bits %d scale %.17g size %d", c.bits, Scale_Factor, size);
                EXPECT_EQ(out[N], expected);
                for (std::size_t i = 0; i < N; ++i) EXPECT_EQ(integer_of(out[N + 1 + i]), q[i]) << i;
                break;
            }
            case KALTAP_Export_Format::Matlab:
            case KALTAP_Export_Format::Python: {
                const bool matlab = format == KALTAP_Export_Format::Matlab;
                std::vector<std::string> other;
                auto values = assignments(text, matlab ? '%' : '#', matlab ? ';' : '\n', other);
                EXPECT_EQ(other, matlab ? std::vector<std::string>{} : std::vector<std::string>{"import numpy as np"});
                EXPECT_EQ(reals(values["h"]), taps);
                for (const auto& token : values["h"]) EXPECT_TRUE(written_as_real(token)) << token;
                if (quantized) {
                    EXPECT_EQ(integers(values["bits"]), std::vector<long long>{c.bits});
                    EXPECT_EQ(reals(values["scale_factor"]), std::vector<double>{Scale_Factor});
                    EXPECT_EQ(integers(values["h_int"]), q);
                    if (!matlab) { EXPECT_NE(text.find("], dtype=np.int64)"), std::string::npos); }
                }
                EXPECT_EQ(values.size(), quantized ? 4u : 1u);
                break;
            }
            case KALTAP_Export_Format::Xilinx_Coe: {
                // Comments begin with ";"; then radix=10; and coefdata=...;
                std::string body;
                std::istringstream in(text);
                for (std::string line; std::getline(in, line);)
                    if (line.empty() || line[0] != ';') body += line + " ";
                const std::vector<std::string> statements = split(body, ";");
                ASSERT_EQ(statements.size(), 3u);  // the last is the line end after the final ";"
                EXPECT_EQ(split(statements[0], " "), std::vector<std::string>{"radix=10"});
                const std::string data = statements[1].substr(statements[1].find_first_not_of(' '));
                ASSERT_EQ(data.rfind("coefdata=", 0), 0u) << data;
                EXPECT_EQ(integers(split(data.substr(9), ", ")), q);
                EXPECT_EQ(split(statements[2], " "), std::vector<std::string>{});
                EXPECT_EQ(static_cast<std::size_t>(std::count(data.begin(), data.end(), ',')), N - 1);
                break;
            }
            case KALTAP_Export_Format::Memory_Init: {
                // As $readmemh takes it: one word per line, sign-extended from the bit count.
                const auto lines = Read_Lines(file);
                ASSERT_EQ(lines.size(), N);
                const std::size_t digits = static_cast<std::size_t>((c.bits + 3) / 4);
                for (std::size_t i = 0; i < N; ++i) {
                    ASSERT_EQ(lines[i].size(), digits) << lines[i];
                    long long v = integer_of(lines[i], 16);
                    ASSERT_LT(v, 1LL << c.bits) << lines[i];
                    if (v >= 1LL << (c.bits - 1)) v -= 1LL << c.bits;
                    EXPECT_EQ(v, q[i]) << i << ": " << lines[i];
                }
                break;
            }
            case KALTAP_Export_Format::Json: {
                nlohmann::json record = nlohmann::json::parse(text);
                EXPECT_EQ(record["format"], "kaltap-design");
                EXPECT_EQ(record["format_version"], 2);
                EXPECT_TRUE(record["input"].is_null());  // a design not made in the dialogs
                EXPECT_EQ(record["program"], "kaltap");
                EXPECT_EQ(record["program_version"], KALTAP_VERSION_STRING);
                EXPECT_EQ(record["date"], Test_Date);
                auto& requirements = record["requirements"];
                const char* type_names[] = {"", "bandpass", "differentiator", "hilbert_transformer", "equalizer"};
                EXPECT_EQ(requirements["filter_type"], type_names[c.type]);
                EXPECT_EQ(requirements["number_of_weights"], c.N);
                EXPECT_EQ(requirements["grid_density"], c.density);
                EXPECT_EQ(requirements["linear_phase_case"], PMC_DCT_Type);
                EXPECT_EQ(requirements["symmetry"], Antisymmetric ? "antisymmetric" : "symmetric");
                auto& results = record["results"];
                ASSERT_EQ(requirements["bands"].size(), c.bands.size());
                ASSERT_EQ(results["bands"].size(), c.bands.size());
                for (int k = 1; k <= Number_of_Bands; ++k) {
                    auto& sb = requirements["bands"][k - 1];
                    auto& rb = results["bands"][k - 1];
                    EXPECT_EQ(sb["lower_edge"].get<double>(), Band_Edges(2 * k - 1));
                    EXPECT_EQ(sb["upper_edge"].get<double>(), Band_Edges(2 * k));
                    EXPECT_EQ(sb["desired"].get<double>(), Band_Desired_Value(k));
                    EXPECT_EQ(sb["weight"].get<double>(), Band_Weighting(k));
                    const double deviation = Remez_Deviation / Band_Weighting(k);
                    EXPECT_EQ(rb["deviation"].get<double>(), deviation);
                    if (c.type != 1) {
                        EXPECT_TRUE(rb["deviation_db"].is_null());
                        continue;
                    }
                    const double D = Band_Desired_Value(k);
                    const double db = D == 0.0 ? 20.0 * std::log10(deviation)
                                               : 20.0 * std::log10((D + deviation) / (D - deviation));
                    EXPECT_DOUBLE_EQ(rb["deviation_db"].get<double>(), db);
                }
                EXPECT_EQ(results["taps"].get<std::vector<double>>(), taps);
                EXPECT_EQ(results["deviation"].get<double>(), Remez_Deviation);
                std::vector<double> extremal;
                for (int j = 1; j <= Half_Length + 1; ++j) extremal.push_back(Grid_Frequency(Extremal_Index(j)));
                EXPECT_EQ(results["extremal_frequencies"].get<std::vector<double>>(), extremal);
                EXPECT_EQ(results["iterations"], KALTAP_Remez_Iterations());
                EXPECT_GT(KALTAP_Remez_Iterations(), 0);
                auto& quantization = results["quantization"];
                if (!quantized) {
                    EXPECT_TRUE(quantization.is_null());
                    break;
                }
                EXPECT_EQ(quantization["bits"], c.bits);
                EXPECT_EQ(quantization["scale_factor"].get<double>(), Scale_Factor);
                EXPECT_EQ(quantization["integers"].get<std::vector<long long>>(), q);
                const auto rounded = quantization["rounded_taps"].get<std::vector<double>>();
                ASSERT_EQ(rounded.size(), N);
                for (std::size_t i = 0; i < N; ++i)
                    EXPECT_EQ(rounded[i], static_cast<double>(q[i]) / Scale_Factor) << i;
                break;
            }
        }
    }
    // Exporting changes nothing of the design.
    EXPECT_EQ(Full_Impulse_Response(), state_before);
    EXPECT_TRUE(KALTAP_Filter_Weights_Valid);
    EXPECT_EQ(KALTAP_Export_Quantized(), quantized);
}

INSTANTIATE_TEST_SUITE_P(Designs, Weight_Export, ::testing::ValuesIn(Export_Cases), Case_Name());

// ---- The menu routine through the scripted window layer ----

class Export_Menu : public ::testing::Test {
protected:
    void SetUp() override {
        Reset_Design_Program();
        UIK_Reset_Call_Interface();
        Fix_Clock_And_Clear_Results();
        Weights_Quantized = false;
        KALTAP_Filter_Weights_Valid = false;
        folder = "export_menu";
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override {
        fs::remove_all(folder);
        Fix_Clock_And_Clear_Results();  // the result files of a design loop
    }
    void design(int bits) { ::design({"lowpass", 1, 31, 16, {{0.0, 0.1, 1.0, 1.0}, {0.15, 0.5, 0.0, 10.0}}, bits}); }
    std::string in_folder(const std::string& name) const { return (folder / name).string(); }

    fs::path folder;
    Console_Capture console;
    UIK_Script script;
};

struct Choice_Case {
    const char* what;
    int bits;
    const char* typed;    // the name typed in the dialog
    const char* type;     // the file type chosen
    const char* written;  // the file written, "" for none
    KALTAP_Export_Format format;
    const char* alert;  // the error box's text after "Can't write <folder>/", "" for none
};

const Choice_Case Choice_Cases[] = {
    {"a name without extension takes the type's", 16, "taps", "Python/NumPy module (*.py)", "taps.py",
     KALTAP_Export_Format::Python, ""},
    {"the name's extension wins over the type", 16, "taps.json", "C/C++ header (*.h)", "taps.json",
     KALTAP_Export_Format::Json, ""},
    {"extensions in any case", 12, "TAPS.COE", "JSON design record (*.json)", "TAPS.COE",
     KALTAP_Export_Format::Xilinx_Coe, ""},
    {"an unknown extension keeps it and adds the type's", 16, "taps.v", "Verilog/VHDL memory initialisation (*.mem)",
     "taps.v.mem", KALTAP_Export_Format::Memory_Init, ""},
    {"a quantized format typed for a design without rounding", 0, "taps.mem", "MATLAB/Octave script (*.m)", "",
     KALTAP_Export_Format::Memory_Init, "taps.mem: this format needs weights quantized to 2 to 48 bits"},
    {"without rounding the type list is shorter", 0, "taps", "JSON design record (*.json)", "taps.json",
     KALTAP_Export_Format::Json, ""},
};

TEST_F(Export_Menu, TheNameOrTheTypeChoosesTheFormat) {
    for (const Choice_Case& c : Choice_Cases) {
        SCOPED_TRACE(c.what);
        design(c.bits);
        const bool quantized = c.bits >= KALTAP_Minimum_Bits;
        std::vector<std::string> offered;
        for (const auto& info : KALTAP_Export_Offered(quantized)) offered.push_back(info.file_type);
        const auto at = std::find(offered.begin(), offered.end(), c.type);
        ASSERT_NE(at, offered.end());
        const std::size_t alerts = script.alerts.size(), lines = console.lines.size();
        script.Save_As(in_folder(c.typed), static_cast<int>(at - offered.begin()) + 1);
        EXPECT_EQ(KALTAP_Export_Weights_Action(), 0);

        ASSERT_FALSE(script.save_dialogs.empty());
        EXPECT_EQ(script.save_dialogs.back().caption, "Export Weights");
        EXPECT_EQ(script.save_dialogs.back().file_types, offered);
        if (*c.alert != '\0') {
            ASSERT_EQ(script.alerts.size(), alerts + 1);
            EXPECT_EQ(script.alerts.back().title, "###Error in KALTAP Weight Export");
            EXPECT_EQ(script.alerts.back().text, "Can't write " + in_folder(c.alert));
            EXPECT_EQ(console.lines.size(), lines);
            EXPECT_TRUE(fs::is_empty(folder));
            continue;
        }
        EXPECT_EQ(script.alerts.size(), alerts);
        const std::string written = in_folder(c.written);
        ASSERT_TRUE(fs::exists(written));
        EXPECT_EQ(read_file(written),
                  KALTAP_Export_Text(c.format, KALTAP_Export_Snapshot(), KALTAP_Export_Identifier(written)));
        EXPECT_EQ(console.lines.back(),
                  "Weights exported to " + written + " (" + KALTAP_Export_Info(c.format).file_type + ")");
        // The next export offers the format just used first.
        script.Save_As("");
        KALTAP_Export_Weights_Action();
        EXPECT_EQ(offered.at(static_cast<std::size_t>(script.save_dialogs.back().selected - 1)),
                  KALTAP_Export_Info(c.format).file_type);
        fs::remove(written);
    }
    // A cancelled dialog writes nothing and says nothing.
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_TRUE(script.script_errors.empty()) << script.script_errors.front();
}

// A file that cannot be written: an error box naming the file and the
// system's reason; the design, its quantization and the files around stay.
TEST_F(Export_Menu, AFileThatCannotBeWrittenGivesAnErrorBoxAndChangesNothing) {
    design(16);
    fs::create_directories(folder / "taps.json");
    fs::create_symlink("/dev/full", folder / "full.h");
    const struct {
        const char* name;
        const char* reason;
    } cases[] = {
        {"missing/taps.h", "No such file or directory"},
        {"taps.json", "Is a directory"},
        {"full.h", "No space left on device"},
    };
    const std::vector<double> taps = Full_Impulse_Response();
    const std::vector<long long> q = expected_integers();
    const double scale = Scale_Factor;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t lines = console.lines.size();
        script.Save_As(in_folder(c.name), 1);
        EXPECT_EQ(KALTAP_Export_Weights_Action(), 0);
        ASSERT_FALSE(script.alerts.empty());
        EXPECT_EQ(script.alerts.back().title, "###Error in KALTAP Weight Export");
        EXPECT_EQ(script.alerts.back().text, "Can't write " + in_folder(c.name) + ": " + c.reason);
        EXPECT_EQ(console.lines.size(), lines);
        EXPECT_EQ(Full_Impulse_Response(), taps);
        EXPECT_TRUE(KALTAP_Export_Quantized());
        EXPECT_EQ(expected_integers(), q);
        EXPECT_EQ(Scale_Factor, scale);
    }
    EXPECT_FALSE(fs::exists(folder / "missing"));
    EXPECT_TRUE(fs::is_directory(folder / "taps.json"));
    EXPECT_TRUE(fs::is_empty(folder / "taps.json"));
    EXPECT_TRUE(fs::is_character_file(folder / "full.h"));

    // An export over an earlier file cut short by the file size limit (a real
    // EFBIG) keeps the earlier file byte for byte and leaves no other file.
    const std::string earlier = "an earlier export\n";
    std::ofstream(folder / "earlier.py") << earlier;
    script.Save_As(in_folder("earlier.py"), 1);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlim_t no_limit = limit.rlim_cur;
    limit.rlim_cur = earlier.size();
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const int action = KALTAP_Export_Weights_Action();
    limit.rlim_cur = no_limit;
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_EQ(action, 0);
    EXPECT_EQ(script.alerts.back().text, "Can't write " + in_folder("earlier.py") + ": " + std::strerror(EFBIG));
    std::ifstream in(folder / "earlier.py", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), earlier);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3);
}

// The item is usable only while the design's weights are valid: added
// disabled, enabled by a finished design, disabled again when the next loop
// leaves no design; without valid weights the routine offers nothing.
TEST_F(Export_Menu, TheItemFollowsTheValidityOfTheDesign) {
    script.Accept({{"Agree?", "1"}, {"Select run type:", "1"}});
    script.Accept({{"Select filter design approach:", "3"}});
    script.Accept();  // filter definition as shown
    script.Accept();  // the bands as shown
    script.Accept();  // accept the design
    script.Accept({{"Number of Bits (2 to 48)", "16"}});
    KALTAP_Run_Design_Program();
    ASSERT_EQ(script.menu_items.size(), 10u);  // and "Save Design…", "Open Design…", the six of "View"
    EXPECT_EQ(script.menu_items[1].menu, "FIR Design");
    EXPECT_EQ(script.menu_items[1].item, "Export Weights…");
    ASSERT_GE(script.menu_states.size(), 2u);
    EXPECT_EQ(script.menu_states[0].item, "Export Weights…");
    EXPECT_FALSE(script.menu_states[0].enabled);  // as added, before any design
    EXPECT_TRUE(script.item_enabled("FIR Design", "Export Weights…"));
    EXPECT_TRUE(script.item_enabled(KALTAP_View_Menu, "Zeros"));  // the View items follow the design too

    // From the menu: every format, the quantized ones too.
    script.Save_As(in_folder("from_menu.mem"));
    EXPECT_EQ(script.menu_items[1].callback(), 0);
    EXPECT_EQ(script.save_dialogs.back().file_types.size(), 6u);
    EXPECT_EQ(Read_Lines(in_folder("from_menu.mem")).size(), static_cast<std::size_t>(Number_of_Weights));

    // A new loop that ends without a design (an equalizer file that is
    // missing): the item is disabled.
    script.Accept({{"Select filter design approach:", "4"}});
    script.Accept({{"Input data file", "missing.csv"}});
    EXPECT_EQ(script.menu_items[0].callback(), 0);
    ASSERT_FALSE(KALTAP_Filter_Weights_Valid);
    EXPECT_FALSE(script.item_enabled("FIR Design", "Export Weights…"));
    EXPECT_FALSE(script.item_enabled(KALTAP_View_Menu, "Zeros"));

    // Chosen anyway (a stale menu): the routines refuse before any dialog or window.
    const std::size_t dialogs = script.save_dialogs.size(), plots = script.plots.size();
    EXPECT_EQ(script.menu_items[1].callback(), 0);
    EXPECT_EQ(script.menu_items.back().callback(), 0);
    EXPECT_EQ(script.save_dialogs.size(), dialogs);
    EXPECT_EQ(script.plots.size(), plots);
    EXPECT_TRUE(
        console.contains("###Error in KALTAP_Export_Weights, called with KALTAP_Filter_Weights_Valid==.FALSE."));
    EXPECT_TRUE(console.contains("###Error in KALTAP_Analysis_View, called with KALTAP_Filter_Weights_Valid==.FALSE."));
    std::string reason;
    EXPECT_FALSE(KALTAP_Export_Weights(KALTAP_Export_Format::Json, in_folder("stale.json"), reason));
    EXPECT_EQ(reason, "the current design has no valid weights");
    EXPECT_FALSE(fs::exists(in_folder("stale.json")));

    // A later run whose agreement is cancelled has added no item: nothing to
    // enable or disable (the window layer would report an unknown item).
    const std::size_t states = script.menu_states.size();
    script.Cancel();
    KALTAP_Run_Design_Program();
    EXPECT_EQ(script.menu_states.size(), states);
    EXPECT_TRUE(script.script_errors.empty()) << script.script_errors.front();
}

// ---- Reals stay reals ----

// A record whose taps and scale factor are all whole numbers, zeros among
// them: the case in which a reader that guesses the type from the text takes
// integers (NumPy would make the array int64).
KALTAP_Export_Design whole_number_record() {
    KALTAP_Export_Design d;
    d.program_version = KALTAP_VERSION_STRING;
    d.date = Test_Date;
    d.number_of_weights = 5;
    d.grid_density = 16;
    d.bands.resize(2);
    d.taps = {0.0, 1.0, -2.0, 1.0, 0.0};
    d.extremal_frequencies = {0.0, 0.25, 0.5};
    d.quantized = true;
    d.bits = 8;
    d.scale_factor = 4.0;
    d.integers = {0, 4, -8, 4, 0};
    d.rounded_taps = d.taps;
    return d;
}

// A value as written: what it reads back to and whether its reader takes it
// for a real.
struct Written_Value {
    double value;
    bool real;
    bool operator==(const Written_Value& o) const { return value == o.value && real == o.real; }
};

void PrintTo(const Written_Value& v, std::ostream* os) { *os << v.value << (v.real ? " real" : " integer"); }

std::vector<Written_Value> written(const std::vector<std::string>& tokens) {
    std::vector<Written_Value> values;
    for (const auto& t : tokens) values.push_back({real_of(t), written_as_real(t)});
    return values;
}

// The taps, then the scale factor, as each format writes them (the JSON
// record also the rounded taps).
std::vector<Written_Value> c_header_reals(const std::string& text) {
    std::vector<std::string> tokens;
    std::istringstream in(text);
    bool in_taps = false;
    for (std::string line; std::getline(in, line);) {
        if (line.find("_taps[") != std::string::npos) {
            in_taps = true;
        } else if (in_taps && line == "};") {
            in_taps = false;
        } else if (in_taps) {
            tokens.push_back(split(line, " ,").at(0));
        } else if (line.find("_scale_factor = ") != std::string::npos) {
            tokens.push_back(split(line.substr(line.find('=') + 1), " ;").at(0));
        }
    }
    return written(tokens);
}

std::vector<Written_Value> script_reals(const std::string& text, char comment, char statement_end) {
    std::vector<std::string> other;
    auto values = assignments(text, comment, statement_end, other);
    std::vector<std::string> tokens = values["h"];
    for (const auto& t : values["scale_factor"]) tokens.push_back(t);
    return written(tokens);
}

std::vector<Written_Value> json_reals(const std::string& text) {
    const nlohmann::json record = nlohmann::json::parse(text);
    const auto& results = record.at("results");
    const auto& q = results.at("quantization");
    std::vector<Written_Value> values;
    for (const auto& v : results.at("taps")) values.push_back({v.get<double>(), v.is_number_float()});
    values.push_back({q.at("scale_factor").get<double>(), q.at("scale_factor").is_number_float()});
    for (const auto& v : q.at("rounded_taps")) values.push_back({v.get<double>(), v.is_number_float()});
    for (const auto& v : q.at("integers")) EXPECT_TRUE(v.is_number_integer()) << v;
    return values;
}

struct Reals_Case {
    KALTAP_Export_Format format;
    std::vector<Written_Value> (*read)(const std::string& text);
    bool with_rounded_taps;
};

TEST(Weight_Export_Reals, WholeNumbersAndZerosAreWrittenAsReals) {
    const Reals_Case cases[] = {
        {KALTAP_Export_Format::C_Header, c_header_reals, false},
        {KALTAP_Export_Format::Matlab, [](const std::string& t) { return script_reals(t, '%', ';'); }, false},
        {KALTAP_Export_Format::Python, [](const std::string& t) { return script_reals(t, '#', '\n'); }, false},
        {KALTAP_Export_Format::Json, json_reals, true},
    };
    const KALTAP_Export_Design d = whole_number_record();
    for (const Reals_Case& c : cases) {
        SCOPED_TRACE(KALTAP_Export_Info(c.format).extension);
        std::vector<Written_Value> expected;
        for (double v : d.taps) expected.push_back({v, true});
        expected.push_back({d.scale_factor, true});
        if (c.with_rounded_taps)
            for (double v : d.rounded_taps) expected.push_back({v, true});
        EXPECT_EQ(c.read(KALTAP_Export_Text(c.format, d, "whole")), expected);
    }
}

// ---- The design's warnings travel with it ----

struct Warning_Case {
    KALTAP_Export_Format format;
    const char* mark;  // what begins a comment line; "" for a format without comments
};

const Warning_Case Warning_Cases[] = {
    {KALTAP_Export_Format::C_Header, " * "}, {KALTAP_Export_Format::Matlab, "% "},
    {KALTAP_Export_Format::Python, "# "},    {KALTAP_Export_Format::Xilinx_Coe, "; "},
    {KALTAP_Export_Format::Memory_Init, ""}, {KALTAP_Export_Format::Json, ""},
};

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

class Export_Warnings : public ::testing::Test {
protected:
    void SetUp() override {
        Reset_Design_Program();
        Fix_Clock_And_Clear_Results();
        Weights_Quantized = false;
        fs::remove_all(folder);
        fs::create_directories(folder);
        design({"warned", 1, 31, 16, {{0.0, 0.1, 1.0, 1.0}, {0.15, 0.5, 0.0, 10.0}}, 16});
        DESIGN_WARNINGS_Clear();
    }
    void TearDown() override {
        DESIGN_WARNINGS_Clear();
        fs::remove_all(folder);
    }
    // The file `format` writes for the current design.
    std::string exported(KALTAP_Export_Format format) {
        const std::string file = (folder / "warned").string() + KALTAP_Export_Info(format).extension;
        std::string reason;
        EXPECT_TRUE(KALTAP_Export_Weights(format, file, reason)) << reason;
        return read_file(file);
    }

    const fs::path folder = "export_warnings";
    Console_Capture console;
};

TEST_F(Export_Warnings, EveryWarningOnceInTheRecordAndEachCommentHeader) {
    const std::vector<std::string> warnings = {
        "***Warning: the exchange stopped at its iteration limit",
        "###Warning in KALTAP_Quantizer, all filter weights are zero",
    };
    for (const auto& w : warnings) DESIGN_WARNINGS_Note(w);
    DESIGN_WARNINGS_Note(warnings[0]);  // shown twice, one warning
    for (const Warning_Case& c : Warning_Cases) {
        SCOPED_TRACE(KALTAP_Export_Info(c.format).extension);
        const std::string text = exported(c.format);
        if (c.format == KALTAP_Export_Format::Json) {
            const auto record = nlohmann::json::parse(text);
            EXPECT_EQ(record.at("results").at("warnings").get<std::vector<std::string>>(), warnings);
            for (const auto& w : warnings) EXPECT_EQ(occurrences(text, w), 1u) << w;
            continue;
        }
        if (*c.mark == '\0') {
            EXPECT_EQ(occurrences(text, "Warning"), 0u);
            continue;
        }
        // The block closes the summary: "Warnings:", then one line per warning,
        // then the first line that is not a comment.
        const std::string mark = c.mark;
        const auto lines = split(text, "\n");
        const auto heading = std::find(lines.begin(), lines.end(), mark + "Warnings:");
        ASSERT_NE(heading, lines.end());
        ASSERT_GE(lines.end() - heading, 3);
        EXPECT_EQ(heading[1], mark + "  " + warnings[0]);
        EXPECT_EQ(heading[2], mark + "  " + warnings[1]);
        EXPECT_NE(heading[-1].find("Quantized to 16 bits"), std::string::npos) << heading[-1];
        EXPECT_NE(heading[3].rfind(mark, 0), 0u) << heading[3];
        EXPECT_EQ(occurrences(text, "Warnings:"), 1u);
        for (const auto& w : warnings) EXPECT_EQ(occurrences(text, w), 1u) << w;
    }
}

TEST_F(Export_Warnings, NoWarningsNoBlock) {
    for (const Warning_Case& c : Warning_Cases) {
        SCOPED_TRACE(KALTAP_Export_Info(c.format).extension);
        const std::string text = exported(c.format);
        EXPECT_EQ(occurrences(text, "Warning"), 0u);
        if (c.format == KALTAP_Export_Format::Json) {
            const auto record = nlohmann::json::parse(text);
            const auto& list = record.at("results").at("warnings");
            EXPECT_TRUE(list.is_array());
            EXPECT_TRUE(list.empty());
        }
    }
}

// A warning that holds the end of a C comment does not end the header's
// comment block early: the block closes only at its own last line.
TEST_F(Export_Warnings, AWarningDoesNotCloseTheHeaderComment) {
    DESIGN_WARNINGS_Note("***Warning: a stray */ in the text");
    const std::string text = exported(KALTAP_Export_Format::C_Header);
    const auto close = text.find("*/");
    ASSERT_NE(close, std::string::npos);
    EXPECT_EQ(text.compare(close - 1, 4, " */\n"), 0);
    EXPECT_EQ(text.find("Warnings:"), text.rfind("Warnings:"));
    EXPECT_LT(text.find("***Warning: a stray"), close);
}

}  // namespace

namespace {

// A record states the figures its taps have: a design that did not converge
// says so, and its band deviations are the peaks measured from the taps the
// record holds; a converged one keeps the levelled deviation.
struct Convergence_Case {
    const char* name;
    int N;
    bool converged;
    bool measured;
};

class Export_Convergence : public ::testing::TestWithParam<Convergence_Case> {};

TEST_P(Export_Convergence, RecordAndHeaderStateTheTapsFigures) {
    Reset_Design_Program();
    Fix_Clock_And_Clear_Results();
    Console_Capture console;
    const std::vector<Band> bands = {{0.0, 0.1, 1.0, 1.0}, {0.2, 0.5, 0.0, 1.0}};
    design({GetParam().name, 1, GetParam().N, 16, bands, 0});
    const KALTAP_Export_Design d = KALTAP_Export_Snapshot();
    const auto record = nlohmann::json::parse(KALTAP_Export_Json(d));
    const auto& results = record.at("results");
    EXPECT_EQ(results.at("converged").get<bool>(), GetParam().converged);
    EXPECT_EQ(results.at("deviations_measured").get<bool>(), GetParam().measured);
    const std::vector<double> h = results.at("taps").get<std::vector<double>>();
    const double centre = (h.size() + 1) / 2.0;
    for (std::size_t k = 0; k < bands.size(); ++k) {
        double peak = 0.0;
        for (int i = 0; i <= 4000; ++i) {
            const double f = bands[k].lower + (bands[k].upper - bands[k].lower) * i / 4000;
            double A = 0.0;
            for (std::size_t n = 1; n <= h.size(); ++n) A += h[n - 1] * std::cos(2 * M_PI * f * (n - centre));
            peak = std::max(peak, std::fabs(A - bands[k].desired));
        }
        const double stated = results.at("bands").at(k).at("deviation").get<double>();
        // Within 10 %, or within this sum's own rounding for taps at the
        // rounding of double.
        EXPECT_NEAR(stated, peak, 0.1 * peak + 2e-15) << "band " << k + 1;
    }
    const std::string header = KALTAP_Export_Matlab(d);
    EXPECT_EQ(header.find("did not converge") != std::string::npos, !GetParam().converged);
    EXPECT_EQ(header.find("measured from the taps") != std::string::npos, GetParam().measured);
}

INSTANTIATE_TEST_SUITE_P(Designs, Export_Convergence,
                         // 201 weights ask for more than double arithmetic levels: the
                         // design converges in a longer one, and its figures are measured.
                         ::testing::Values(Convergence_Case{"LowPass31", 31, true, false},
                                           Convergence_Case{"LowPass201", 201, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
