#include "test_clients.h"

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace writer_test {

CommandResult runCommand(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    const int raw = pclose(pipe);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return result;
}

std::string quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

std::string systemPython() { return "/usr/bin/python3"; }

std::string scriptPath(const std::string& name) {
    return std::string(TALLOMER_SOURCE_DIR) + "/tests/xls_writer/" + name;
}

Csv readCsv(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    Csv rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row.push_back(field);
            field.clear();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            row.push_back(field);
            field.clear();
            rows.push_back(row);
            row.clear();
        } else {
            field += c;
        }
    }
    if (!field.empty() || !row.empty()) {
        row.push_back(field);
        rows.push_back(row);
    }
    return rows;
}

std::map<std::string, std::map<std::string, Csv>> libreOfficeSheets(const std::vector<std::string>& files,
                                                                    const std::string& workDir) {
    const std::string out = workDir + "/lo-csv";
    fs::create_directories(out);
    // Field separator, text quote, UTF-8, from line 1, values rather than formatted text,
    // every sheet to its own file.
    std::string command = "soffice --headless -env:UserInstallation=file://" + workDir + "/lo-profile --convert-to " +
                          quote("csv:Text - txt - csv (StarCalc):44,34,76,1,,1033,false,true,false,false,false,-1") +
                          " --outdir " + quote(out);
    for (const auto& f : files) command += " " + quote(f);
    runCommand(command);
    std::map<std::string, std::map<std::string, Csv>> result;
    for (const auto& f : files) {
        const std::string stem = fs::path(f).stem().string();
        for (const auto& entry : fs::directory_iterator(out)) {
            const std::string name = entry.path().stem().string();
            if (name.rfind(stem + "-", 0) == 0) result[f][name.substr(stem.size() + 1)] = readCsv(entry.path());
        }
    }
    return result;
}

std::vector<Csv> gnumericSheets(const std::string& file, const std::string& workDir, std::string* messages) {
    const std::string out = workDir + "/gnm-" + fs::path(file).stem().string() + ".csv";
    const auto r = runCommand("ssconvert -S " + quote(file) + " " + quote(out));
    if (messages) *messages = r.output;
    std::vector<Csv> sheets;
    for (int i = 0; fs::exists(out + "." + std::to_string(i)); ++i)
        sheets.push_back(readCsv(out + "." + std::to_string(i)));
    return sheets;
}

bool sameField(const std::string& a, const std::string& b) {
    if (a == b) return true;
    char* endA = nullptr;
    char* endB = nullptr;
    const double x = std::strtod(a.c_str(), &endA);
    const double y = std::strtod(b.c_str(), &endB);
    if (a.empty() || b.empty() || *endA || *endB) return false;
    return std::abs(x - y) <= 1e-9 * std::max(std::abs(x), std::abs(y));
}

}  // namespace writer_test
