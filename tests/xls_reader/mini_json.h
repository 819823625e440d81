#pragma once
// Just enough JSON to read the expected-cell files that accompany the sample workbooks.
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace testing_json {

struct Json {
    enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string string;
    std::vector<Json> array;
    std::map<std::string, Json> object;

    const Json& operator[](const std::string& key) const;  // Null when absent
    bool has(const std::string& key) const { return object.count(key) > 0; }
};

Json parseJson(std::string_view text);  // throws std::runtime_error
Json readJsonFile(const std::string& path);

}  // namespace testing_json
