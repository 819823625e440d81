#include "formula/intern.h"

#include <bit>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace host::formula {

namespace {

void mix(std::size_t& h, std::size_t v) { h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); }

void mixRef(std::size_t& h, const RefPart& r) {
    mix(h, static_cast<std::size_t>(r.row) * 1024 + static_cast<std::size_t>(r.col) * 4 + (r.rowRelative ? 2 : 0) +
               (r.colRelative ? 1 : 0));
}

struct Pool {
    std::mutex mutex;
    std::unordered_map<std::size_t, std::vector<std::weak_ptr<const FormulaCode>>> buckets;
    std::size_t entries = 0;
    std::size_t nextSweep = 1024;

    void sweep() {
        entries = 0;
        for (auto it = buckets.begin(); it != buckets.end();) {
            auto& v = it->second;
            std::erase_if(v, [](const auto& w) { return w.expired(); });
            entries += v.size();
            it = v.empty() ? buckets.erase(it) : std::next(it);
        }
        nextSweep = std::max<std::size_t>(1024, entries * 2);
    }
};

Pool& pool() {
    static Pool* p = new Pool;  // never destroyed: formulas may outlive static destruction order
    return *p;
}

}  // namespace

std::size_t hashCode(const FormulaCode& code) {
    std::size_t h = code.rpn.size();
    for (const Token& t : code.rpn) {
        mix(h, static_cast<std::size_t>(t.kind));
        switch (t.kind) {
            case TokenKind::Number: mix(h, std::bit_cast<std::uint64_t>(t.number)); break;
            case TokenKind::String:
                mix(h, t.string < code.strings.size() ? std::hash<std::string>{}(code.strings[t.string]) : t.string);
                break;
            case TokenKind::Boolean: mix(h, t.boolean); break;
            case TokenKind::Error: mix(h, static_cast<std::size_t>(t.error)); break;
            case TokenKind::Ref: mixRef(h, t.a); break;
            case TokenKind::Area:
                mixRef(h, t.a);
                mixRef(h, t.b);
                break;
            case TokenKind::Array:
                if (t.string < code.arrays.size()) {
                    const ArrayConstant& a = code.arrays[t.string];
                    mix(h, static_cast<std::size_t>(a.rows) * 256 + static_cast<std::size_t>(a.cols));
                    for (const Value& v : a.values) {
                        mix(h, static_cast<std::size_t>(v.kind));
                        if (v.isNumber()) mix(h, std::bit_cast<std::uint64_t>(v.number));
                        if (v.isText()) mix(h, std::hash<std::string>{}(v.text));
                    }
                }
                break;
            case TokenKind::Func: mix(h, static_cast<std::size_t>(t.func) * 256u + t.argc); break;
            default: break;
        }
    }
    mix(h, code.opaque);
    if (code.opaque) mix(h, std::hash<std::string>{}(code.text));
    return h;
}

FormulaPtr intern(FormulaCode&& code) {
    const std::size_t h = hashCode(code);
    Pool& p = pool();
    std::lock_guard lock(p.mutex);
    auto& bucket = p.buckets[h];
    for (const auto& w : bucket) {
        if (auto sp = w.lock()) {
            if (*sp == code) return sp;
        }
    }
    auto sp = std::make_shared<const FormulaCode>(std::move(code));
    bucket.push_back(sp);
    if (++p.entries >= p.nextSweep) p.sweep();
    return sp;
}

FormulaPtr intern(const FormulaPtr& code) {
    if (!code) return code;
    const std::size_t h = hashCode(*code);
    Pool& p = pool();
    std::lock_guard lock(p.mutex);
    auto& bucket = p.buckets[h];
    for (const auto& w : bucket) {
        if (auto sp = w.lock()) {
            if (sp == code || *sp == *code) return sp;
        }
    }
    bucket.push_back(code);
    if (++p.entries >= p.nextSweep) p.sweep();
    return code;
}

}  // namespace host::formula
