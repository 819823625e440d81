#include "workbook/recent_workbooks.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include <unistd.h>

#include "workbook/state_folder.h"

namespace tallomer {

namespace {
constexpr std::size_t kKept = 8;
}

std::vector<std::string> recentWorkbooks(const std::string& folder) {
    std::vector<std::string> paths;
    std::ifstream in(folder + "/recent");
    for (std::string line; paths.size() < kKept && std::getline(in, line);) {
        if (!line.empty() && std::find(paths.begin(), paths.end(), line) == paths.end()) paths.push_back(line);
    }
    return paths;
}

void rememberWorkbook(const std::string& folder, const std::string& path) {
    if (path.empty() || path.find('\n') != std::string::npos || !makeStateFolder(folder)) return;
    std::vector<std::string> paths = recentWorkbooks(folder);
    paths.erase(std::remove(paths.begin(), paths.end(), path), paths.end());
    paths.insert(paths.begin(), path);
    if (paths.size() > kKept) paths.resize(kKept);
    const std::string temporary = folder + "/recent." + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::trunc);
        for (const std::string& p : paths) out << p << '\n';
        if (!out) {
            std::remove(temporary.c_str());
            return;
        }
    }
    std::rename(temporary.c_str(), (folder + "/recent").c_str());
}

}  // namespace tallomer
