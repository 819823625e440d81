// The built-in functions, by the engine's function codes (function_table.cpp names them);
// the conditional and lookup functions have files of their own.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <ctime>
#include <limits>
#include <numbers>

#include "decimal.h"
#include "formula/evaluator.h"
#include "formula/function_groups.h"
#include "formula/number_format_text.h"
#include "formula/text_to_number.h"
#include "host/engine_clock.h"
#include "host/locale.h"

namespace host::formula {

namespace {

Operand error(ErrorCode e) { return Operand::of(Value::fromError(e)); }
Operand number(double n) { return Operand::of(numberResult(n)); }
Operand boolean(bool b) { return Operand::of(Value::fromBoolean(b)); }

bool isReference(const Operand& o) { return o.type == Operand::Type::Ref || o.type == Operand::Type::Area; }
bool isArray(const Operand& o) { return o.type == Operand::Type::Array; }

// Visits every value of an array (an array formula's intermediate result); false to stop.
template <class Visit>
void forEachElement(const Operand& o, Visit&& visit) {
    for (const Value& v : o.array->values) {
        if (!visit(v)) return;
    }
}

// Folds the numbers of the arguments as SUM and its kin see them: in references numbers
// count and texts, booleans and empty cells are skipped; given directly, booleans count as 0
// or 1 and a text must read as a number. Errors propagate. Returns false with `err` set.
struct Fold {
    double sum = 0;
    double product = 1;
    double min = std::numeric_limits<double>::infinity();
    double max = -std::numeric_limits<double>::infinity();
    long count = 0;
    void add(double n) {
        sum += n;
        product *= n;
        min = std::min(min, n);
        max = std::max(max, n);
        ++count;
    }
};

bool foldNumbers(std::span<Operand> args, const EvalContext& ctx, Fold& f, ErrorCode& err, bool needProduct,
                 bool needMinMax) {
    // A value of an array or a range: its numbers count, texts and booleans are passed over,
    // an error stops the fold.
    bool ok = true;
    const auto take = [&](const Value& v) {
        if (v.isError()) {
            err = v.error;
            ok = false;
            return false;
        }
        if (v.isNumber()) f.add(v.number);
        return true;
    };
    for (const Operand& a : args) {
        if (isArray(a)) {
            forEachElement(a, take);
            if (!ok) return false;
            continue;
        }
        if (isReference(a)) {
            if (!needProduct) {
                const AreaStats s = ctx.areaStats(a.area, needMinMax);
                if (s.hasError) {
                    err = s.firstError;
                    return false;
                }
                f.sum += s.sum;
                f.count += s.numbers;
                if (needMinMax && s.numbers > 0) {
                    f.min = std::min(f.min, s.min);
                    f.max = std::max(f.max, s.max);
                }
            } else {
                ctx.forEachValue(a.area, take);
                if (!ok) return false;
            }
            continue;
        }
        if (a.missing) {
            f.add(0);
            continue;
        }
        double n = 0;
        if (!toNumber(a.value, n, err)) return false;
        f.add(n);
    }
    return true;
}

Operand count(std::span<Operand> args, const EvalContext& ctx, bool all) {
    long n = 0;
    for (const Operand& a : args) {
        if (isArray(a)) {
            forEachElement(a, [&](const Value& v) {
                n += all ? !v.isEmpty() : v.isNumber();
                return true;
            });
        } else if (isReference(a)) {
            const AreaStats s = ctx.areaStats(a.area, false);
            n += all ? s.nonEmpty : s.numbers;
        } else if (all) {
            ++n;  // COUNTA counts every value given directly, an omitted one too
        } else if (!a.missing) {
            double x = 0;
            ErrorCode e{};
            if (!a.value.isError() && !a.value.isEmpty() && toNumber(a.value, x, e)) ++n;
        }
    }
    return number(static_cast<double>(n));
}

Operand logical(std::span<Operand> args, const EvalContext& ctx, bool isAnd) {
    bool any = false;
    bool acc = isAnd;
    for (const Operand& a : args) {
        if (isReference(a) || isArray(a)) {
            ErrorCode err{};
            bool failed = false;
            const auto visit = [&](const Value& v) {
                if (v.isError()) {
                    err = v.error;
                    failed = true;
                    return false;
                }
                if (v.isNumber() || v.isBoolean()) {
                    const bool b = v.isNumber() ? v.number != 0 : v.boolean;
                    any = true;
                    acc = isAnd ? (acc && b) : (acc || b);
                }
                return true;
            };
            if (isArray(a))
                forEachElement(a, visit);
            else
                ctx.forEachValue(a.area, visit);
            if (failed) return error(err);
            continue;
        }
        bool b = false;  // an omitted argument is FALSE: AND(,TRUE) is FALSE
        ErrorCode err{};
        if (!a.missing && !toBoolean(a.value, b, err)) return error(err);
        any = true;
        acc = isAnd ? (acc && b) : (acc || b);
    }
    if (!any) return error(ErrorCode::Value);
    return boolean(acc);
}

bool argNumber(const Operand& a, const EvalContext& ctx, double& out, ErrorCode& err) {
    return toNumber(scalar(a, ctx), out, err);
}

Operand rounding(std::span<Operand> args, const EvalContext& ctx, detail::RoundMode mode, bool digitsOptional) {
    double x = 0, d = 0;
    ErrorCode err{};
    if (!argNumber(args[0], ctx, x, err)) return error(err);
    if (args.size() > 1 || !digitsOptional) {
        if (!argNumber(args[1], ctx, d, err)) return error(err);
    }
    return number(detail::roundDecimal(x, static_cast<int>(std::trunc(std::clamp(d, -400.0, 400.0))), mode));
}

// Calendar parts of a serial; serial 0 is the 0th of January 1900 as other programs have it.
bool dateParts(double serial, Date& out) {
    if (serial < 0 || !std::isfinite(serial)) return false;
    if (serial < 1) {
        out = Date{1900, 1, 0};
        return true;
    }
    const auto d = dateFromSerial(serial);
    if (!d) return false;
    out = *d;
    return true;
}

}  // namespace

Operand callFunction(FunctionId func, std::span<Operand> args, const EvalContext& ctx) {
    using F = FunctionId;
    ErrorCode err{};
    switch (func) {
        case F::Sum: {
            Fold f;
            if (!foldNumbers(args, ctx, f, err, false, false)) return error(err);
            return number(f.sum);
        }
        case F::Average: {
            Fold f;
            if (!foldNumbers(args, ctx, f, err, false, false)) return error(err);
            if (f.count == 0) return error(ErrorCode::Div0);
            return number(f.sum / static_cast<double>(f.count));
        }
        case F::Min:
        case F::Max: {
            Fold f;
            if (!foldNumbers(args, ctx, f, err, false, true)) return error(err);
            if (f.count == 0) return number(0);
            return number(func == F::Min ? f.min : f.max);
        }
        case F::Product: {
            Fold f;
            if (!foldNumbers(args, ctx, f, err, true, false)) return error(err);
            return number(f.count == 0 ? 0 : f.product);
        }
        case F::Count: return count(args, ctx, false);
        case F::CountA: return count(args, ctx, true);
        case F::And: return logical(args, ctx, true);
        case F::Or: return logical(args, ctx, false);
        case F::Not: {
            bool b = false;
            if (!toBoolean(scalar(args[0], ctx), b, err)) return error(err);
            return boolean(!b);
        }
        case F::If: {
            bool b = false;
            if (!toBoolean(scalar(args[0], ctx), b, err)) return error(err);
            if (b) {
                if (args[1].missing) return number(0);
                return args[1];
            }
            if (args.size() < 3) return boolean(false);
            if (args[2].missing) return number(0);
            return args[2];
        }
        case F::Choose: {
            double i = 0;
            if (!argNumber(args[0], ctx, i, err)) return error(err);
            const long k = static_cast<long>(std::trunc(i));
            if (k < 1 || k >= static_cast<long>(args.size())) return error(ErrorCode::Value);
            if (args[k].missing) return number(0);
            return args[k];
        }
        case F::Round: return rounding(args, ctx, detail::RoundMode::HalfAwayFromZero, false);
        case F::RoundUp: return rounding(args, ctx, detail::RoundMode::AwayFromZero, false);
        case F::RoundDown: return rounding(args, ctx, detail::RoundMode::TowardZero, false);
        case F::Trunc: return rounding(args, ctx, detail::RoundMode::TowardZero, true);
        case F::Abs:
        case F::Int:
        case F::Sign:
        case F::Sqrt:
        case F::Exp:
        case F::Ln:
        case F::Log10: {
            double x = 0;
            if (!argNumber(args[0], ctx, x, err)) return error(err);
            switch (func) {
                case F::Abs: return number(std::fabs(x));
                case F::Int: return number(std::floor(x));
                case F::Sign: return number(x > 0 ? 1 : (x < 0 ? -1 : 0));
                case F::Sqrt: return x < 0 ? error(ErrorCode::Num) : number(std::sqrt(x));
                case F::Exp: return number(std::exp(x));
                case F::Ln: return x <= 0 ? error(ErrorCode::Num) : number(std::log(x));
                default: return x <= 0 ? error(ErrorCode::Num) : number(std::log10(x));
            }
        }
        case F::Mod:
        case F::Power: {
            double a = 0, b = 0;
            if (!argNumber(args[0], ctx, a, err)) return error(err);
            if (!argNumber(args[1], ctx, b, err)) return error(err);
            if (func == F::Mod) {
                if (b == 0) return error(ErrorCode::Div0);
                return number(a - b * std::floor(a / b));
            }
            if (a == 0 && b == 0) return error(ErrorCode::Num);
            if (a == 0 && b < 0) return error(ErrorCode::Div0);
            return number(std::pow(a, b));
        }
        case F::Pi: return number(std::numbers::pi);
        case F::Na: return error(ErrorCode::NA);
        case F::Value: {
            const Value v = scalar(args[0], ctx);
            if (v.isError()) return Operand::of(v);
            if (v.isNumber()) return Operand::of(v);
            if (v.isEmpty()) return number(0);
            if (v.isText()) {
                if (auto n = textToNumber(v.text)) return number(*n);
            }
            return error(ErrorCode::Value);
        }
        case F::Len:
        case F::Lower:
        case F::Upper: {
            const Value v = scalar(args[0], ctx);
            if (v.isError()) return Operand::of(v);
            std::string s = toText(v);
            if (func == F::Len) {  // UTF-16 code units, as Excel counts: a character past U+FFFF is 2
                std::size_t chars = 0;
                for (unsigned char c : s) chars += ((c & 0xC0) != 0x80) + (c >= 0xF0);
                return number(static_cast<double>(chars));
            }
            for (char& c : s) {
                c = static_cast<char>(func == F::Lower ? std::tolower(static_cast<unsigned char>(c))
                                                       : std::toupper(static_cast<unsigned char>(c)));
            }
            return Operand::of(Value::fromText(std::move(s)));
        }
        case F::Concatenate: {
            std::string s;
            for (const Operand& a : args) {
                const Value v = scalar(a, ctx);
                if (v.isError()) return Operand::of(v);
                s += toText(v);
            }
            return Operand::of(Value::fromText(std::move(s)));
        }
        case F::IsNa:
        case F::IsError:
        case F::IsErr:
        case F::IsText:
        case F::IsNumber:
        case F::IsBlank:
        case F::IsNonText:
        case F::IsLogical: {
            const Value v = scalar(args[0], ctx);
            switch (func) {
                case F::IsNa: return boolean(v.isError() && v.error == ErrorCode::NA);
                case F::IsError: return boolean(v.isError());
                case F::IsErr: return boolean(v.isError() && v.error != ErrorCode::NA);
                case F::IsText: return boolean(v.isText());
                case F::IsNumber: return boolean(v.isNumber());
                case F::IsBlank: return boolean(v.isEmpty() && isReference(args[0]) && !args[0].missing);
                case F::IsNonText: return boolean(!v.isText());
                default: return boolean(v.isBoolean());
            }
        }
        case F::Date: {
            double y = 0, m = 0, d = 0;
            if (!argNumber(args[0], ctx, y, err) || !argNumber(args[1], ctx, m, err) ||
                !argNumber(args[2], ctx, d, err)) {
                return error(err);
            }
            long year = static_cast<long>(std::trunc(y));
            if (year >= 0 && year < 1900) year += 1900;
            long months = year * 12 + static_cast<long>(std::trunc(m)) - 1;
            if (months < 1900 * 12 || months > 9999 * 12 + 11) return error(ErrorCode::Num);
            const auto first =
                serialFromDate(Date{static_cast<int>(months / 12), static_cast<int>(months % 12) + 1, 1});
            if (!first) return error(ErrorCode::Num);
            const double serial = *first + std::trunc(d) - 1;
            if (serial < 0 || serial > 2958465) return error(ErrorCode::Num);
            return number(serial);
        }
        case F::Day:
        case F::Month:
        case F::Year: {
            double s = 0;
            if (!argNumber(args[0], ctx, s, err)) return error(err);
            Date d;
            if (!dateParts(s, d)) return error(ErrorCode::Num);
            return number(func == F::Day ? d.day : func == F::Month ? d.month : d.year);
        }
        case F::SumIf: return sumIf(args, ctx);
        case F::CountIf: return countIf(args, ctx);
        case F::AverageIf: return averageIf(args, ctx);
        case F::SumProduct: return sumProduct(args, ctx);
        case F::VLookup: return vlookup(args, ctx);
        case F::Match: return match(args, ctx);
        case F::Index: return index(args, ctx);
        case F::IfError: {
            const Value v = scalar(args[0], ctx);
            if (v.isError()) return args[1].missing ? number(0) : args[1];
            return args[0].missing ? number(0) : args[0];
        }
        case F::Weekday: {
            // Serial 1, the 1st of January 1900, is a Sunday as Excel counts (its 1900 is a
            // leap year), so the weekday follows from the serial alone.
            double s = 0, type = 1;
            if (!argNumber(args[0], ctx, s, err)) return error(err);
            if (args.size() > 1 && !args[1].missing && !argNumber(args[1], ctx, type, err)) return error(err);
            if (s < 0 || s >= 2958466) return error(ErrorCode::Num);
            const long sunday0 = (static_cast<long>(std::floor(s)) + 6) % 7;  // Sunday 0 .. Saturday 6
            const long t = static_cast<long>(std::trunc(type));
            switch (t) {
                case 1: return number(sunday0 + 1);
                case 2: return number((sunday0 + 6) % 7 + 1);
                case 3: return number((sunday0 + 6) % 7);
                case 11:
                case 12:
                case 13:
                case 14:
                case 15:
                case 16:  // weeks from Monday .. Saturday
                    return number((sunday0 - (t - 10) + 7) % 7 + 1);
                case 17: return number(sunday0 + 1);
                default: return error(ErrorCode::Num);
            }
        }
        case F::Today: {
            const auto serial = serialFromDate(engineToday());
            return serial ? number(*serial) : error(ErrorCode::Num);
        }
        case F::Text: {
            // A text that reads as a number is formatted as that number; other texts go
            // through the text section, booleans unchanged.
            const Value v = scalar(args[0], ctx);
            if (v.isError()) return Operand::of(v);
            const Value format = scalar(args[1], ctx);
            if (format.isError()) return Operand::of(format);
            const std::string code = toText(format);
            double n = 0;
            if (v.isBoolean()) return Operand::of(Value::fromText(toText(v)));
            if (v.isText()) {
                const auto read = textToNumber(v.text);
                if (!read) return Operand::of(Value::fromText(formatText(v.text, code)));
                n = *read;
            } else if (v.isNumber()) {
                n = v.number;
            }
            auto shown = formatNumber(n, code);
            if (!shown) return error(ErrorCode::Value);
            return Operand::of(Value::fromText(std::move(*shown)));
        }
        default: return error(ErrorCode::Name);
    }
}

}  // namespace host::formula
