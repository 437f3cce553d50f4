// SPDX-License-Identifier: GPL-3.0-or-later
// The JSON design record as input: its "input" section, written with the
// rest of the record by the weight export, and the reader that takes a whole
// record back to the inputs of a design (schema in the README, "JSON design
// record" and "Scripting").
//
// Version 2 of the record holds an "input" section with everything the
// design's dialogs were given; a version 1 record (requirements and results
// only) reads as a classical design of its requirements, with the bits of its
// quantization (0 when it has none).
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "Design_Inputs.h"

// The record's "format" text and the version this program writes.
extern const char* const KALTAP_Record_Format;
constexpr int KALTAP_Record_Version = 2;
// Records larger than this are refused before they are read (bytes).
constexpr std::uintmax_t KALTAP_Record_Size_Limit = 16u * 1024u * 1024u;

// The "input" section of `inputs` (null when the path is None). Reals are
// written as the shortest numbers that read back to the same doubles.
nlohmann::ordered_json KALTAP_Record_Input(const KALTAP_Design_Inputs& inputs);

// Reads the record `text` into `inputs`. False on a record that is not
// valid JSON, whose "format" is not "kaltap-design", whose "format_version"
// is not 1 or 2, or whose fields needed for its path are missing, of the
// wrong type, not finite, outside their ranges (edges 0..0.5, bits 0 or
// 2..48, positive counts) or, for the bands, out of order (each band's
// lower edge below its upper edge, below the next band's lower edge); then
// `error` names the first such field by its place in the record
// ("input.bands[2].lower_edge: ...") and `inputs` is left unchanged.
bool KALTAP_Parse_Design_Record(const std::string& text, KALTAP_Design_Inputs& inputs, std::string& error);

// Reads the record file at `path`: refused without reading it when it cannot
// be opened or is larger than KALTAP_Record_Size_Limit, then parsed as
// KALTAP_Parse_Design_Record. `error` starts with the path.
bool KALTAP_Read_Design_Record(const std::string& path, KALTAP_Design_Inputs& inputs, std::string& error);
