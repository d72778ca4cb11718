// A direct JSON text reader for JSONValue: one pass, no intermediate document. Signals are
// read back from the store once per batch, so this sits on the flush path.
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "signals/json_value.h"

namespace tarnwhistle {

namespace {

constexpr int kMaxDepth = 512;  // deeper nesting is refused rather than overflowing the stack

class Reader {
public:
    Reader(const char* begin, const char* end) : begin_(begin), p_(begin), end_(end) {}

    std::optional<JSONValue> document(QString* error) {
        JSONValue value;
        skipSpace();
        if (!readValue(value, 0)) return fail(error);
        skipSpace();
        if (p_ != end_) {
            problem_ = "unexpected text after the value";
            return fail(error);
        }
        return value;
    }

private:
    std::optional<JSONValue> fail(QString* error) const {
        if (error)
            *error = QStringLiteral("The data is not valid JSON: %1 (around character %2).")
                         .arg(QLatin1String(problem_ ? problem_ : "malformed text"))
                         .arg(p_ - begin_);
        return std::nullopt;
    }
    bool error(const char* what) {
        if (!problem_) problem_ = what;
        return false;
    }
    void skipSpace() {
        while (p_ < end_ && (*p_ == ' ' || *p_ == '\n' || *p_ == '\r' || *p_ == '\t')) ++p_;
    }
    bool literal(const char* word, size_t length) {
        if (size_t(end_ - p_) < length || std::memcmp(p_, word, length) != 0)
            return error("unknown literal");
        p_ += length;
        return true;
    }

    bool readValue(JSONValue& out, int depth) {
        if (p_ >= end_) return error("unexpected end of text");
        switch (*p_) {
            case '{': return readObject(out, depth + 1);
            case '[': return readArray(out, depth + 1);
            case '"': {
                QString s;
                if (!readString(s)) return false;
                out = JSONValue(std::move(s));
                return true;
            }
            case 't': out = JSONValue(true); return literal("true", 4);
            case 'f': out = JSONValue(false); return literal("false", 5);
            case 'n': out = JSONValue::null(); return literal("null", 4);
            default: return readNumber(out);
        }
    }

    bool readObject(JSONValue& out, int depth) {
        if (depth > kMaxDepth) return error("nesting too deep");
        ++p_;  // {
        JSONObject object;
        skipSpace();
        if (p_ < end_ && *p_ == '}') {
            ++p_;
            out = JSONValue(std::move(object));
            return true;
        }
        while (true) {
            skipSpace();
            if (p_ >= end_ || *p_ != '"') return error("expected a member name");
            QString key;
            if (!readString(key)) return false;
            skipSpace();
            if (p_ >= end_ || *p_ != ':') return error("expected ':'");
            ++p_;
            skipSpace();
            JSONValue member;
            if (!readValue(member, depth)) return false;
            object.insert_or_assign(std::move(key), std::move(member));
            skipSpace();
            if (p_ < end_ && *p_ == ',') { ++p_; continue; }
            if (p_ < end_ && *p_ == '}') { ++p_; break; }
            return error("expected ',' or '}'");
        }
        out = JSONValue(std::move(object));
        return true;
    }

    bool readArray(JSONValue& out, int depth) {
        if (depth > kMaxDepth) return error("nesting too deep");
        ++p_;  // [
        JSONArray array;
        skipSpace();
        if (p_ < end_ && *p_ == ']') {
            ++p_;
            out = JSONValue(std::move(array));
            return true;
        }
        while (true) {
            skipSpace();
            JSONValue element;
            if (!readValue(element, depth)) return false;
            array.push_back(std::move(element));
            skipSpace();
            if (p_ < end_ && *p_ == ',') { ++p_; continue; }
            if (p_ < end_ && *p_ == ']') { ++p_; break; }
            return error("expected ',' or ']'");
        }
        out = JSONValue(std::move(array));
        return true;
    }

    // Whole numbers that fit 64 bits are ints however they are written (3, 3.0, 3e0); every
    // other number is a double, decided on the decimal text itself so that a value beyond 64
    // bits (or beyond double range) never turns into a wrong integer.
    bool readNumber(JSONValue& out) {
        const char* start = p_;
        const bool negative = p_ < end_ && *p_ == '-';
        if (negative) ++p_;
        if (p_ >= end_ || !isDigit(*p_)) return error("illegal value");
        const char* intBegin = p_;
        if (*p_ == '0') ++p_;
        else while (p_ < end_ && isDigit(*p_)) ++p_;
        const char* intEnd = p_;
        const char* fracBegin = p_;
        const char* fracEnd = p_;
        if (p_ < end_ && *p_ == '.') {
            ++p_;
            fracBegin = p_;
            if (p_ >= end_ || !isDigit(*p_)) return error("illegal number");
            while (p_ < end_ && isDigit(*p_)) ++p_;
            fracEnd = p_;
        }
        const char* expBegin = p_;
        if (p_ < end_ && (*p_ == 'e' || *p_ == 'E')) {
            ++p_;
            expBegin = p_;
            if (p_ < end_ && (*p_ == '+' || *p_ == '-')) ++p_;
            if (p_ >= end_ || !isDigit(*p_)) return error("illegal number");
            while (p_ < end_ && isDigit(*p_)) ++p_;
        }
        if (auto whole = wholeNumber(negative, intBegin, intEnd, fracBegin, fracEnd, expBegin)) {
            out = JSONValue(*whole);
            return true;
        }
        // strtod-like: a value past double range reads as the infinity of its sign, a value too
        // small for it as zero; both stay doubles.
        double d = 0;
        const auto [end, ec] = std::from_chars(start, p_, d);
        if (end != p_) return error("illegal number");
        if (ec == std::errc::result_out_of_range) d = tinyOrHuge(intBegin, intEnd, fracBegin, fracEnd, expBegin, negative);
        else if (ec != std::errc()) return error("illegal number");
        out = JSONValue(d);
        return true;
    }

    // The signed exponent after "e" (saturating), 0 without one.
    long long exponent(const char* expBegin) const {
        if (expBegin >= p_) return 0;
        const char* q = expBegin;
        const bool minus = *q == '-';
        if (*q == '+' || *q == '-') ++q;
        long long e = 0;
        for (; q < p_; ++q) e = std::min<long long>(e * 10 + (*q - '0'), 1'000'000'000);
        return minus ? -e : e;
    }

    // The exact integer value of the digits, when the number is whole and within 64 bits.
    std::optional<qint64> wholeNumber(bool negative, const char* intBegin, const char* intEnd,
                                      const char* fracBegin, const char* fracEnd,
                                      const char* expBegin) const {
        std::string digits(intBegin, intEnd);
        digits.append(fracBegin, fracEnd);
        long long scale = exponent(expBegin) - (fracEnd - fracBegin);
        const auto firstNonZero = digits.find_first_not_of('0');
        if (firstNonZero == std::string::npos) return 0;  // 0, -0, 0.000, 0e5
        digits.erase(0, firstNonZero);
        while (digits.back() == '0') {
            digits.pop_back();
            ++scale;
        }
        if (scale < 0 || qsizetype(digits.size()) + scale > 19) return std::nullopt;
        const quint64 limit = negative ? quint64(1) << 63 : (quint64(1) << 63) - 1;
        quint64 magnitude = 0;
        for (long long i = 0; i < qsizetype(digits.size()) + scale; ++i) {
            const quint64 digit = i < qsizetype(digits.size()) ? quint64(digits[size_t(i)] - '0') : 0;
            if (magnitude > (limit - digit) / 10) return std::nullopt;
            magnitude = magnitude * 10 + digit;
        }
        return negative ? qint64(0 - magnitude) : qint64(magnitude);
    }

    double tinyOrHuge(const char* intBegin, const char* intEnd, const char* fracBegin,
                      const char* fracEnd, const char* expBegin, bool negative) const {
        // Overflow when the decimal point sits far to the right of the first significant digit.
        long long position = exponent(expBegin);
        const char* q = intBegin;
        while (q < intEnd && *q == '0') ++q;
        if (q < intEnd) position += intEnd - q;
        else {
            const char* f = fracBegin;
            while (f < fracEnd && *f == '0') ++f;
            position -= f - fracBegin;
        }
        const double magnitude = position > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        return negative ? -magnitude : magnitude;
    }

    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    bool readHex4(char32_t& out) {
        if (end_ - p_ < 4) return error("illegal escape");
        out = 0;
        for (int i = 0; i < 4; ++i, ++p_) {
            const char c = *p_;
            out <<= 4;
            if (c >= '0' && c <= '9') out |= char32_t(c - '0');
            else if (c >= 'a' && c <= 'f') out |= char32_t(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') out |= char32_t(c - 'A' + 10);
            else return error("illegal escape");
        }
        return true;
    }

    // Strings must be valid UTF-8; escapes may not leave lone surrogates.
    bool readString(QString& out) {
        ++p_;  // "
        QByteArray bytes;
        const char* run = p_;
        while (true) {
            if (p_ >= end_) return error("unterminated string");
            const auto c = static_cast<unsigned char>(*p_);
            if (c == '"') break;
            if (c < 0x20) return error("control character in string");
            if (c != '\\') {
                ++p_;
                continue;
            }
            bytes.append(run, p_ - run);
            ++p_;
            if (p_ >= end_) return error("unterminated string");
            const char e = *p_++;
            switch (e) {
                case '"': bytes += '"'; break;
                case '\\': bytes += '\\'; break;
                case '/': bytes += '/'; break;
                case 'b': bytes += '\b'; break;
                case 'f': bytes += '\f'; break;
                case 'n': bytes += '\n'; break;
                case 'r': bytes += '\r'; break;
                case 't': bytes += '\t'; break;
                case 'u': {
                    char32_t cp = 0;
                    if (!readHex4(cp)) return false;
                    if (cp >= 0xD800 && cp <= 0xDBFF) {
                        char32_t low = 0;
                        if (end_ - p_ < 2 || p_[0] != '\\' || p_[1] != 'u')
                            return error("lone surrogate in string");
                        p_ += 2;
                        if (!readHex4(low)) return false;
                        if (low < 0xDC00 || low > 0xDFFF) return error("lone surrogate in string");
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                        return error("lone surrogate in string");
                    }
                    bytes += QString::fromUcs4(&cp, 1).toUtf8();
                    break;
                }
                default: return error("illegal escape");
            }
            run = p_;
        }
        bytes.append(run, p_ - run);
        ++p_;  // closing "
        if (!validUtf8(bytes)) return error("invalid UTF-8 in string");
        out = QString::fromUtf8(bytes);
        return true;
    }

    static bool validUtf8(const QByteArray& bytes) {
        const auto* s = reinterpret_cast<const unsigned char*>(bytes.constData());
        const auto* e = s + bytes.size();
        while (s < e) {
            const unsigned char c = *s;
            if (c < 0x80) { ++s; continue; }
            int extra;
            char32_t cp, min;
            if ((c & 0xE0) == 0xC0) { extra = 1; cp = c & 0x1F; min = 0x80; }
            else if ((c & 0xF0) == 0xE0) { extra = 2; cp = c & 0x0F; min = 0x800; }
            else if ((c & 0xF8) == 0xF0) { extra = 3; cp = c & 0x07; min = 0x10000; }
            else return false;
            if (e - s <= extra) return false;
            for (int i = 1; i <= extra; ++i) {
                if ((s[i] & 0xC0) != 0x80) return false;
                cp = (cp << 6) | (s[i] & 0x3F);
            }
            if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
            s += extra + 1;
        }
        return true;
    }

    const char* begin_;
    const char* p_;
    const char* end_;
    const char* problem_ = nullptr;
};

}  // namespace

std::optional<JSONValue> JSONValue::parse(const QByteArray& text, QString* error) {
    return Reader(text.constData(), text.constData() + text.size()).document(error);
}

}  // namespace tarnwhistle
