#include "mini_json.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testing_json {

namespace {

void appendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

struct Parser {
    std::string_view s;
    std::size_t i = 0;

    [[noreturn]] void fail() const { throw std::runtime_error("bad JSON at " + std::to_string(i)); }
    void ws() {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\n' || s[i] == '\r' || s[i] == '\t')) ++i;
    }
    bool eat(char c) {
        ws();
        if (i < s.size() && s[i] == c) {
            ++i;
            return true;
        }
        return false;
    }
    unsigned hex4() {
        if (i + 4 > s.size()) fail();
        unsigned v = std::stoul(std::string(s.substr(i, 4)), nullptr, 16);
        i += 4;
        return v;
    }
    std::string str() {
        if (!eat('"')) fail();
        std::string out;
        while (i < s.size() && s[i] != '"') {
            char c = s[i++];
            if (c != '\\') {
                out += c;
                continue;
            }
            if (i >= s.size()) fail();
            c = s[i++];
            switch (c) {
                case 'n': out += '\n'; break;
                case 't': out += '\t'; break;
                case 'r': out += '\r'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'u': {
                    unsigned cp = hex4();
                    if (cp >= 0xD800 && cp < 0xDC00 && i + 6 <= s.size() && s[i] == '\\' && s[i + 1] == 'u') {
                        i += 2;
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (hex4() - 0xDC00);
                    }
                    appendUtf8(out, cp);
                    break;
                }
                default: out += c;
            }
        }
        if (i >= s.size()) fail();
        ++i;
        return out;
    }
    Json value() {
        ws();
        if (i >= s.size()) fail();
        Json j;
        const char c = s[i];
        if (c == '{') {
            ++i;
            j.kind = Json::Kind::Object;
            if (eat('}')) return j;
            do {
                ws();
                std::string k = str();
                if (!eat(':')) fail();
                j.object[k] = value();
            } while (eat(','));
            if (!eat('}')) fail();
        } else if (c == '[') {
            ++i;
            j.kind = Json::Kind::Array;
            if (eat(']')) return j;
            do {
                j.array.push_back(value());
            } while (eat(','));
            if (!eat(']')) fail();
        } else if (c == '"') {
            j.kind = Json::Kind::String;
            j.string = str();
        } else if (s.substr(i, 4) == "true") {
            i += 4;
            j.kind = Json::Kind::Bool;
            j.boolean = true;
        } else if (s.substr(i, 5) == "false") {
            i += 5;
            j.kind = Json::Kind::Bool;
        } else if (s.substr(i, 4) == "null") {
            i += 4;
        } else {
            std::size_t used = 0;
            j.kind = Json::Kind::Number;
            j.number = std::stod(std::string(s.substr(i, 40)), &used);
            i += used;
        }
        return j;
    }
};

}  // namespace

const Json& Json::operator[](const std::string& key) const {
    static const Json null;
    const auto it = object.find(key);
    return it == object.end() ? null : it->second;
}

Json parseJson(std::string_view text) {
    Parser p{text};
    return p.value();
}

Json readJsonFile(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::stringstream ss;
    ss << in.rdbuf();
    return parseJson(ss.str());
}

}  // namespace testing_json
