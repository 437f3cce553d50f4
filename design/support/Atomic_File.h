// SPDX-License-Identifier: GPL-3.0-or-later
// Files that appear whole or not at all.
//
// A result file is written to a temporary file in the folder of its final
// name and renamed over that name only once every byte has been written,
// flushed and handed to the disk (fsync). A failure removes the temporary
// file: the final name never holds a partial file, and an earlier file of
// that name stays byte for byte as it was. A new file replacing an earlier
// one keeps the earlier one's permission bits.
//
// A final name that exists and is not a regular file (a device such as
// /dev/null, a FIFO) is written in place, since renaming over it would replace
// the device; its writes are checked all the same. A symbolic link is
// followed: the file it names is replaced, the link stays.
#pragma once

#include <cstdio>
#include <string>

struct ATOMIC_File {
    std::FILE* file = nullptr;   // the stream to write; null when not open
    std::string final_name;      // the name the file has once committed
    std::string temporary_name;  // the file written until then; empty when written in place
};

// Open a file to be written as `final_name`. False, with the system's error
// text in `reason`, when the file cannot be created; `f` is then not open.
bool ATOMIC_Open(ATOMIC_File& f, const std::string& final_name, std::string& reason);

// Flush, sync and close the stream, then rename the temporary file over the
// final name. False, with the reason of the first failed step, when any step
// fails: the temporary file is then removed and the final name untouched.
// The stream is closed in every case.
bool ATOMIC_Commit(ATOMIC_File& f, std::string& reason);

// Close the stream and remove the temporary file: nothing reaches the final
// name (a file written in place keeps what reached it).
void ATOMIC_Discard(ATOMIC_File& f);

// The whole `text` as the file `final_name`, in one step. False, with the
// reason, when it could not be written; nothing is then changed.
bool ATOMIC_Write_File(const std::string& final_name, const std::string& text, std::string& reason);
