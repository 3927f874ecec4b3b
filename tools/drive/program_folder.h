#pragma once
// A fresh program folder: a copy of a program and the files it reads beside
// itself, under the temporary folder, so that settings and logs never leak
// from one run into the next. Removed with all it holds when it goes.
#include <string>
#include <vector>

#include "tests/platform/temp_folder.h"

namespace kaveto::drive {

class ProgramFolder {
public:
    // `exe_name` and each of `items` (files or folders; all of them when
    // empty) copied from `from`; an item that is not there is passed over.
    ProgramFolder(const std::string& from, const std::string& exe_name, const std::vector<std::string>& items = {});

    // The folder with a trailing backslash.
    const std::string& path() const { return path_; }
    std::string exe() const { return path_ + exe_name_; }
    std::string File(const std::string& name) const { return path_ + name; }
    void Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;

private:
    testing::TempFolder folder_;
    std::string path_, exe_name_;
};

}  // namespace kaveto::drive
