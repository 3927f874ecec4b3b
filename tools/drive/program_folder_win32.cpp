#include "tools/drive/program_folder.h"

#include <filesystem>
#include <stdexcept>

namespace kaveto::drive {

namespace fs = std::filesystem;

ProgramFolder::ProgramFolder(const std::string& from, const std::string& exe_name,
                             const std::vector<std::string>& items)
    : path_(folder_.File("")), exe_name_(exe_name) {
    if (path_.empty() || path_.back() != '\\') path_ += '\\';
    const fs::path source(from);
    if (!fs::exists(source / exe_name)) throw std::runtime_error("no " + exe_name + " in " + from);
    const auto copy_options = fs::copy_options::recursive | fs::copy_options::overwrite_existing;
    if (items.empty()) {
        fs::copy(source, folder_.path(), copy_options);
        return;
    }
    fs::copy(source / exe_name, folder_.path() / exe_name, copy_options);
    for (const std::string& item : items)
        if (fs::exists(source / item)) fs::copy(source / item, folder_.path() / item, copy_options);
}

void ProgramFolder::Write(const std::string& name, const std::string& bytes) const {
    testing::WriteFileBytes(folder_.path() / name, bytes);
}

std::string ProgramFolder::Read(const std::string& name) const { return testing::ReadFileBytes(folder_.path() / name); }

}  // namespace kaveto::drive
