// SPDX-License-Identifier: GPL-3.0-or-later
#include "Atomic_File.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Attempts at a free temporary name before giving up.
constexpr int Temporary_Name_Attempts = 100;
// Mode of a new file; the process's umask applies as for any new file.
constexpr mode_t New_File_Mode = 0666;

std::string error_text(int error_number) {
    return error_number != 0 ? std::strerror(error_number) : "the file could not be written completely";
}

// The file a write of `name` replaces: a symbolic link is followed to the
// file it names, so the link itself stays in place.
std::string target_of(const std::string& name) {
    struct stat s;
    if (lstat(name.c_str(), &s) != 0 || !S_ISLNK(s.st_mode)) return name;
    char resolved[PATH_MAX];
    return realpath(name.c_str(), resolved) != nullptr ? std::string(resolved) : name;
}

// "<folder>/.<base>.tmp<pid>_<n>": hidden, in the final name's folder, so
// the rename stays within one file system.
std::string temporary_candidate(const std::string& final_name, unsigned number) {
    static const std::string process = std::to_string(getpid());
    const std::size_t slash = final_name.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : final_name.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? final_name : final_name.substr(slash + 1);
    return folder + "." + base + ".tmp" + process + "_" + std::to_string(number);
}

}  // namespace

bool ATOMIC_Open(ATOMIC_File& f, const std::string& final_name, std::string& reason) {
    f = ATOMIC_File();
    f.final_name = final_name;
    const std::string target = target_of(final_name);
    struct stat existing;
    const bool exists = stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        // A device or a FIFO: written in place.
        errno = 0;
        f.file = std::fopen(target.c_str(), "wb");
        if (f.file == nullptr) reason = error_text(errno);
        return f.file != nullptr;
    }
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < Temporary_Name_Attempts; ++attempt) {
        const std::string candidate = temporary_candidate(target, counter++);
        const int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, New_File_Mode);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            reason = error_text(errno);
            return false;
        }
        if (exists) fchmod(fd, existing.st_mode & 07777);
        f.file = fdopen(fd, "wb");
        if (f.file == nullptr) {
            reason = error_text(errno);
            close(fd);
            unlink(candidate.c_str());
            return false;
        }
        f.temporary_name = candidate;
        f.final_name = target;
        return true;
    }
    reason = "no free temporary name beside the file";
    return false;
}

bool ATOMIC_Commit(ATOMIC_File& f, std::string& reason) {
    if (f.file == nullptr) {
        reason = "the file is not open";
        return false;
    }
    // The first failure and its error number.
    int error = 0;
    bool failed = false;
    auto check = [&](bool ok) {
        if (!ok && !failed) {
            failed = true;
            error = errno;
        }
    };
    errno = 0;
    check(std::fflush(f.file) == 0);
    check(std::ferror(f.file) == 0);
    // A device may not sync; only a regular file's data must reach the disk.
    if (!f.temporary_name.empty()) check(fsync(fileno(f.file)) == 0);
    check(std::fclose(f.file) == 0);
    f.file = nullptr;
    if (!failed && !f.temporary_name.empty()) check(std::rename(f.temporary_name.c_str(), f.final_name.c_str()) == 0);
    if (failed) {
        reason = error_text(error);
        if (!f.temporary_name.empty()) unlink(f.temporary_name.c_str());
    }
    f.temporary_name.clear();
    return !failed;
}

void ATOMIC_Discard(ATOMIC_File& f) {
    if (f.file != nullptr) std::fclose(f.file);
    f.file = nullptr;
    if (!f.temporary_name.empty()) unlink(f.temporary_name.c_str());
    f.temporary_name.clear();
}

bool ATOMIC_Write_File(const std::string& final_name, const std::string& text, std::string& reason) {
    ATOMIC_File f;
    if (!ATOMIC_Open(f, final_name, reason)) return false;
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), f.file) != text.size()) {
        reason = error_text(errno);
        ATOMIC_Discard(f);
        return false;
    }
    return ATOMIC_Commit(f, reason);
}
